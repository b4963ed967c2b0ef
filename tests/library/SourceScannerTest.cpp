#include "library/SourceScanner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <map>
#include <set>
#include <thread>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "library/RecordingNames.h"
#include "platform/RecordingSink.h"
#include "platform/ScopedFileSystem.h"
#include "recording/MappedFileReader.h"
#include "viewer/settings/FolderIni.h"

namespace library {
namespace {

namespace fs = std::filesystem;

class Scanning : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_.mount_points = {card_};
    viewer::InitializeSettings(dir_ / "start", dir_ / "config");
  }
  // Stub recordings (front, rear, data) under card/TOP/{Main,Sub_,Data}.
  void Recording(const char* top, const std::string& base, bool rear = true, bool data = true) {
    testfiles::WriteStubRecording(card_ / top / "Main" / (base + "M.MOV"));
    if (rear) testfiles::WriteStubRecording(card_ / top / "Sub_" / (base + "S.MOV"));
    if (data) {
      fs::create_directories(card_ / top / "Data");
      testfiles::WriteFile(card_ / top / "Data" / (base + "D.ADA"), testfiles::Text("CSMDAT0400040005000000M010402HNN"));
    }
  }
  void StandardCard() {
    Recording("Normal", "A__-240301-100000-000001");
    Recording("Normal", "A__-240301-100100-000002");
    Recording("Normal", "G__-240301-100200-000003");
    Recording("Normal", "A__-240301-120000-000004");  // two hours later: a new group
    Recording("Normal", "M__-240302-090000-000005");
    Recording("Parking", "P__-240302-200000-000006");
    Recording("Parking", "T__-240302-201500-000007");
  }
  std::vector<std::string> Texts(const TreeItem* parent) {
    std::vector<std::string> out;
    for (const auto& c : parent ? parent->children : scanner_.tree().top()) out.push_back(c->text);
    return out;
  }
  std::vector<std::string> Names(const std::vector<RecordingEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.name.substr(0, 24));
    return out;
  }

  testfiles::TempDir dir_;
  fs::path card_ = dir_ / "card";
  testfiles::FakeFileSystem fake_;
  platform::ScopedFileSystem scoped_{fake_};
  platform::RecordingSink sink_;
  SourceScanner scanner_{&sink_};
};

TEST_F(Scanning, CardGivesTopFoldersWithGroupsAndSummaries) {
  StandardCard();
  scanner_.OpenSource(card_, SourceKind::kCard);
  ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"Normal", "Parking"}));
  TreeItem* normal = scanner_.tree().top()[0].get();
  EXPECT_EQ(Texts(normal), (std::vector<std::string>{"240301_0001", "240301_0002", "240302_0001"}));
  EXPECT_EQ(normal->children[0]->data, 0x01u | 0x04u) << "trigger summary of the group";
  EXPECT_EQ(normal->data, 0x01u | 0x04u | 0x02u) << "trigger summary of the folder";
  EXPECT_TRUE(normal->expanded);
  TreeItem* parking = scanner_.tree().top()[1].get();
  EXPECT_EQ(Texts(parking), (std::vector<std::string>{"240302_0001"})) << "T 900 s after P stays in the group";
  EXPECT_EQ(parking->data, 0x08u);
  EXPECT_EQ(scanner_.firmware_version(), "1.4.2");
  // Folder auto-advance walks the siblings: the last group of a folder has
  // none, even when the next top folder follows it in the tree.
  EXPECT_EQ(scanner_.tree().NextSibling(normal->children[0].get()), normal->children[1].get());
  EXPECT_EQ(scanner_.tree().NextSibling(normal->children[2].get()), nullptr);
  EXPECT_EQ(scanner_.tree().NextSibling(normal), parking);
  EXPECT_EQ(scanner_.tree().NextSibling(parking), nullptr);

  TreeItem* initial = scanner_.InitialItem();
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(initial->text, "240301_0001") << "the first group of Normal";
  EXPECT_EQ(scanner_.SelectItem(initial), 3u);
  EXPECT_EQ(Names(scanner_.entries()), (std::vector<std::string>{"A__-240301-100000-000001", "A__-240301-100100-000002",
                                                                 "G__-240301-100200-000003"}));
  EXPECT_EQ(scanner_.shown_path(), card_ / "Normal" / "240301_0001");
  const RecordingEntry& first = scanner_.entries()[0];
  EXPECT_EQ(first.serial, 0);
  EXPECT_EQ(first.trigger_code, 'A');
  EXPECT_EQ(first.main_size, 300u);
  EXPECT_EQ(first.sub_size, 300u);
  EXPECT_EQ(first.data_size, 32u);
  EXPECT_EQ(scanner_.entries()[2].serial, 2);
}

