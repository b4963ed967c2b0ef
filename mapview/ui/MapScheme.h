#pragma once

namespace mapview {

// Registers the map's URL scheme with the browser engine. Must run in main()
// before the application object exists: later registrations are ignored.
void RegisterMapScheme();

}  // namespace mapview
