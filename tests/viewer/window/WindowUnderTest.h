#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "TestFiles.h"
#include "library/ui/CFilerContainerDlg.h"
#include "tools/samplecard/SampleCard.h"
#include "viewer/settings/FolderIni.h"
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
  void SetUp() override {
    std::filesystem::create_directories(dir_ / "start");
    InitializeSettings(dir_ / "start", dir_ / "config");
    ASSERT_TRUE(window_.InitDialog());
    window_.show();
  }
  void TearDown() override { InitializeSettings(std::filesystem::current_path()); }

  // Lists a generated card as the source.
  void OpenCard(const std::vector<samplecard::WrittenRecording>& card) {
    window_.filer()->OpenSource(CardRootOf(card.front().main_path), library::SourceKind::kCard);
  }
  const std::vector<library::RecordingEntry>& Rows() const { return window_.filer()->list()->rows(); }
  // As the user's click on a row of the list.
  void Select(int row) { window_.filer()->list()->on_row_selected(row); }

  testfiles::TempDir dir_;
  CQuorbexDlg window_;
};

}  // namespace viewer
