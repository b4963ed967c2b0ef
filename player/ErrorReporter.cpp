#include "player/ErrorReporter.h"

#include <cstdio>

#include "viewer/settings/UiTextTable.h"

namespace player {
namespace {

struct KnownResult {
  HRESULT hr;
  const char* text;
};
constexpr KnownResult kKnown[] = {
    {E_NOTIMPL, "E_NOTIMPL"},         {E_NOINTERFACE, "E_NOINTERFACE"},
    {E_POINTER, "E_POINTER"},         {VFW_E_NOT_CONNECTED, "VFW_E_NOT_CONNECTED"},
    {VFW_E_WRONG_STATE, "VFW_E_WRONG_STATE"}, {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
    {E_INVALIDARG, "E_INVALIDARG"},
};

std::string Unknown(HRESULT hr) {
  char text[32];
  std::snprintf(text, sizeof text, "Unknown 0x%x", static_cast<unsigned>(hr));
  return text;
}

}  // namespace

std::string ErrorText(HRESULT hr) {
  for (const KnownResult& k : kKnown) {
    if (k.hr == hr) return k.text;
  }
  if (hr == VFW_E_NO_DECODER) {
    const auto text = viewer::UiText(114);
    return text.empty() ? Unknown(hr) : std::string(text);
  }
  return Unknown(hr);
}

}  // namespace player
