#include "player/ErrorReporter.h"

#include <cstdio>
#include <mutex>

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

struct MissingDecoderText {
  std::mutex mutex;
  std::string text;
};
MissingDecoderText& Published() {
  static MissingDecoderText published;
  return published;
}

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
    MissingDecoderText& published = Published();
    const std::lock_guard<std::mutex> lock(published.mutex);
    if (!published.text.empty()) return published.text;
  }
  return Unknown(hr);
}

void SetMissingDecoderText(std::string text) {
  MissingDecoderText& published = Published();
  const std::lock_guard<std::mutex> lock(published.mutex);
  published.text = std::move(text);
}

}  // namespace player
