#pragma once

#include <filesystem>
#include <vector>

#include "../../player/ScreenReading.h"
#include "WindowUnderTest.h"
#include "viewer/commands/Controls.h"
#include "viewer/window/RecordingOpener.h"

namespace viewer {

// A generated card of count recordings of seconds each (320 x 180). With
// seven, Normal holds two folders: the first five recordings, then the last
// two (a new folder starts at the recording whose name marks a restart).
inline std::vector<samplecard::WrittenRecording> CardOf(int count, double seconds) {
  samplecard::CardOptions options;
  options.recordings = count;
  options.seconds = seconds;
  return player::screen::MakeCard(options);
}

// Cut short to a few kilobytes: no picture decodes from either camera.
inline void Break(const samplecard::WrittenRecording& r) {
  for (const std::filesystem::path& p : {r.main_path, r.sub_path}) std::filesystem::resize_file(p, 4096);
}

// The window with real players on a generated card, opening and playing
// its recordings.
class RecordingOpening : public CardWindow {
 protected:
  // Opens the card and plays its first recording, which the card's first
  // folder opened stopped at its start.
  bool PlayCard(const std::vector<samplecard::WrittenRecording>& card) {
    OpenCard(card);
    if (!WaitUntil([&] { return window_.opener().opened() == card.front().main_path && window_.loaded(); })) {
      return false;
    }
    window_.OnCommand(CommandOf(Control::kPlay));
    return WaitForPlayback() >= 0;
  }
  // Waits until path is the recording opened last and it plays.
  bool WaitUntilPlaying(const std::filesystem::path& path) {
    return WaitUntil([&] { return window_.opener().opened() == path && window_.views().media_ready(); }) &&
           WaitForPlayback() >= 0;
  }
};

}  // namespace viewer
