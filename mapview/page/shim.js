// Runs before any script of the map page, in the page's main world. Gives it
// the host object "sample" (each call a synchronous GET to the map's scheme,
// arguments and answer in JSON), the message listener, the delivery function
// the viewer posts status messages through, and a count of script errors
// that the page's own window.onerror cannot hide.
(function () {
  'use strict';
  var errors = 0;
  var messages = [];
  // Only script errors: a failed image or tile raises a plain Event.
  window.addEventListener('error', function (event) {
    if (!(event instanceof ErrorEvent)) return;
    errors++;
    if (messages.length < 10) messages.push(event.message + ' (' + event.filename + ':' + event.lineno + ')');
  });
  window.addEventListener('unhandledrejection', function (event) {
    errors++;
    if (messages.length < 10) messages.push('unhandled rejection: ' + String(event.reason));
  });

  // A track the host packed (see the host object): n fixes, positions in
  // ten-millionths of a degree, each fix after the first as differences.
  // Unpacked into [lat, lng, frame, ..., count], the array the page asks for.
  function Unpack(packed) {
    var n = packed[0];
    if (!Number.isInteger(n) || n < 1 || packed.length !== 3 * n + 1) throw new Error('malformed track');
    var out = new Array(3 * n + 1);
    var lat = 0, lng = 0, frame = 0;
    for (var i = 0; i < n; i++) {
      lat += packed[3 * i + 1];
      lng += packed[3 * i + 2];
      frame += packed[3 * i + 3];
      out[3 * i] = lat / 1e7;
      out[3 * i + 1] = lng / 1e7;
      out[3 * i + 2] = frame;
    }
    out[3 * n] = 3 * n;
    return out;
  }

  function Call(method, args) {
    var request = new XMLHttpRequest();
    request.open('GET', 'brennovale://map/call/' + encodeURIComponent(method) + '?args=' +
        encodeURIComponent(JSON.stringify(args)), false);
    try {
      request.send();
    } catch (e) {
      throw new Error('host call ' + method + ' failed');
    }
    var answer = JSON.parse(request.responseText);
    if (answer !== null && typeof answer === 'object' && Array.isArray(answer.packed)) return Unpack(answer.packed);
    return answer;
  }

  var sample = new Proxy({}, {
    get: function (target, name) {
      if (typeof name !== 'string' || name === 'then') return undefined;
      return function () { return Call(name, Array.prototype.slice.call(arguments)); };
    }
  });

  var listeners = [];
  var webview = Object.freeze({
    hostObjects: Object.freeze({sync: Object.freeze({sample: sample})}),
    addEventListener: function (type, listener) {
      if (type === 'message' && typeof listener === 'function') listeners.push(listener);
    },
    removeEventListener: function (type, listener) {
      var at = listeners.indexOf(listener);
      if (type === 'message' && at >= 0) listeners.splice(at, 1);
    }
  });
  if (typeof window.chrome !== 'object' || window.chrome === null) window.chrome = {};
  Object.defineProperty(window.chrome, 'webview', {value: webview});

  // text: the message's JSON, passed as a string literal; never script.
  Object.defineProperty(window, '__brennovaleDeliver', {
    value: function (text) {
      var data;
      try {
        data = JSON.parse(text);
      } catch (e) {
        return false;
      }
      var event = {data: data};
      listeners.slice().forEach(function (listener) { listener(event); });
      return true;
    }
  });
  Object.defineProperty(window, '__brennovaleErrors', {get: function () { return errors; }});
  Object.defineProperty(window, '__brennovaleErrorLog', {get: function () { return messages.join('\n'); }});
})();
