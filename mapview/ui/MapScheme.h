#pragma once

namespace mapview {

// Registers the map's URL scheme with the browser engine. Must run in main()
// before the application object exists: later registrations are ignored.
void RegisterMapScheme();
// Whether RegisterMapScheme has run in this process (a program that did not
// register it cannot show the web map).
bool MapSchemeRegistered();

}  // namespace mapview
