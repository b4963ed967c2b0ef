#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "library/ui/CFileSelectDlg.h"
#include "library/ui/CSourceOpenDlg.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/skin/CMsgBox.h"
#include "viewer/skin/CMsgDlg.h"
#include "viewer/skin/CSkinCheckButton.h"
#include "viewer/skin/CSkinListCtrl.h"
#include "viewer/settings/FolderIni.h"

namespace library {
namespace {

namespace fs = std::filesystem;

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    viewer::InitializeSettings(dir_ / "start", dir_ / "config");
    viewer::CMsgBox::SetRunner([this](viewer::CMsgDlg& d) {
      messages_.push_back(d.message()->text());
      return static_cast<int>(QDialog::Accepted);
    });
    fake_.use_removable = true;
  }
  void TearDown() override { viewer::CMsgBox::SetRunner([](viewer::CMsgDlg& d) { return d.exec(); }); }
  std::string Source(const char* key) { return viewer::ReadFolderIni(viewer::kSectionSource, key); }

  testfiles::TempDir dir_;
  testfiles::FakeFileSystem fake_;
  platform::ScopedFileSystem scoped_{fake_};
  QStringList messages_;
};

TEST_F(Dialogs, SourceDialogStartsFromTheSettingsAndWritesTheChoice) {
  fake_.removable = {"/media/card1", "/media/card2"};
  viewer::WriteFolderIni("SOURCE", "FOLDER", (dir_ / "videos").string());
  viewer::WriteFolderIni("SOURCE", "SELECT", "FOLDER");
  CSourceOpenDlg dialog(nullptr);
  EXPECT_EQ(dialog.size(), QSize(540, 250));
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("参照先"));
  EXPECT_EQ(dialog.drives()->count(), 2);
  EXPECT_EQ(dialog.drives()->currentText(), "/media/card2") << "the last drive is selected";
  EXPECT_EQ(dialog.kind(), SourceKind::kFolder);
  EXPECT_EQ(dialog.folder_field()->text().toStdString(), (dir_ / "videos").string());
  EXPECT_TRUE(dialog.ok()->isEnabled());
  EXPECT_EQ(dialog.option(SourceKind::kFolder)->CurrentFrame(), viewer::CSkinButton::kPressed);
  EXPECT_EQ(dialog.option(SourceKind::kCard)->CurrentFrame(), viewer::CSkinButton::kNormal);

  QTest::mouseClick(dialog.option(SourceKind::kCard), Qt::LeftButton);
  EXPECT_EQ(dialog.kind(), SourceKind::kCard);
  QTest::mouseClick(dialog.ok(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Source("SELECT"), "SD");
  EXPECT_EQ(Source("SD"), "/media/card2");
}

TEST_F(Dialogs, SourceDialogWithAnEmptyFileValueAndNoDrives) {
  viewer::WriteFolderIni("SOURCE", "SELECT", "FILE");
  CSourceOpenDlg dialog(nullptr);
  EXPECT_EQ(dialog.kind(), SourceKind::kFile);
  EXPECT_FALSE(dialog.ok()->isEnabled()) << "an empty file value leaves OK off";
  dialog.Choose(SourceKind::kCard);
  EXPECT_EQ(dialog.drives()->count(), 0);
  EXPECT_FALSE(dialog.ok()->isEnabled()) << "no removable drive: no card";
  QTest::keyClicks(dialog.folder_field(), "/some/folder");
  dialog.Choose(SourceKind::kFolder);
  EXPECT_TRUE(dialog.ok()->isEnabled()) << "typing works in the path fields";
}

TEST_F(Dialogs, SourceDialogBrowsing) {
  CSourceOpenDlg dialog(nullptr);
  fs::create_directories(dir_ / "picked");
  dialog.set_folder_runner([&](QWidget*, const QString&, const QString&) { return QString::fromStdString((dir_ / "picked").string()); });
  dialog.BrowseFolder();
  EXPECT_EQ(dialog.kind(), SourceKind::kFolder);
  EXPECT_EQ(dialog.folder_field()->text().toStdString(), (dir_ / "picked").string());
  dialog.set_file_runner([](QWidget*, const QString&) { return QString("/x/holiday.mov"); });
  dialog.BrowseFile();
  EXPECT_EQ(messages_, QStringList{QString::fromUtf8("動画のオープンに失敗しました。")});
  EXPECT_EQ(dialog.kind(), SourceKind::kFolder) << "nothing changes";
  dialog.set_file_runner([](QWidget*, const QString&) { return QString("/x/A__-240301-101500-000101M.MOV"); });
  dialog.BrowseFile();
  EXPECT_EQ(dialog.kind(), SourceKind::kFile);
  dialog.accept();
  EXPECT_EQ(Source("SELECT"), "FILE");
  EXPECT_EQ(Source("FILE"), "/x/A__-240301-101500-000101M.MOV");
}