TEST_F(Scanning, SelectingAFolderItemRebuildsItsGroups) {
  StandardCard();
  scanner_.OpenSource(card_, SourceKind::kCard);
  TreeItem* normal = scanner_.tree().top()[0].get();
  EXPECT_EQ(scanner_.SelectItem(normal), 0u) << "a folder item lists no recordings";
  EXPECT_EQ(Texts(normal).size(), 3u);
}

TEST_F(Scanning, OnlyPlayableMainCameraFilesCount) {
  StandardCard();
  testfiles::WriteStubRecording(card_ / "Normal/Main" / "A__-240301-100300-000008M.DMY");
  testfiles::WriteFile(card_ / "Normal/Main" / "A__-240301-100400-000009M.MOV", testfiles::Text("not a movie"));
  testfiles::WriteStubRecording(card_ / "Normal/Main" / "A__-240301-100500-000010S.MOV");
  scanner_.OpenSource(card_, SourceKind::kCard);
  scanner_.SelectItem(scanner_.InitialItem());
  EXPECT_EQ(scanner_.entries().size(), 3u);
  const auto& all = scanner_.CollectAllRecordings();
  EXPECT_EQ(all.size(), 7u);
}

TEST_F(Scanning, CardWithoutDataStillListsButHasNoFirmwareVersion) {
  Recording("Normal", "A__-240301-100000-000001", true, false);
  fs::create_directories(card_ / "Parking");
  scanner_.OpenSource(card_, SourceKind::kCard);
  EXPECT_EQ(scanner_.SelectItem(scanner_.InitialItem()), 1u);
  EXPECT_EQ(scanner_.entries()[0].data_size, 0u);
  EXPECT_EQ(scanner_.firmware_version(), "");
}

TEST_F(Scanning, FirmwareVersionIsReadFromTheNewestFileWithATrigger) {
  StandardCard();
  Recording("Parking", "_G_-240302-210000-000008");
  // Newer, but without a trigger letter: never asked for the version.
  testfiles::WriteStubRecording(card_ / "Parking/Main" / "p__-240302-220000-000009M.MOV");
  testfiles::WriteStubRecording(card_ / "Parking/Main" / "_g_-240302-230000-000010M.MOV");
  std::vector<std::string> read;
  scanner_.set_header_reader([&](const fs::path& video, recording::SensorDataHeader*) {
    read.push_back(video.filename().string());
    return false;
  });
  scanner_.OpenSource(card_, SourceKind::kCard);
  EXPECT_EQ(read, (std::vector<std::string>{"_G_-240302-210000-000008M.MOV"}));
}

TEST_F(Scanning, CopiedCardAsFolderShowsTopFoldersWithoutGroups) {
  StandardCard();
  scanner_.OpenSource(card_, SourceKind::kFolder);
  ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"card"}));
  TreeItem* top = scanner_.tree().top()[0].get();
  EXPECT_EQ(Texts(top), (std::vector<std::string>{"Normal", "Parking"}));
  EXPECT_TRUE(top->children[0]->children.empty()) << "groups appear when the folder item is selected";
  EXPECT_EQ(top->children[0]->data, 0u);
  scanner_.SelectItem(top->children[0].get());
  EXPECT_EQ(Texts(top->children[0].get()).size(), 3u);
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 7u);
}

