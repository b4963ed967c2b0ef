#include "mapview/ui/MapWebPage.h"

#include "mapview/MapPageAddress.h"

namespace mapview {

bool MapWebPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool) {
  return url.scheme() == QLatin1String(kMapScheme) && url.host() == QLatin1String(kMapHost);
}

QWebEnginePage* MapWebPage::createWindow(WebWindowType) { return nullptr; }

// The synchronous host calls draw a deprecation warning on every call; the
// page's errors are counted by the shim instead.
void MapWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) {}

}  // namespace mapview
