// The part of the google.maps interface the map page uses, drawn with
// Leaflet (served just before this text, with BRENNOVALE_TILES). Lines are
// painted on canvases, one per z-index, so long tracks stay fast and keep
// their stacking order.
(function () {
  'use strict';
  var tiles = window.BRENNOVALE_TILES || {url: '', attribution: '', maxZoom: 19};
  var script = document.currentScript;
  var callback = script ? new URL(script.src).searchParams.get('callback') : null;

  L.Icon.Default.imagePath = 'leaflet/images/';

  function LatLng(lat, lng) {
    this._l = L.latLng(lat, lng);
  }
  LatLng.prototype.lat = function () { return this._l.lat; };
  LatLng.prototype.lng = function () { return this._l.lng; };

  function Size(width, height) {
    this.width = width;
    this.height = height;
  }

  function Point(x, y) {
    this.x = x;
    this.y = y;
  }

  var onlineMark = null;

  function MarkHtml(online) {
    return '<span class="brennovale-online" data-online="' + (online ? '1' : '0') + '" title="' +
        (online ? 'tile server reachable' : 'tile server unreachable') + '" style="color:' +
        (online ? '#1a9e2c' : '#9a9a9a') + '">&#9679;</span> Leaflet';
  }

  function Map(div, options) {
    var zoom = typeof options.zoom === 'number' ? options.zoom : 16;
    this._leaflet = L.map(div, {
      center: options.center ? options.center._l : [0, 0], zoom: Math.min(zoom, tiles.maxZoom),
      maxZoom: tiles.maxZoom, zoomControl: true, attributionControl: true, preferCanvas: true,
      fadeAnimation: false, zoomAnimation: false, markerZoomAnimation: false
    });
    this._renderers = {};
    if (tiles.url) {
      L.tileLayer(tiles.url, {maxZoom: tiles.maxZoom, attribution: tiles.attribution}).addTo(this._leaflet);
    }
    if (options.scaleControl) L.control.scale().addTo(this._leaflet);
    current = this;
    this._leaflet.attributionControl.setPrefix(MarkHtml(onlineMark === true));
  }
  Map.prototype.panTo = function (position) { this._leaflet.panTo(position._l, {animate: false}); };
  Map.prototype.setCenter = Map.prototype.panTo;
  Map.prototype.getCenter = function () {
    var centre = this._leaflet.getCenter();
    return new LatLng(centre.lat, centre.lng);
  };
  Map.prototype.setZoom = function (zoom) { this._leaflet.setZoom(zoom, {animate: false}); };
  Map.prototype.getZoom = function () { return this._leaflet.getZoom(); };
  // The canvas of one z-index, in a pane stacked by it.
  Map.prototype._renderer = function (zIndex) {
    var z = typeof zIndex === 'number' && isFinite(zIndex) ? Math.max(0, Math.min(100, Math.round(zIndex))) : 0;
    if (!this._renderers[z]) {
      var name = 'lines' + z;
      var pane = this._leaflet.createPane(name);
      pane.style.zIndex = String(400 + z);
      this._renderers[z] = L.canvas({pane: name});
    }
    return this._renderers[z];
  };

  var current = null;

  function AddTo(layer, map) {
    if (map) layer._leaflet.addTo(map._leaflet);
    else layer._leaflet.remove();
  }

  function IconOf(icon, shadow) {
    if (icon === undefined || icon === null) return new L.Icon.Default();
    if (typeof icon === 'string') icon = {url: icon};
    var size = icon.size || new Size(32, 32);
    var anchor = icon.anchor || new Point(size.width / 2, size.height);
    var options = {iconUrl: icon.url, iconSize: [size.width, size.height], iconAnchor: [anchor.x, anchor.y]};
    if (shadow) {
      var shadowSize = shadow.size || size;
      var shadowAnchor = shadow.anchor || anchor;
      options.shadowUrl = shadow.url;
      options.shadowSize = [shadowSize.width, shadowSize.height];
      options.shadowAnchor = [shadowAnchor.x, shadowAnchor.y];
    }
    return L.icon(options);
  }

  function Marker(options) {
    this.opts = options;
    this._leaflet = L.marker(options.position._l, {
      icon: IconOf(options.icon, options.shadow), interactive: options.clickable !== false, keyboard: false
    });
    if (options.map) this.setMap(options.map);
  }
  Marker.prototype.setMap = function (map) { AddTo(this, map); };
  Marker.prototype.getPosition = function () {
    var position = this._leaflet.getLatLng();
    return new LatLng(position.lat, position.lng);
  };

  function Polyline(options) {
    this.opts = options;
    this._leaflet = null;
    if (options.map) this.setMap(options.map);
  }
  Polyline.prototype.setMap = function (map) {
    if (map && this._leaflet === null) {
      var options = this.opts;
      var path = options.path || [];
      var latlngs = new Array(path.length);
      for (var i = 0; i < path.length; i++) latlngs[i] = path[i]._l;
      this._leaflet = L.polyline(latlngs, {
        color: options.strokeColor, opacity: options.strokeOpacity, weight: options.strokeWeight,
        interactive: options.clickable === true, renderer: map._renderer(options.zIndex)
      });
    }
    if (this._leaflet !== null) AddTo(this, map);
  };
  Polyline.prototype.getPath = function () { return this.opts.path || []; };

  var event = {
    addListener: function (target, name, handler) {
      var bound = function () { handler.call(target); };
      target._leaflet.on(name, bound);
      return {target: target, name: name, bound: bound};
    },
    removeListener: function (listener) { listener.target._leaflet.off(listener.name, listener.bound); }
  };

  window.google = {
    maps: {
      Map: Map, LatLng: LatLng, Marker: Marker, Polyline: Polyline, Size: Size, Point: Point, event: event,
      MapTypeId: {ROADMAP: 'roadmap'}
    }
  };

  // Whether the tile server answered the last probe, shown beside the
  // attribution; the viewer calls it whenever that changes.
  window.BrennovaleOnlineMark = function (online) {
    onlineMark = online === true;
    if (current !== null) current._leaflet.attributionControl.setPrefix(MarkHtml(onlineMark));
  };

  var css = document.createElement('link');
  css.rel = 'stylesheet';
  css.href = 'leaflet/leaflet.css';
  css.onload = css.onerror = function () {
    if (callback && /^[A-Za-z_$][\w$]*$/.test(callback) && typeof window[callback] === 'function') window[callback]();
  };
  document.head.appendChild(css);
})();