void PressAtFocus(Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, key);
}

TEST_F(Dialogs, SourceDialogTakesTypingAndTabButNoKeyClosesIt) {
  viewer::WriteFolderIni("SOURCE", "FOLDER", "/videos");
  viewer::WriteFolderIni("SOURCE", "SELECT", "FOLDER");
  CSourceOpenDlg dialog(nullptr);
  dialog.show();
  dialog.activateWindow();  // no window manager needed
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  ASSERT_EQ(QApplication::focusWidget(), dialog.folder_field()) << "the chosen source's value has the first focus";
  PressAtFocus(Qt::Key_End);
  QTest::keyClicks(QApplication::focusWidget(), "/2024");
  EXPECT_EQ(dialog.folder_field()->text(), "/videos/2024");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    PressAtFocus(key);
    EXPECT_TRUE(dialog.isVisible()) << key;
  }
  EXPECT_EQ(dialog.result(), 0);
  EXPECT_EQ(Source("FOLDER"), "/videos") << "nothing was written";
  PressAtFocus(Qt::Key_Tab);
  QTest::keyClicks(QApplication::focusWidget(), "/x/A.MOV");
  EXPECT_EQ(dialog.file_field()->text(), "/x/A.MOV") << "Tab moves on to the file field";
  // A round of the tab order never lands on the hidden-looking close button.
  for (int i = 0; i < 12; ++i) {
    PressAtFocus(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), dialog.close_button());
  }
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(Dialogs, OptionButtonsFillTheirRectanglesAndTakeClicksPastTheirLabel) {
  fake_.removable = {"/media/card1"};
  viewer::WriteFolderIni("SOURCE", "FOLDER", "/videos");
  viewer::WriteFolderIni("SOURCE", "FILE", "/x/A__-240301-101500-000101M.MOV");
  viewer::WriteFolderIni("SOURCE", "SELECT", "FOLDER");
  CSourceOpenDlg dialog(nullptr);
  const struct {
    const char* name;
    SourceKind kind;
    QRect box;
  } rows[] = {{"card", SourceKind::kCard, QRect(30, 50, 120, 26)},
              {"folder", SourceKind::kFolder, QRect(30, 100, 120, 26)},
              {"file", SourceKind::kFile, QRect(30, 150, 120, 26)}};
  for (const auto& row : rows) {
    viewer::CSkinCheckButton* option = dialog.option(row.kind);
    EXPECT_EQ(option->geometry(), row.box) << row.name;
    // Near the right end: past the box and the label text.
    const QPoint at(row.box.right() - 3, row.box.bottom() - 3);
    ASSERT_GT(at.x() - row.box.x(), 16 + option->fontMetrics().horizontalAdvance(option->text())) << row.name;
    QWidget* target = dialog.childAt(at);
    ASSERT_NE(target, nullptr) << row.name;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&dialog, at));
    EXPECT_EQ(dialog.kind(), row.kind) << row.name;
  }

  CFileSelectDlg select(nullptr, CFileSelectDlg::kDelete);
  const int h = select.height();
  EXPECT_EQ(select.show_all()->geometry(), QRect(20, h - 70, 200, 20));
  auto* select_all = select.findChild<QAbstractButton*>("1005");
  ASSERT_NE(select_all, nullptr);
  EXPECT_EQ(select_all->geometry(), QRect(20, h - 40, 200, 20));
  QTest::mouseClick(select_all, Qt::LeftButton, {}, QPoint(190, 10));
  EXPECT_TRUE(select_all->isChecked()) << "a click past the label ticks it";
}

std::vector<RecordingEntry> Entries(int n, std::uint64_t main_mb = 10) {
  std::vector<RecordingEntry> out;
  for (int i = 0; i < n; ++i) {
    RecordingEntry e;
    char name[40];
    std::snprintf(name, sizeof name, "A__-240301-10%02d00-%06dM.MOV", i % 60, i);
    e.name = name;
    e.path = "/card/Normal/Main/" + e.name;
    e.main_size = main_mb * 1048576;
    e.sub_size = main_mb * 1048576 / 2;
    e.data_size = 1000;
    out.push_back(e);
  }
  return out;
}

