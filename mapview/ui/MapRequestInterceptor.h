#pragma once

#include <QWebEngineUrlRequestInterceptor>

namespace mapview {

// Lets the map page reach its own scheme and, for the background, tile
// images over http(s); blocks everything else. Offline it blocks every
// address outside the scheme, which is how the tests prove the page needs no
// network.
class MapRequestInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

  void set_offline(bool offline) { offline_ = offline; }
  // Requests refused so far (read on the UI thread; the engine calls
  // interceptRequest there too).
  int blocked() const { return blocked_; }

  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  bool offline_ = false;
  int blocked_ = 0;
};

}  // namespace mapview
