// The part of the google.maps interface the map page uses, drawn with
// Leaflet (served just before this text, with BRENNOVALE_TILES). Lines are
// painted on canvases, one per z-index, so they keep their stacking order.
(function () {
  'use strict';
  var tiles = window.BRENNOVALE_TILES || {url: '', attribution: '', maxZoom: 19};
  var script = document.currentScript;
  var callback = script ? new URL(script.src).searchParams.get('callback') : null;

  L.Icon.Default.imagePath = 'leaflet/images/';

  var MAX_LATITUDE = L.Projection.SphericalMercator.MAX_LATITUDE;

  // Besides its degrees, a position keeps where it lies on the map's square
  // (Web Mercator, side 1), so that a track is scaled to any zoom without
  // projecting each point again; Leaflet's own object is made only when asked.
  function LatLng(lat, lng) {
    lat = Number(lat);
    lng = Number(lng);
    if (!isFinite(lat) || !isFinite(lng)) throw new Error('Invalid LatLng object: (' + lat + ', ' + lng + ')');
    this._lat = lat;
    this._lng = lng;
    var sin = Math.sin(Math.max(-MAX_LATITUDE, Math.min(MAX_LATITUDE, lat)) * Math.PI / 180);
    this._u = 0.5 + lng / 360;
    this._v = 0.5 - Math.log((1 + sin) / (1 - sin)) / (4 * Math.PI);
    this._ll = null;
  }
  LatLng.prototype.lat = function () { return this._lat; };
  LatLng.prototype.lng = function () { return this._lng; };
  Object.defineProperty(LatLng.prototype, '_l', {
    get: function () { return this._ll || (this._ll = L.latLng(this._lat, this._lng)); }
  });

  function ToLatLng(position) {
    return position instanceof LatLng ? position : new LatLng(position.lat, position.lng);
  }

  // Segments a line keeps one box for: a view over a long track skips the
  // boxes it does not meet.
  var CHUNK = 64;

  // A line through many positions, drawn on a canvas renderer. It scales the
  // positions' map coordinates to the zoom instead of projecting them, keeps a
  // box per run of segments, and draws only the runs that meet the renderer's
  // bounds, leaving out points within the smoothing tolerance of the last one
  // kept. A new line over a one-hour track costs one pass over its points; a
  // pan, a pass over its boxes and the points in view.
  var TrackLine = L.Path.extend({
    options: {smoothFactor: 1.0},

    initialize: function (points, options) {
      L.setOptions(this, options);
      this._points = points;
      this._parts = [];
      this._boxes = new Float64Array(0);
    },

    // Positions in layer pixels as the map's latLngToLayerPoint has them:
    // whole world pixels less the pixel origin.
    _X: function (i) { return Math.round(this._points[i]._u * this._scale) - this._ox; },
    _Y: function (i) { return Math.round(this._points[i]._v * this._scale) - this._oy; },

    _project: function () {
      this._rawPxBounds = null;
      this._pxBounds = null;
      var n = this._points.length;
      if (n === 0) return;
      var map = this._map;
      var origin = map.getPixelOrigin();
      this._scale = map.options.crs.scale(map.getZoom());
      this._ox = origin.x;
      this._oy = origin.y;
      // Rounding keeps the order, so a box is its extreme points rounded.
      var points = this._points, s = this._scale, ox = this._ox, oy = this._oy;
      var chunks = Math.ceil((n - 1) / CHUNK);
      var boxes = this._boxes = new Float64Array(chunks * 4);
      var minX = this._X(0), minY = this._Y(0), maxX = minX, maxY = minY;
      for (var c = 0; c < chunks; c++) {
        var first = c * CHUNK, last = Math.min(first + CHUNK, n - 1);
        var u0 = Infinity, v0 = Infinity, u1 = -Infinity, v1 = -Infinity;
        for (var i = first; i <= last; i++) {
          var p = points[i];
          if (p._u < u0) u0 = p._u;
          if (p._u > u1) u1 = p._u;
          if (p._v < v0) v0 = p._v;
          if (p._v > v1) v1 = p._v;
        }
        var x0 = boxes[c * 4] = Math.round(u0 * s) - ox;
        var y0 = boxes[c * 4 + 1] = Math.round(v0 * s) - oy;
        var x1 = boxes[c * 4 + 2] = Math.round(u1 * s) - ox;
        var y1 = boxes[c * 4 + 3] = Math.round(v1 * s) - oy;
        if (x0 < minX) minX = x0;
        if (y0 < minY) minY = y0;
        if (x1 > maxX) maxX = x1;
        if (y1 > maxY) maxY = y1;
      }
      this._rawPxBounds = L.bounds([minX, minY], [maxX, maxY]);
      this._updateBounds();
    },

    _updateBounds: L.Polyline.prototype._updateBounds,

    _update: function () {
      if (!this._map) return;
      this._parts = this._pxBounds && this._pxBounds.intersects(this._renderer._bounds) ? this._VisibleParts() : [];
      this._updatePath();
    },

    // Runs of segments whose box meets the renderer's bounds, each thinned to
    // points more than the tolerance apart (its first and last kept), then
    // simplified as Leaflet simplifies its own lines.
    _VisibleParts: function () {
      var bounds = this._renderer._bounds;
      var minX = bounds.min.x, minY = bounds.min.y, maxX = bounds.max.x, maxY = bounds.max.y;
      var tolerance = this.options.smoothFactor;
      var sqTolerance = tolerance * tolerance;
      var n = this._points.length, boxes = this._boxes, chunks = boxes.length / 4;
      var parts = [], part = null;
      var lx = 0, ly = 0, qx = 0, qy = 0, pending = false;
      function End() {
        if (part !== null && pending) part.push(new L.Point(qx, qy));
        part = null;
        pending = false;
      }
      for (var c = 0; c < chunks; c++) {
        if (boxes[c * 4] > maxX || boxes[c * 4 + 2] < minX || boxes[c * 4 + 1] > maxY || boxes[c * 4 + 3] < minY) {
          End();
          continue;
        }
        var first = c * CHUNK, last = Math.min(first + CHUNK, n - 1);
        var px = this._X(first), py = this._Y(first);
        for (var i = first + 1; i <= last; i++) {
          var x = this._X(i), y = this._Y(i);
          if ((px > x ? px : x) >= minX && (px < x ? px : x) <= maxX && (py > y ? py : y) >= minY &&
              (py < y ? py : y) <= maxY) {
            if (part === null) {
              part = [new L.Point(px, py)];
              parts.push(part);
              lx = px;
              ly = py;
            }
            if ((x - lx) * (x - lx) + (y - ly) * (y - ly) > sqTolerance) {
              part.push(new L.Point(x, y));
              lx = x;
              ly = y;
              pending = false;
            } else {
              qx = x;
              qy = y;
              pending = true;
            }
          } else {
            End();
          }
          px = x;
          py = y;
        }
      }
      End();
      for (var k = 0; k < parts.length; k++) parts[k] = L.LineUtil.simplify(parts[k], tolerance);
      return parts;
    },

    _updatePath: function () { this._renderer._updatePoly(this); },

    _containsPoint: function (p) { return L.Polyline.prototype._containsPoint.call(this, p, false); }
  });

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
      var points = new Array(path.length);
      for (var i = 0; i < path.length; i++) points[i] = ToLatLng(path[i]);
      this._leaflet = new TrackLine(points, {
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
