#pragma once

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "../../player/ScreenReading.h"
#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/window/RecordingOpener.h"
#include "WindowUnderTest.h"

namespace viewer {

// Runs the window's event loop until done holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(10000)) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    QTest::qWait(5);
  }
  return true;
}

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

// The window with real players on a generated card: rows are selected as a
// click does, and what plays is read off the front view's frame strip.
class RecordingOpening : public WindowUnderTest {
 protected:
  void SetUp() override {
    WindowUnderTest::SetUp();
    // The deferred initialisation reloads the last source; let it run before
    // a card is opened.
    QApplication::processEvents();
  }
  void TearDown() override {
    window_.Shutdown();
    WindowUnderTest::TearDown();
  }
  // Opening a card selects its first folder, which opens its first row.
  void OpenCard(const std::vector<samplecard::WrittenRecording>& card) {
    window_.filer()->OpenSource(CardRootOf(card.front().main_path), library::SourceKind::kCard);
  }
  const std::vector<library::RecordingEntry>& Rows() const { return window_.filer()->list()->rows(); }
  int RowOf(const std::filesystem::path& path) const {
    for (std::size_t i = 0; i < Rows().size(); ++i) {
      if (std::filesystem::path(Rows()[i].path) == path) return static_cast<int>(i);
    }
    return -1;
  }
  void Select(int row) { window_.filer()->list()->on_row_selected(row); }
  int FrontStrip() { return player::screen::StripOnScreen(window_.views().view(player::ViewPair::kFront)); }
  // Waits for the front view to show a picture of the recording, then for
  // playback to move past it; the frame first seen, or -1.
  int WaitForPlayback() {
    int first = -1;
    if (!WaitUntil([&] { return (first = FrontStrip()) >= 0; })) return -1;
    if (!WaitUntil([&] { return FrontStrip() > first + 5; })) return -1;
    return first;
  }
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
