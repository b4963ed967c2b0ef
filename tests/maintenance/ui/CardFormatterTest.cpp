#include "maintenance/ui/CardFormatter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <cstdlib>
#include <fstream>

#include "FakeDiskTool.h"
#include "TestFiles.h"
#include "maintenance/FormatScript.h"
#include "viewer/skin/CMsgBox.h"

namespace maintenance {
namespace {

namespace fs = std::filesystem;

// The formatter with the fake tool; message boxes are kept and answered
// with answer_.
class Formatting : public ::testing::Test {
 protected:
  void SetUp() override {
    tool_ = testfiles::WriteFakeDiskTool(dir_.path(), log_);
    ::setenv("BRENNOVALE_DISK_TOOL", tool_.c_str(), 1);
    ::unsetenv("FAKE_DISK_TOOL_EXIT");
    ::unsetenv("FAKE_DISK_TOOL_REMOVE");
    viewer::CMsgBox::SetRunner([this](viewer::CMsgDlg& dialog) {
      boxes_.push_back({dialog.message()->text(), dialog.windowTitle(), dialog.cancel() != nullptr});
      return dialog.cancel() != nullptr ? answer_ : static_cast<int>(QDialog::Accepted);
    });
    fs::create_directory(program_);
    formatter_.set_program_folder(program_);
    formatter_.on_finished = [this](bool ok) { results_.push_back(ok); };
    card_.name = "mmcblk1";
    card_.by_id = "/dev/disk/by-id/mmc-SD08G_0x00001234";
    card_.size = 7948206080ULL;
    card_.model = "SD08G";
    card_.label = "CARD";
  }
  void TearDown() override {
    ::unsetenv("BRENNOVALE_DISK_TOOL");
    viewer::CMsgBox::SetRunner([](viewer::CMsgDlg& dialog) { return dialog.exec(); });
  }
  bool WaitForTheTool() {
    for (int i = 0; i < 1000 && formatter_.running(); ++i) QTest::qWait(10);
    return !formatter_.running();
  }
  std::string Log() const { return testfiles::ReadText(log_); }

  struct Box {
    QString text, caption;
    bool question;
  };
  testfiles::TempDir dir_;
  fs::path log_ = dir_ / "tool.log";
  fs::path tool_;
  fs::path program_ = dir_ / "program";
  fs::path script_ = program_ / "fmt.txt";
  int answer_ = QDialog::Accepted;
  std::vector<Box> boxes_;
  std::vector<bool> results_;
  CardDevice card_;
  CardFormatter formatter_{nullptr};
};

TEST_F(Formatting, TheToolGetsTheScriptAndTheSizeAndSuccessIsReported) {
  int closed = 0;
  formatter_.close_players = [&] {
    ++closed;
    EXPECT_TRUE(boxes_.size() == 1 && boxes_[0].question) << "the players close after the question";
  };
  ASSERT_TRUE(formatter_.Start(card_));
  ASSERT_TRUE(WaitForTheTool());
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(Log(), script_.string() + "\n7948206080\n" + FormatScript("/dev/disk/by-id/mmc-SD08G_0x00001234"));
  EXPECT_FALSE(fs::exists(script_)) << "the script is removed once the tool has run";
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_TRUE(boxes_[0].text.contains("/dev/mmcblk1"));
  EXPECT_TRUE(boxes_[0].text.contains("SD08G"));
  EXPECT_TRUE(boxes_[0].text.contains("7.9 GB"));
  EXPECT_TRUE(boxes_[0].text.contains("CARD"));
  EXPECT_EQ(boxes_[0].caption, "確認");
  EXPECT_EQ(boxes_[1].text, "完了しました。");
  EXPECT_EQ(boxes_[1].caption, "終了");
  EXPECT_EQ(results_, std::vector<bool>{true});
}

TEST_F(Formatting, CancelRunsNothing) {
  answer_ = QDialog::Rejected;
  int closed = 0;
  formatter_.close_players = [&] { ++closed; };
  EXPECT_FALSE(formatter_.Start(card_));
  EXPECT_FALSE(formatter_.running());
  QTest::qWait(100);
  EXPECT_FALSE(fs::exists(log_)) << "the tool ran";
  EXPECT_FALSE(fs::exists(script_));
  EXPECT_EQ(closed, 0) << "the players go on";
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(Formatting, RefusedWhileAFileOperationRuns) {
  formatter_.busy = [] { return true; };
  EXPECT_FALSE(formatter_.Start(card_));
  QTest::qWait(100);
  EXPECT_FALSE(fs::exists(log_));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_FALSE(boxes_[0].question) << "no question: a refusal";
  EXPECT_EQ(boxes_[0].caption, "ERROR");
}

struct FailureRow {
  const char* name;
  int exit_code;
  bool script_left;
};

class ToolFailure : public Formatting, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ToolFailure, IsReportedAsFailureAndTheNextFormatStillWorks) {
  ::setenv("FAKE_DISK_TOOL_EXIT", std::to_string(GetParam().exit_code).c_str(), 1);
  ASSERT_TRUE(formatter_.Start(card_));
  ASSERT_TRUE(WaitForTheTool());
  EXPECT_EQ(fs::exists(script_), GetParam().script_left);
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].caption, "ERROR");
  EXPECT_NE(boxes_[1].text, "完了しました。");
  EXPECT_EQ(results_, std::vector<bool>{false});

  ::setenv("FAKE_DISK_TOOL_EXIT", "0", 1);
  fs::remove(log_);
  ASSERT_TRUE(formatter_.Start(card_));
  ASSERT_TRUE(WaitForTheTool());
  EXPECT_EQ(Log(), script_.string() + "\n7948206080\n" + FormatScript(card_.by_id.string()));
  EXPECT_EQ(boxes_.back().text, "完了しました。");
  EXPECT_FALSE(fs::exists(script_));
}

INSTANTIATE_TEST_SUITE_P(Codes, ToolFailure,
                         ::testing::Values(FailureRow{"ElevationDismissed", 126, true},
                                           FailureRow{"ElevationRefused", 127, true},
                                           FailureRow{"CardChanged", 13, false},
                                           FailureRow{"CardBusy", 14, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Formatting, NoElevationProgramAtAllLeavesTheScriptAndFails) {
  ::setenv("BRENNOVALE_DISK_TOOL", (dir_ / "not-there").c_str(), 1);
  formatter_.Start(card_);
  ASSERT_TRUE(WaitForTheTool());
  EXPECT_TRUE(fs::exists(script_));
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[1].caption, "ERROR");
  EXPECT_EQ(results_, std::vector<bool>{false});
}

TEST(DiskToolCommand, GoesThroughPkexecUnlessRootOrFaked) {
  ::unsetenv("BRENNOVALE_DISK_TOOL");
  QString program;
  QStringList arguments;
  CardFormatter formatter(nullptr);
  formatter.set_program_folder("/opt/brennovale");
  formatter.ToolCommand("/run/user/1000/fmt.txt", 64, &program, &arguments);
  const QString tool = "/opt/brennovale/brennovale-disk-tool";
  if (::geteuid() == 0) {
    EXPECT_EQ(program, tool);
    EXPECT_EQ(arguments, QStringList({"/run/user/1000/fmt.txt", "64"}));
  } else {
    EXPECT_EQ(program, "pkexec");
    EXPECT_EQ(arguments, QStringList({"--disable-internal-agent", tool, "/run/user/1000/fmt.txt", "64"}));
  }
}

}  // namespace
}  // namespace maintenance
