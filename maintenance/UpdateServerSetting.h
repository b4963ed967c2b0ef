#pragma once

#include <string>

namespace maintenance {

// Where the update check looks: section "UPDATE", key "SERVER", a host
// name with an optional ":port". The default is held here and never written
// to the settings file; empty (the default) means no update check.
inline constexpr char kSectionUpdate[] = "UPDATE";
inline constexpr char kKeyServer[] = "SERVER";
inline constexpr char kDefaultUpdateServer[] = "";

std::string ReadUpdateServer();

}  // namespace maintenance