// The delete, back-up and join dialogs list every recording in the tree's
// order, whatever order the folders come in from the file system.
TEST_F(Scanning, AllRecordingsFollowTheTreeNotTheDirectoryOrder) {
  StandardCard();
  Recording("Normal", "A__-240303-090000-000009");
  testfiles::WriteStubRecording(card_ / "Normal/Events/b" / "G__-240303-100000-000010M.MOV");
  testfiles::WriteStubRecording(card_ / "Normal/Events/a" / "G__-240303-110000-000011M.MOV");
  fake_.reverse_listings = true;
  const std::vector<std::string> want = {
      "G__-240303-110000-000011", "G__-240303-100000-000010",  // Normal/Events/a, then b
      "A__-240301-100000-000001", "A__-240301-100100-000002", "G__-240301-100200-000003",
      "A__-240301-120000-000004", "M__-240302-090000-000005", "A__-240303-090000-000009",  // Normal/Main
      "P__-240302-200000-000006", "T__-240302-201500-000007"};                              // Parking/Main
  for (SourceKind kind : {SourceKind::kCard, SourceKind::kFolder}) {
    scanner_.OpenSource(card_, kind);
    if (kind == SourceKind::kCard) {
      ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"Normal", "Parking"}));
    }
    EXPECT_EQ(Names(scanner_.CollectAllRecordings()), want) << static_cast<int>(kind);
  }
}

TEST_F(Scanning, SingleFileSource) {
  StandardCard();
  const fs::path file = card_ / "Normal/Main" / "G__-240301-100200-000003M.MOV";
  int refreshed = 0;
  scanner_.on_entries_changed = [&] { ++refreshed; };
  scanner_.OpenSource(file, SourceKind::kFile);
  EXPECT_EQ(refreshed, 1);
  ASSERT_EQ(scanner_.entries().size(), 1u);
  EXPECT_EQ(scanner_.entries()[0].path, file.string());
  EXPECT_TRUE(scanner_.tree().top().empty());
  EXPECT_EQ(scanner_.shown_path(), file.parent_path());
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 1u);
}

TEST_F(Scanning, FlatFolderOfManyFilesFormsGroupsOfTwoHundred) {
  for (int i = 0; i < 1200; ++i) {
    char name[40];
    const int t = 60 * i;
    std::snprintf(name, sizeof name, "A__-240301-%02d%02d%02d-%06dM.MOV", t / 3600, t / 60 % 60, t % 60, i);
    testfiles::WriteStubRecording(dir_ / "flat" / "clips" / name);
  }
  scanner_.OpenSource(dir_ / "flat", SourceKind::kFolder);
  TreeItem* clips = scanner_.tree().top()[0]->children[0].get();
  EXPECT_EQ(scanner_.SelectItem(clips), 0u) << "a folder of recordings shows its groups";
  ASSERT_EQ(clips->children.size(), 6u);
  EXPECT_EQ(clips->children[5]->text, "240301_0006");
  EXPECT_EQ(scanner_.SelectItem(clips->children[1].get()), 200u);
  EXPECT_EQ(scanner_.entries().front().name.substr(18, 6), "000200");
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 1200u) << "collecting has no limit";
}

TEST_F(Scanning, TreeStopsAtFifteenHundredItems) {
  // One file per group: every file starts a group of its own.
  for (int i = 0; i < 1600; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "A_S-240301-000000-%06dM.MOV", i);
    testfiles::WriteStubRecording(card_ / "Normal/Main" / name);
  }
  fs::create_directories(card_ / "Parking");
  scanner_.OpenSource(card_, SourceKind::kCard);
  EXPECT_EQ(scanner_.tree().size(), FolderTree::kMaxItems);
  EXPECT_EQ(scanner_.tree().top()[0]->children.size(), FolderTree::kMaxItems - 1) << "Parking no longer fits";
}

