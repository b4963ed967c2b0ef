#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "FakeFileSystem.h"
#include "RecordingOpening.h"
#include "TestFiles.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/commands/Controls.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/FileWorkerHost.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

// The CSV command of the window on a generated card, with real players; the
// folder picker and the message boxes answered by the test.
class CsvCommanding : public RecordingOpening {
 protected:
  void SetUp() override {
    RecordingOpening::SetUp();
    fs::create_directories(out_);
    window_.files().set_folder_runner([this](QWidget*, const QString&, const QString&) {
      ++folders_asked_;
      return QString::fromStdString(folder_answer_.string());
    });
    CMsgBox::SetRunner([this](CMsgDlg& dialog) {
      boxes_.push_back({dialog.message()->text(), dialog.windowTitle()});
      const bool question = dialog.windowTitle() == UiQText(106);
      return static_cast<int>(question && !replace_ ? QDialog::Rejected : QDialog::Accepted);
    });
  }
  // Runs the command and waits for its end step.
  void Export() {
    window_.OnCommand(CommandOf(Control::kCsv));
    ASSERT_TRUE(WaitUntil([&] { return !window_.files().running(); }, std::chrono::seconds(30)));
  }
  fs::path Written() const { return out_ / ("Dv_20" + card_.front().base_name.substr(4, 6) + "_" +
                                            card_.front().base_name.substr(11, 6) + ".csv"); }
  std::string Decoded() {
    int status = -1;
    std::string text = testfiles::Run("iconv -f CP932 -t UTF-8 '" + Written().string() + "'", &status);
    EXPECT_EQ(status, 0);
    return text;
  }
  std::vector<fs::path> OutFiles() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(out_)) files.push_back(e.path().filename());
    return files;
  }

  std::vector<samplecard::WrittenRecording> card_ = CardOf(3, 2.0);
  fs::path out_ = dir_ / "out";
  fs::path folder_answer_ = out_;
  int folders_asked_ = 0;
  bool replace_ = true;
};

TEST_F(CsvCommanding, WritesTheListAsksBeforeReplacingAndComesBackPausedWhereItWas) {
  ASSERT_TRUE(PlayCard(card_));
  window_.OnCommand(CommandOf(Control::kPlay));  // pause
  ASSERT_TRUE(WaitUntil([&] { return window_.views().state() == player::MovieView::ViewState::kPaused; }));
  const int frame = FrontStrip();
  ASSERT_GT(frame, 0);

  Export();
  EXPECT_EQ(folders_asked_, 1);
  ASSERT_TRUE(fs::exists(Written()));
  const std::string first = Decoded();
  std::size_t lines = 0;
  for (std::size_t at = first.find("\r\n"); at != std::string::npos; at = first.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, Rows().size() + 1);
  for (const auto& row : Rows()) EXPECT_NE(first.find("\r\n" + row.name + ","), std::string::npos) << row.name;
  ASSERT_EQ(BoxTexts(), std::vector<QString>{UiQText(48)});
  EXPECT_EQ(ReadFolderIni(kSectionFolderPath, kKeyCsvFolder), out_.string());
  // The recording comes back at the frame it showed, paused.
  ASSERT_TRUE(WaitUntil([&] { return window_.loaded() && FrontStrip() == frame; })) << FrontStrip();
  EXPECT_EQ(window_.views().state(), player::MovieView::ViewState::kPaused);

  // The same list into the same folder: asked first; Cancel keeps the file.
  boxes_.clear();
  testfiles::WriteFile(Written(), testfiles::Text("earlier"));
  replace_ = false;
  Export();
  EXPECT_EQ(BoxTexts(), std::vector<QString>{UiQText(93)});
  EXPECT_EQ(testfiles::ReadFile(Written()), testfiles::Text("earlier"));
  // OK replaces it.
  boxes_.clear();
  replace_ = true;
  Export();
  EXPECT_EQ(BoxTexts(), (std::vector<QString>{UiQText(93), UiQText(48)}));
  EXPECT_EQ(Decoded(), first);
  EXPECT_EQ(OutFiles(), std::vector<fs::path>{Written().filename()});
}

TEST_F(CsvCommanding, NoFolderChosenWritesNothingAndLeavesPlaybackAlone) {
  ASSERT_TRUE(PlayCard(card_));
  folder_answer_.clear();
  Export();
  EXPECT_EQ(folders_asked_, 1);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(OutFiles().empty());
  EXPECT_TRUE(ReadFolderIni(kSectionFolderPath, kKeyCsvFolder).empty());
  // Paused by the command, still open where it was.
  EXPECT_EQ(window_.views().state(), player::MovieView::ViewState::kPaused);
  EXPECT_EQ(window_.opener().opened(), card_.front().main_path);
}

TEST_F(CsvCommanding, FileThatCannotBeWrittenSaysWhyAndNeverCompletes) {
  ASSERT_TRUE(PlayCard(card_));
  testfiles::FakeFileSystem fake;
  fake.output_budget = 200;  // the disk fills up after the first lines
  platform::ScopedFileSystem scoped(fake);
  Export();
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_TRUE(boxes_[0].text.startsWith(UiQText(96) + "\n" + QString::fromStdString(Written().string())))
      << boxes_[0].text.toStdString();
  EXPECT_EQ(boxes_[0].caption, QStringLiteral("ERROR"));
  EXPECT_TRUE(OutFiles().empty());
  EXPECT_TRUE(ReadFolderIni(kSectionFolderPath, kKeyCsvFolder).empty());
  // The recording the export closed comes back.
  EXPECT_TRUE(WaitUntil([&] { return window_.loaded() && window_.opener().opened() == card_.front().main_path; }));
}

}  // namespace
}  // namespace viewer
