#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "mapview/HostWebViewObject.h"
#include "mapview/MapSink.h"
#include "mapview/MapTileSetting.h"
#include "mapview/MapWindow.h"

class QWebEngineProfile;
class QWebEngineView;

namespace mapview {

class MapRequestInterceptor;
class MapSchemeHandler;
class MapWebPage;

// The map window on the browser engine: shows the map page in a web view at
// zoom 0.65 over the whole window, answers the page's host calls through the
// sink, and runs the host's statements in the page. Needs the map's scheme
// registered before the application object (RegisterMapScheme).
class CGoogleMapDlg2 : public QWidget, public MapWindow {
 public:
  CGoogleMapDlg2(QWidget* parent, MapSink* sink);
  // The tiles are read from the settings unless given.
  CGoogleMapDlg2(QWidget* parent, MapSink* sink, MapTileSetting tiles);
  ~CGoogleMapDlg2() override;

  void ExecScript(const std::string& statement) override;
  void UpdateData(double lat, double lng, const std::string& status_text) override;
  bool PostWebMessage(const std::string& json) override;
  void SetOnlineMark(bool reachable) override;
  void ShowMapWindow(bool show) override;
  bool IsMapWindowVisible() const override;

  // Called once when the engine cannot show the map: its page process ended,
  // or the page did not report its map built (JS2C_OnInitHtml) within the
  // start-up time. The owner then puts the native window in this one's place.
  void set_on_engine_failed(std::function<void()> on_failed) { on_engine_failed_ = std::move(on_failed); }
  void set_start_timeout_ms(int ms) { start_timer_.setInterval(ms); }

  // What UpdateData last stored: the status message's values.
  double lat() const { return lat_; }
  double lng() const { return lng_; }
  const std::string& status_text() const { return status_text_; }

  QWebEngineView* view() const { return view_; }
  MapWebPage* page() const { return page_; }
  MapRequestInterceptor* interceptor() const { return interceptor_; }

  static constexpr double kZoomFactor = 0.65;
  static constexpr int kStartTimeoutMs = 10000;

 private:
  void OnHostCall(std::string_view method);
  void EngineFailed();
  void SendOnlineMark();

  HostWebViewObject host_;
  QWebEngineProfile* profile_ = nullptr;
  MapSchemeHandler* handler_ = nullptr;
  MapRequestInterceptor* interceptor_ = nullptr;
  MapWebPage* page_ = nullptr;
  QWebEngineView* view_ = nullptr;
  QTimer start_timer_;
  std::function<void()> on_engine_failed_;
  bool failed_ = false;
  bool map_built_ = false;
  int online_mark_ = -1;  // -1: not told yet
  double lat_ = 0.0;
  double lng_ = 0.0;
  std::string status_text_;
};

}  // namespace mapview
