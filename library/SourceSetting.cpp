#include "library/SourceSetting.h"

#include "viewer/settings/FolderIni.h"

namespace library {
namespace {

struct SourceRow {
  SourceKind kind;
  const char* key;  // also the "SELECT" value
};
constexpr SourceRow kSourceRows[] = {{SourceKind::kCard, viewer::kKeySd},
                                     {SourceKind::kFolder, viewer::kKeyFolder},
                                     {SourceKind::kFile, viewer::kKeyFile}};

const SourceRow* RowOf(SourceKind kind) {
  for (const SourceRow& row : kSourceRows) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

}  // namespace

std::string_view SourceSelectValue(SourceKind kind) {
  const SourceRow* row = RowOf(kind);
  return row == nullptr ? std::string_view() : row->key;
}

SourceKind SourceKindOfSelect(std::string_view select) {
  for (const SourceRow& row : kSourceRows) {
    if (select == row.key) return row.kind;
  }
  return SourceKind::kCard;
}

bool WriteSourceSetting(SourceKind kind, std::string_view value) {
  const SourceRow* row = RowOf(kind);
  if (row == nullptr) return false;
  const bool selected = viewer::WriteFolderIni(viewer::kSectionSource, viewer::kKeySelect, row->key);
  return viewer::WriteFolderIni(viewer::kSectionSource, row->key, value) && selected;
}

}  // namespace library