TEST_F(Dialogs, JoinKeepsOneBlockOfTickedRows) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kJoin);
  EXPECT_FALSE(dialog.show_all()->isVisibleTo(&dialog));
  dialog.SetDefaultList(Entries(8));
  EXPECT_FALSE(dialog.ok()->isEnabled());
  dialog.ToggleRow(2);
  EXPECT_EQ(dialog.block_first(), 2) << "the first tick starts the block";
  EXPECT_FALSE(dialog.ok()->isEnabled()) << "one row is not a join";
  dialog.ToggleRow(5);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(dialog.list()->checked(i), i >= 2 && i <= 5) << i;
  EXPECT_TRUE(dialog.ok()->isEnabled());
  dialog.ToggleRow(3);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(dialog.list()->checked(i), i == 2) << i;
  EXPECT_FALSE(dialog.ok()->isEnabled()) << "OK is never left on for fewer than 2 rows";
  dialog.ToggleRow(0);
  EXPECT_EQ(dialog.block_first(), 0);
  EXPECT_EQ(dialog.block_end(), 3);
  EXPECT_EQ(dialog.list()->StateImage(0), 3);
  EXPECT_EQ(dialog.list()->StateImage(4), 1);
  dialog.accept();
  ASSERT_EQ(dialog.result().size(), 3u);
  EXPECT_EQ(dialog.result()[0].name, Entries(1)[0].name) << "in row order";
}

TEST_F(Dialogs, JoinLimitsOfSizeAndCount) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kJoin);
  dialog.SetDefaultList(Entries(3, 267));  // 267 + 133 MB a recording: 3 x 400 MB
  dialog.ToggleRow(0);
  dialog.ToggleRow(2);
  EXPECT_TRUE(dialog.over_size());
  EXPECT_TRUE(dialog.ok()->isEnabled()) << "OK stays on";
  dialog.accept();
  EXPECT_EQ(messages_.back(), QString::fromUtf8("サイズオーバーです。"));
  EXPECT_EQ(dialog.result().size(), 0u);
  EXPECT_EQ(dialog.total()->palette().color(QPalette::WindowText), QColor(Qt::red));

  CFileSelectDlg many(nullptr, CFileSelectDlg::kJoin);
  many.SetDefaultList(Entries(120, 1));
  many.ToggleRow(0);
  many.ToggleRow(99);
  EXPECT_TRUE(many.too_many());
  many.accept();
  EXPECT_EQ(messages_.back(), QString::fromUtf8("ファイル数を減らしてください。"));
}

TEST_F(Dialogs, DeleteIsConfirmedOnlyByClickOrSpaceOnTheFocusedButton) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kDelete);
  dialog.SetDefaultList(Entries(3));
  dialog.ToggleRow(1);
  ASSERT_TRUE(dialog.ok()->isEnabled());
  dialog.show();
  dialog.activateWindow();  // no window manager needed
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), dialog.list()) << "the list has the first focus";
  for (int i = 0; i < 8 && QApplication::focusWidget() != dialog.ok(); ++i) PressAtFocus(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), dialog.ok());
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    PressAtFocus(key);
    EXPECT_TRUE(dialog.isVisible()) << key;
    EXPECT_TRUE(dialog.result().empty()) << key << ": nothing is confirmed";
  }
  PressAtFocus(Qt::Key_Space);
  EXPECT_FALSE(dialog.isVisible());
  ASSERT_EQ(dialog.result().size(), 1u) << "Space on the focused button confirms";
  EXPECT_EQ(dialog.result()[0].name, Entries(2)[1].name);
}

TEST_F(Dialogs, DeleteModeListsAndTogglesRefillUnticked) {
  CFileSelectDlg dialog(nullptr, CFileSelectDlg::kDelete);
  EXPECT_EQ(dialog.ok()->text(), QString::fromUtf8("削除"));
  dialog.SetDefaultList(Entries(1600));
  EXPECT_EQ(messages_, QStringList{QString::fromUtf8("表示数が1500を超えています。1500項目表示します。")});
  EXPECT_EQ(dialog.listed().size(), 1500u);
  EXPECT_FALSE(dialog.SetAllList(Entries(2000)));
  dialog.SetSelectAll(true);
  EXPECT_TRUE(dialog.list()->checked(1499));
  EXPECT_TRUE(dialog.ok()->isEnabled());
  dialog.SetSelectAll(false);
  EXPECT_FALSE(dialog.list()->checked(0)) << "every toggle change refills the list unticked";
  EXPECT_FALSE(dialog.ok()->isEnabled());
  dialog.ToggleRow(4);
  EXPECT_TRUE(dialog.ok()->isEnabled());
  EXPECT_EQ(dialog.total()->text(), "15 MB");
  CFileSelectDlg backup(nullptr, CFileSelectDlg::kBackUp);
  EXPECT_TRUE(backup.ok()->isEnabled());
  EXPECT_EQ(backup.windowTitle(), QString::fromUtf8("バックアップ"));
}

}  // namespace
}  // namespace library