TEST_F(Scanning, UnlistableSubfolderIsSkipped) {
  StandardCard();
  fs::create_directories(card_ / "Extra");
  fake_.unlistable.insert(card_ / "Parking" / "Main");
  scanner_.OpenSource(card_, SourceKind::kCard);
  ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"Extra", "Normal", "Parking"}));
  EXPECT_TRUE(scanner_.tree().top()[2]->children.empty());
  EXPECT_EQ(scanner_.tree().top()[1]->children.size(), 3u) << "the rest is listed";
}

TEST_F(Scanning, EmptyFolder) {
  fs::create_directories(dir_ / "empty");
  scanner_.OpenSource(dir_ / "empty", SourceKind::kFolder);
  ASSERT_EQ(scanner_.tree().size(), 1u);
  EXPECT_EQ(scanner_.SelectItem(scanner_.InitialItem()), 0u);
}

TEST_F(Scanning, DepthIsLimited) {
  testfiles::WriteStubRecording(dir_ / "deep/a/b/c/d/A__-240301-100000-000001M.MOV");
  scanner_.OpenSource(dir_ / "deep", SourceKind::kFolder);
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 0u) << "a folder four levels down is not entered";
  testfiles::WriteStubRecording(dir_ / "deep/a/b/A__-240301-100000-000002M.MOV");
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 1u);
}

TEST_F(Scanning, ReloadPrefersTheLastRemovableCardThenTheStoredFolderThenTheFile) {
  StandardCard();
  fake_.use_removable = true;
  fake_.removable = {dir_ / "missing-e", card_};
  ASSERT_TRUE(scanner_.ReloadSource());
  EXPECT_EQ(scanner_.kind(), SourceKind::kCard);
  EXPECT_EQ(scanner_.source_path(), card_);
  EXPECT_EQ(scanner_.selected_item()->text, "240301_0001");

  fake_.removable.clear();
  EXPECT_FALSE(scanner_.ReloadSource()) << "nothing stored yet";
  // The card's tree is gone: nothing may still point into it.
  EXPECT_EQ(scanner_.selected_item(), nullptr);
  EXPECT_TRUE(scanner_.entries().empty());
  viewer::WriteFolderIni(viewer::kSectionSource, viewer::kKeyFile,
                         (card_ / "Normal/Main/A__-240301-100000-000001M.MOV").string());
  ASSERT_TRUE(scanner_.ReloadSource());
  EXPECT_EQ(scanner_.kind(), SourceKind::kFile);
  viewer::WriteFolderIni(viewer::kSectionSource, viewer::kKeyFolder, (card_ / "Parking").string());
  ASSERT_TRUE(scanner_.ReloadSource());
  EXPECT_EQ(scanner_.kind(), SourceKind::kFolder);

  testfiles::WriteStubRecording(dir_ / "other" / "clip.MOV");
  viewer::WriteFolderIni(viewer::kSectionSource, viewer::kKeyFolder, "");
  viewer::WriteFolderIni(viewer::kSectionSource, viewer::kKeyFile, (dir_ / "other" / "clip.MOV").string());
  EXPECT_FALSE(scanner_.ReloadSource()) << "a file whose name is no recording name is not reopened";
}

TEST_F(Scanning, WatcherPostsOnceWhenTheSourceVanishes) {
  StandardCard();
  scanner_.OpenSource(card_, SourceKind::kCard);
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_TRUE(sink_.Messages().empty());
  fs::remove_all(card_);
  ASSERT_TRUE(sink_.WaitFor(kMessageSourceLost, std::chrono::seconds(2)));
  std::this_thread::sleep_for(std::chrono::milliseconds(350));
  EXPECT_EQ(sink_.MessagesOf(kMessageSourceLost).size(), 1u);
  EXPECT_TRUE(scanner_.watcher().lost());
  EXPECT_TRUE(scanner_.watcher().watched_path().empty());
  EXPECT_EQ(scanner_.SelectItem(scanner_.InitialItem()), 0u) << "the list stays usable";
}

