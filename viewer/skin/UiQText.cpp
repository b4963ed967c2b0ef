#include "viewer/skin/UiQText.h"

#include "viewer/settings/UiTextTable.h"

namespace viewer {

QString UiQText(int n) {
  const auto text = UiText(n);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace viewer
