#pragma once

#include <string_view>

#include "library/SourceScanner.h"

namespace library {

// How a chosen source is kept in the settings: "SOURCE"/"SELECT" names the
// kind ("SD", "FOLDER" or "FILE"), and the key of that same name holds the
// drive, folder or file. The source dialog and the command line both write it.
std::string_view SourceSelectValue(SourceKind kind);
// The kind a stored "SELECT" value names; anything else (empty, "SD",
// unknown) is the card, as the source dialog reads it.
SourceKind SourceKindOfSelect(std::string_view select);
// Writes "SELECT" and then the value under the kind's key; false when either
// write failed or the kind is none (nothing is written then).
bool WriteSourceSetting(SourceKind kind, std::string_view value);

}  // namespace library
