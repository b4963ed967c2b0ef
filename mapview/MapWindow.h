#pragma once

#include <string>

namespace mapview {

// One map window, the web one or the native one, as the map wrapper drives
// it. Exactly one exists at a time.
class MapWindow {
 public:
  virtual ~MapWindow() = default;

  // Runs one statement of the page's protocol ("cplist.ClearCrashPos()",
  // "orbitgrplist.CreateGridLine(3)", ...) in the page's global scope; the
  // result is dropped and nothing waits for it.
  virtual void ExecScript(const std::string& statement) = 0;
  // The position and play-state text the page shows (the hidden fields).
  // The web window sends them with its next status message; the native
  // window reads them on its next once-a-second round, as the page does.
  virtual void UpdateData(double lat, double lng, const std::string& status_text) = 0;
  // Delivers a status message (JSON text) to the page's message listener;
  // false where there is no page to deliver it to.
  virtual bool PostWebMessage(const std::string& json) = 0;
  // Whether the tile server answered the last connection probe; shown as a
  // small online/offline mark beside the attribution.
  virtual void SetOnlineMark(bool reachable) = 0;
  virtual void ShowMapWindow(bool show) = 0;
  virtual bool IsMapWindowVisible() const = 0;
};

}  // namespace mapview
