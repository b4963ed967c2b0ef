#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "../../player/ScreenReading.h"
#include "ManualTimerHost.h"
#include "TestFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "tools/samplecard/SampleCard.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/window/CQuorbexDlg.h"

namespace viewer {

// Runs the event loop until done holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    QTest::qWait(5);
  }
  return true;
}

// The card's root folder of a generated recording: above Normal/Main.
inline std::filesystem::path CardRootOf(const std::filesystem::path& main_path) {
  return main_path.parent_path().parent_path().parent_path();
}

// A main window started with settings of its own (a fresh start-up folder
// and configuration home), shown; the settings point back at the working
// directory afterwards.
class WindowUnderTest : public ::testing::Test {
 protected:
  struct Box {
    QString text, caption;
  };
  void SetUp() override {
    CMsgBox::SetRunner([this](CMsgDlg& dialog) {
      boxes_.push_back({dialog.message()->text(), dialog.windowTitle()});
      return static_cast<int>(QDialog::Accepted);
    });
    std::filesystem::create_directories(dir_ / "start");
    InitializeSettings(dir_ / "start", dir_ / "config");
    ASSERT_TRUE(window_.InitDialog());
    window_.show();
  }
  void TearDown() override {
    InitializeSettings(std::filesystem::current_path());
    CMsgBox::SetRunner([](CMsgDlg& dialog) { return dialog.exec(); });
  }
  // The texts of the message boxes shown so far.
  std::vector<QString> BoxTexts() const {
    std::vector<QString> texts;
    for (const Box& box : boxes_) texts.push_back(box.text);
    return texts;
  }

  // Lists a generated card as the source.
  void OpenCard(const std::vector<samplecard::WrittenRecording>& card) {
    window_.filer()->OpenSource(CardRootOf(card.front().main_path), library::SourceKind::kCard);
  }
  const std::vector<library::RecordingEntry>& Rows() const { return window_.filer()->list()->rows(); }
  // As the user's click on a row of the list.
  void Select(int row) { window_.filer()->list()->on_row_selected(row); }

  // Message boxes shown (answered OK at once).
  std::vector<Box> boxes_;
  testfiles::TempDir dir_;
  // Timers the test fires itself, once it hands them to the window with
  // window_.timers().UseHost(manual_timers_); made before the window and
  // gone after it.
  ManualTimerHost manual_timers_;
  CQuorbexDlg window_;
};

// The window with a generated card as its source: rows are selected as a
// click would, and what the front view shows is read from its strip.
class CardWindow : public WindowUnderTest {
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
  player::MovieView& Front() { return window_.views().view(player::ViewPair::kFront); }
  player::MovieView& Rear() { return window_.views().view(player::ViewPair::kRear); }
  int FrontStrip() { return player::screen::StripOnScreen(Front()); }
  // Waits for the front view to show a picture of the recording, then for
  // playback to move past it; the frame first seen, or -1.
  int WaitForPlayback() {
    int first = -1;
    if (!WaitUntil([&] { return (first = FrontStrip()) >= 0; })) return -1;
    if (!WaitUntil([&] { return FrontStrip() > first + 5; })) return -1;
    return first;
  }
};

}  // namespace viewer
