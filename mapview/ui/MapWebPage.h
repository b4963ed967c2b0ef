#pragma once

#include <QWebEnginePage>

namespace mapview {

// The map page's browser page: it stays on the map's scheme (links in the
// attribution, dropped files and script navigations are refused) and never
// opens another window.
class MapWebPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool is_main_frame) override;
  QWebEnginePage* createWindow(WebWindowType type) override;
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override;
};

}  // namespace mapview