// Runs the rest of a scope with another current folder.
class CurrentFolder {
 public:
  explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~CurrentFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

struct PathForm {
  const char* name;
  const char* cwd;    // under the test folder
  const char* given;  // as the user typed it
  friend void PrintTo(const PathForm& f, std::ostream* os) { *os << f.name; }
};

class SourcePaths : public Scanning, public ::testing::WithParamInterface<PathForm> {};

TEST_P(SourcePaths, NameTheSameFolder) {
  StandardCard();
  fs::create_directories(dir_ / "elsewhere");
  CurrentFolder cwd(dir_ / GetParam().cwd);
  EXPECT_EQ(NormalizeSourcePath(GetParam().given), card_);
  EXPECT_EQ(DetectSourceKind(GetParam().given), SourceKind::kCard) << "the fake mounts the card";
  scanner_.OpenSource(GetParam().given, SourceKind::kFolder);
  EXPECT_EQ(scanner_.source_path(), card_);
  ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"card"}));
  EXPECT_EQ(scanner_.tree().PathOf(scanner_.tree().FirstTopLevel()), card_);
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(Forms, SourcePaths,
                         ::testing::Values(PathForm{"relative_without_slash", ".", "card"},
                                           PathForm{"dot_inside_the_folder", "card", "."},
                                           PathForm{"trailing_slash", ".", "card/"},
                                           PathForm{"dot_parts", "elsewhere", "../card/./"},
                                           PathForm{"dot_slash", "card", "./"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Scanning, CardMountPointWithATrailingSlashIsACard) {
  StandardCard();
  const fs::path given = card_.string() + "/";
  EXPECT_EQ(DetectSourceKind(given), SourceKind::kCard);
  EXPECT_EQ(DetectSourceKind(card_ / "Normal"), SourceKind::kFolder);
  EXPECT_EQ(DetectSourceKind(card_ / "Normal/Main/A__-240301-100000-000001M.MOV"), SourceKind::kFile);
  EXPECT_EQ(DetectSourceKind(card_ / "Normal/Data/A__-240301-100000-000001D.ADA"), SourceKind::kNone);
  scanner_.OpenSource(given, SourceKind::kCard);
  EXPECT_EQ(scanner_.tree().root_path(), card_);
  ASSERT_EQ(Texts(nullptr), (std::vector<std::string>{"Normal", "Parking"}));
  EXPECT_EQ(scanner_.SelectItem(scanner_.InitialItem()), 3u);
  EXPECT_EQ(scanner_.shown_path(), card_ / "Normal" / "240301_0001");
}

class SymbolicLinks : public Scanning {
 protected:
  // Every path listed at most once, and all seven recordings there.
  void ExpectEachRecordingOnce(const std::vector<RecordingEntry>& all) {
    std::set<std::string> names, paths;
    for (const auto& e : all) {
      EXPECT_TRUE(paths.insert(e.path).second) << "listed twice: " << e.path;
      names.insert(e.name);
    }
    EXPECT_EQ(names.size(), 7u);
    EXPECT_EQ(all.size(), names.size());
  }
};

TEST_F(SymbolicLinks, ALoopBackIntoTheCardIsNotFollowed) {
  StandardCard();
  fs::create_directory_symlink(".", card_ / "Normal/Loop");
  fs::create_directory_symlink("..", card_ / "Normal/Main/Up");
  scanner_.OpenSource(card_, SourceKind::kCard);
  for (const auto& top : scanner_.tree().top()) {
    for (const auto& item : top->children) EXPECT_TRUE(IsGroupName(item->text)) << item->text;
  }
  EXPECT_EQ(Texts(scanner_.tree().top()[0].get()).size(), 3u);
  ExpectEachRecordingOnce(scanner_.CollectAllRecordings());
}

TEST_F(SymbolicLinks, ALoopInACopiedCardFolderIsNotFollowed) {
  StandardCard();
  fs::create_directory_symlink(".", card_ / "Normal/Loop");
  fs::create_directory_symlink(card_, card_ / "Parking/Card");
  scanner_.OpenSource(card_, SourceKind::kFolder);
  TreeItem* top = scanner_.tree().FirstTopLevel();
  EXPECT_EQ(Texts(top), (std::vector<std::string>{"Normal", "Parking"}));
  scanner_.SelectItem(top->children[0].get());
  EXPECT_EQ(Texts(top->children[0].get()).size(), 3u) << "groups only, no Loop";
  ExpectEachRecordingOnce(scanner_.CollectAllRecordings());
}

TEST_F(SymbolicLinks, AFolderOutsideIsFollowedOnceAndFileLinksNever) {
  testfiles::WriteStubRecording(dir_ / "outside/A__-240305-100000-000001M.MOV");
  fs::create_directory_symlink(".", dir_ / "outside/Again");
  fs::create_directories(dir_ / "source");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "source/First");
  fs::create_directory_symlink(dir_ / "outside", dir_ / "source/Second");
  fs::create_symlink(dir_ / "outside/A__-240305-100000-000001M.MOV", dir_ / "source/A__-240305-100000-000001M.MOV");
  scanner_.OpenSource(dir_ / "source", SourceKind::kFolder);
  EXPECT_EQ(Texts(scanner_.tree().FirstTopLevel()), (std::vector<std::string>{"First"}));
  const auto& all = scanner_.CollectAllRecordings();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].path, (dir_ / "source/First/A__-240305-100000-000001M.MOV").string());
}

