#pragma once

#include <functional>
#include <string>

#include "player/PlayerMessages.h"

namespace player {

// The text a failure is shown with: the result's name, the missing-decoder
// text as published, or "Unknown 0x%x" (also for a missing decoder while no
// text is published).
std::string ErrorText(HRESULT hr);

// Publishes the text views show when no decoder exists for a stream (the
// viewer publishes its UI text 114 at start-up, in the current language).
// Any thread.
void SetMissingDecoderText(std::string text);

// Where failures go: the result, its text as above, and why it failed (a
// short text naming the file and the fault, from the reader or FFmpeg;
// empty when there is nothing more to say). The viewer shows them in a
// skinned message box after the view's lock is released; tools print them;
// tests collect them.
using ErrorSink = std::function<void(HRESULT hr, const std::string& text, const std::string& why)>;

}  // namespace player
