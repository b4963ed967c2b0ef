#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <vector>

#include "TestFiles.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/window/CQuorbexDlg.h"

namespace viewer {

// A main window started with settings of its own (a fresh start-up folder
// and configuration home), shown; the settings point back at the working
// directory afterwards. Message boxes are answered at once and their texts
// kept in boxes_.
class WindowUnderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMsgBox::SetRunner([this](CMsgDlg& box) {
      boxes_.push_back(box.message()->text());
      return 1;
    });
    std::filesystem::create_directories(dir_ / "start");
    InitializeSettings(dir_ / "start", dir_ / "config");
    ASSERT_TRUE(window_.InitDialog());
    window_.show();
  }
  void TearDown() override {
    InitializeSettings(std::filesystem::current_path());
    CMsgBox::SetRunner([](CMsgDlg& box) { return box.exec(); });
  }

  std::vector<QString> boxes_;
  testfiles::TempDir dir_;
  CQuorbexDlg window_;
};

// The card's root folder of a generated recording: above Normal/Main.
inline std::filesystem::path CardRootOf(const std::filesystem::path& main_path) {
  return main_path.parent_path().parent_path().parent_path();
}

}  // namespace viewer