TEST_F(Scanning, EachFileIsCheckedOncePerScan) {
  // What brennovale-info --scan does: open the card, select every item,
  // collect all recordings. One file per group, so that every selection
  // lists the whole folder again.
  constexpr int kFiles = 300;
  for (int i = 0; i < kFiles; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "A_S-240301-000000-%06dM.MOV", i);
    testfiles::WriteStubRecording(card_ / "Normal/Main" / name);
  }
  fs::create_directories(card_ / "Parking");
  std::map<std::string, int> checks;
  scanner_.set_recording_check([&](const fs::path& p) {
    ++checks[p.string()];
    return recording::IsRecording(p);
  });
  scanner_.OpenSource(card_, SourceKind::kCard);
  std::size_t listed = 0;
  for (const auto& group : scanner_.tree().top()[0]->children) listed += scanner_.SelectItem(group.get());
  EXPECT_EQ(listed, static_cast<std::size_t>(kFiles));
  EXPECT_EQ(scanner_.CollectAllRecordings().size(), static_cast<std::size_t>(kFiles));
  EXPECT_EQ(checks.size(), static_cast<std::size_t>(kFiles));
  int most = 0;
  for (const auto& [path, n] : checks) most = std::max(most, n);
  EXPECT_EQ(most, 1) << "a file was opened for the recording check more than once";
}

struct ToolScan {
  const char* name;
  const char* cwd;  // under the test folder
  const char* given;
};

class ScanTool : public Scanning, public ::testing::WithParamInterface<ToolScan> {};

TEST_P(ScanTool, ListsEveryRecordingOnceFromAnyPathForm) {
  StandardCard();
  fs::create_directory_symlink(".", card_ / "Normal/Loop");
  int status = -1;
  const std::string out = testfiles::Run("cd '" + (dir_ / GetParam().cwd).string() + "' && " + BRENNOVALE_INFO +
                                             " --scan '" + GetParam().given + "'",
                                         &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("source " + card_.string() + ": folder\n"), std::string::npos) << out;
  EXPECT_NE(out.find("all recordings: 7\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("Loop"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Forms, ScanTool,
                         ::testing::Values(ToolScan{"relative", ".", "card"}, ToolScan{"dot", "card", "."},
                                           ToolScan{"trailing_slash", "card/Normal", "../"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace library
