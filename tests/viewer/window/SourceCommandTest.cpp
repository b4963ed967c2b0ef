#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "../../player/ScreenReading.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "library/SourceSetting.h"
#include "library/ui/CFilerContainerDlg.h"
#include "library/ui/CSourceOpenDlg.h"
#include "viewer/commands/Controls.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/UiQText.h"
#include "viewer/window/SourceCommand.h"
#include "viewer/window/ViewModes.h"
#include "viewer/window/ZoomController.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using library::SourceKind;

constexpr char kRecording[] = "A__-240301-100000-000001M.MOV";

class SourceCommanding : public WindowUnderTest {
 protected:
  void SetUp() override {
    WindowUnderTest::SetUp();
    QApplication::processEvents();  // the deferred reload of the last source
    CMsgBox::SetRunner([this](CMsgDlg& d) {
      messages_.push_back(d.message()->text());
      return static_cast<int>(QDialog::Accepted);
    });
  }
  void TearDown() override {
    CMsgBox::SetRunner([](CMsgDlg& d) { return d.exec(); });
    window_.Shutdown();
    WindowUnderTest::TearDown();
  }
  // The dialog answers with kind and the path typed into its field; accepted
  // unless cancel.
  void Answer(SourceKind kind, const fs::path& path, bool cancel = false) {
    window_.source_command().set_dialog_runner([=, this](library::CSourceOpenDlg& d) {
      row_when_asked_ = window_.filer()->current_row();
      state_when_asked_ = window_.views().state();
      if (kind == SourceKind::kFolder) d.folder_field()->setText(QString::fromStdString(path.string()));
      if (kind == SourceKind::kFile) d.file_field()->setText(QString::fromStdString(path.string()));
      d.Choose(kind);
      if (cancel) {
        d.reject();
      } else {
        d.accept();
      }
      return d.result();
    });
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const auto& e : window_.filer()->list()->rows()) rows.push_back(e.path);
    return rows;
  }
  std::string Source(const char* key) { return ReadFolderIni(kSectionSource, key); }
  int FrontStrip() { return player::screen::StripOnScreen(window_.views().view(player::ViewPair::kFront)); }

  QStringList messages_;
  int row_when_asked_ = -2;
  player::MovieView::ViewState state_when_asked_ = player::MovieView::ViewState::kNothing;
};

TEST_F(SourceCommanding, StopsPlaybackAndEndsZoomBeforeAskingThenLoadsTheChosenFolder) {
  samplecard::CardOptions options;
  options.recordings = 2;
  options.seconds = 3.0;
  const auto card = player::screen::MakeCard(options);
  window_.filer()->OpenSource(CardRootOf(card.front().main_path), SourceKind::kCard);
  ASSERT_GE(window_.filer()->list()->rows().size(), 2u);
  window_.filer()->list()->on_row_selected(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return FrontStrip() > 3; }, 10000)) << "the recording never played";
  window_.view_modes().zoom().SetZoomMode(true);

  const fs::path folder = card.front().main_path.parent_path();
  Answer(SourceKind::kFolder, folder);
  window_.OnCommand(CommandOf(Control::kSource));

  EXPECT_EQ(row_when_asked_, 0) << "the first row is selected before the dialog";
  EXPECT_EQ(state_when_asked_, player::MovieView::ViewState::kStopped);
  EXPECT_FALSE(window_.view_modes().zoom().zoom_mode());
  // The old source's recording goes with it: nothing of it plays on.
  EXPECT_TRUE(QTest::qWaitFor([&] { return FrontStrip() < 0; }, 5000)) << "the old recording is still shown";
  EXPECT_FALSE(window_.loaded());

  EXPECT_EQ(Source("SELECT"), "FOLDER");
  EXPECT_EQ(Source("FOLDER"), folder.string());
  EXPECT_EQ(window_.filer()->scanner().kind(), SourceKind::kFolder);
  ASSERT_FALSE(window_.filer()->scanner().tree().top().empty());
  library::TreeItem* top = window_.filer()->scanner().tree().top()[0].get();
  ASSERT_FALSE(top->children.empty());
  window_.filer()->SelectItem(top->children[0].get());
  std::vector<std::string> in_folder;
  for (const auto& r : card) {
    if (r.main_path.parent_path() == folder) in_folder.push_back(r.main_path.string());
  }
  EXPECT_EQ(Rows(), in_folder);
  EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(SourceCommanding, ARecordingFileBecomesTheOnlyRow) {
  const fs::path file = dir_ / "one" / kRecording;
  testfiles::WriteStubRecording(file);
  Answer(SourceKind::kFile, file);
  window_.OnCommand(CommandOf(Control::kSource));
  EXPECT_EQ(Source("SELECT"), "FILE");
  EXPECT_EQ(Source("FILE"), file.string());
  EXPECT_EQ(Rows(), std::vector<std::string>{file.string()});
  EXPECT_TRUE(messages_.isEmpty());
}

struct RefusedRow {
  const char* name;
  SourceKind kind;
  const char* path;  // under the test folder
  bool cancel;
  bool message;  // UI text 99
};
void PrintTo(const RefusedRow& row, std::ostream* out) { *out << row.name; }

class SourceRefused : public SourceCommanding, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(SourceRefused, TheOldSourceStaysListedAndStored) {
  const RefusedRow& r = GetParam();
  const fs::path old_folder = dir_ / "old";
  testfiles::WriteStubRecording(old_folder / kRecording);
  testfiles::WriteStubRecording(dir_ / "other" / "holiday.mov");
  testfiles::WriteStubRecording(dir_ / "other" / "A__-240301-100100-000002M.MOV");
  ASSERT_TRUE(library::WriteSourceSetting(SourceKind::kFolder, old_folder.string()));
  ASSERT_TRUE(WriteFolderIni(kSectionSource, kKeyFile, (dir_ / "other" / "A__-240301-100100-000002M.MOV").string()));
  window_.filer()->OpenSource(old_folder, SourceKind::kFolder);
  window_.filer()->SelectItem(window_.filer()->scanner().tree().top()[0]->children.at(0).get());
  const std::vector<std::string> before = Rows();
  ASSERT_EQ(before.size(), 1u);

  Answer(r.kind, dir_ / r.path, r.cancel);
  window_.OnCommand(CommandOf(Control::kSource));

  EXPECT_EQ(Rows(), before);
  EXPECT_EQ(window_.filer()->scanner().kind(), SourceKind::kFolder);
  EXPECT_EQ(Source("SELECT"), "FOLDER");
  EXPECT_EQ(Source("FOLDER"), old_folder.string());
  EXPECT_EQ(Source("FILE"), (dir_ / "other" / "A__-240301-100100-000002M.MOV").string());
  EXPECT_EQ(messages_, r.message ? QStringList{UiQText(99)} : QStringList{});
}

const RefusedRow kRefused[] = {
    {"MissingFolder", SourceKind::kFolder, "nowhere", false, false},
    {"MissingFile", SourceKind::kFile, "other/A__-240301-100200-000003M.MOV", false, false},
    {"FileWithForeignName", SourceKind::kFile, "other/holiday.mov", false, true},
    {"Cancelled", SourceKind::kFolder, "other", true, false},
};
std::string RefusedName(const ::testing::TestParamInfo<RefusedRow>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Rows, SourceRefused, ::testing::ValuesIn(kRefused), RefusedName);

}  // namespace
}  // namespace viewer
