#include "viewer/skin/PickFolder.h"

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "viewer/settings/FolderIni.h"

namespace viewer {
namespace {

TEST(PickFolderTest, StartsInTheStoredFolderOrTheStartupFolderAndNeverWrites) {
  testfiles::TempDir dir;
  std::filesystem::create_directories(dir / "start");
  std::filesystem::create_directories(dir / "pictures");
  InitializeSettings(dir / "start", dir / "config");
  QString seen_initial, seen_title;
  auto runner = [&](QWidget*, const QString& title, const QString& initial) {
    seen_title = title;
    seen_initial = initial;
    return QString::fromStdString((dir / "pictures").string());
  };
  EXPECT_EQ(PickFolder(nullptr, kSectionFolderPath, kKeySnapshotFolder, "prompt", runner), (dir / "pictures").string());
  EXPECT_EQ(seen_initial.toStdString(), (dir / "start").string());
  EXPECT_EQ(seen_title, "prompt");
  EXPECT_EQ(ReadFolderIni(kSectionFolderPath, kKeySnapshotFolder), "") << "the caller writes the key";

  WriteFolderIni(kSectionFolderPath, kKeySnapshotFolder, (dir / "pictures").string());
  PickFolder(nullptr, kSectionFolderPath, kKeySnapshotFolder, "prompt", runner);
  EXPECT_EQ(seen_initial.toStdString(), (dir / "pictures").string());

  auto cancel = [](QWidget*, const QString&, const QString&) { return QString(); };
  EXPECT_EQ(PickFolder(nullptr, kSectionFolderPath, kKeySnapshotFolder, "prompt", cancel), "");

  QString reported;
  auto vanished = [&](QWidget*, const QString&, const QString&) { return QString::fromStdString((dir / "gone").string()); };
  EXPECT_EQ(PickFolder(nullptr, kSectionFolderPath, kKeySnapshotFolder, "prompt", vanished,
                       [&](QWidget*, const QString& text) { reported = text; }),
            "");
  EXPECT_EQ(reported, QString::fromUtf8("フォルダパスの取得に失敗しました。"));
}

}  // namespace
}  // namespace viewer
