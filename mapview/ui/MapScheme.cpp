#include "mapview/ui/MapScheme.h"

#include <QWebEngineUrlScheme>

#include "mapview/MapPageAddress.h"

namespace mapview {

void RegisterMapScheme() {
  if (MapSchemeRegistered()) return;
  // Host syntax gives the page a real origin (a path-syntax scheme gets an
  // opaque one, and its own requests would count as cross-origin). Local:
  // pages from the network cannot load it.
  QWebEngineUrlScheme scheme(kMapScheme);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
  scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
  scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme |
                  QWebEngineUrlScheme::LocalAccessAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);
}

bool MapSchemeRegistered() { return QWebEngineUrlScheme::schemeByName(kMapScheme).name() == kMapScheme; }

}  // namespace mapview
