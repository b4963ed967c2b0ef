#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ScreenReading.h"
#include "player/MovieView.h"

namespace player {

using screen::StripOf;

// A two-second recording at 30 fps with a key frame every 10 frames.
inline const samplecard::WrittenRecording& SmallRecording() { return screen::Clip(2); }

// One view set up as the viewer does, with the failures it reports kept.
struct ViewUnderTest {
  struct Failure {
    HRESULT hr;
    std::string text, why;
  };
  ViewUnderTest() {
    view.SetUp("Noto Sans CJK JP");
    view.set_error_sink([this](HRESULT hr, const std::string& text, const std::string& why) {
      failures.push_back({hr, text, why});
    });
  }
  // Opens and waits until the view can show frames.
  ::testing::AssertionResult Open(const std::filesystem::path& path) {
    const HRESULT hr = view.Open(path);
    if (hr != S_OK) return ::testing::AssertionFailure() << "open gave " << hr << ": " << view.reason();
    if (!sink.WaitFor(WM_PLAYER_READY, std::chrono::seconds(5)) || !view.media_ready()) {
      return ::testing::AssertionFailure() << "never ready";
    }
    return ::testing::AssertionSuccess();
  }
  platform::RecordingSink sink;
  MovieView view{&sink, &sink, {}};
  std::vector<Failure> failures;
};

}  // namespace player
