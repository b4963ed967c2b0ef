#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/window/CQuorbexDlg.h"

namespace viewer {

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

  testfiles::TempDir dir_;
  CQuorbexDlg window_;
};

// The card's root folder of a generated recording: above Normal/Main.
inline std::filesystem::path CardRootOf(const std::filesystem::path& main_path) {
  return main_path.parent_path().parent_path().parent_path();
}

}  // namespace viewer
