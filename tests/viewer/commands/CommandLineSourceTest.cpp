#include "viewer/commands/CommandLineSource.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include "FakeFileSystem.h"
#include "TestFiles.h"
#include "library/SourceSetting.h"
#include "platform/ScopedFileSystem.h"
#include "viewer/settings/FolderIni.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using library::SourceKind;

constexpr char kRecording[] = "A__-240301-100000-000001M.MOV";

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    InitializeSettings(dir_ / "start", dir_ / "config");
    fake_.use_removable = true;
    fake_.removable = {card_};
    testfiles::WriteStubRecording(card_ / "Normal" / "Main" / kRecording);
    testfiles::WriteStubRecording(dir_ / "folder" / kRecording);
  }
  std::string Source(const char* key) { return ReadFolderIni(kSectionSource, key); }

  testfiles::TempDir dir_;
  fs::path card_ = dir_ / "card";
  testfiles::FakeFileSystem fake_;
  platform::ScopedFileSystem scoped_{fake_};
};

struct KindRow {
  const char* name;
  const char* path;  // under the test folder
  SourceKind kind;
  std::function<void(testfiles::FakeFileSystem&, const fs::path& dir)> setup;
};

void PrintTo(const KindRow& row, std::ostream* out) { *out << row.name; }

class CommandLineKind : public CommandLine, public ::testing::WithParamInterface<KindRow> {};

TEST_P(CommandLineKind, DecidesTheSource) {
  const KindRow& r = GetParam();
  if (r.setup) r.setup(fake_, dir_.path());
  const CommandLineSource source = ChooseCommandLineSource(dir_ / r.path);
  EXPECT_EQ(source.kind, r.kind) << source.error;
  EXPECT_EQ(source.error.empty(), r.kind != SourceKind::kNone) << source.error;
}

const KindRow kKinds[] = {
    {"RecordingFile", "folder/A__-240301-100000-000001M.MOV", SourceKind::kFile, nullptr},
    {"RemovableVolumeWithNormal", "card", SourceKind::kCard, nullptr},
    {"RemovableVolumeWithTrailingSlash", "card/", SourceKind::kCard, nullptr},
    {"RemovableVolumeWithParkingOnly", "card",
     SourceKind::kCard,
     [](testfiles::FakeFileSystem&, const fs::path& dir) {
       fs::rename(dir / "card" / "Normal", dir / "card" / "Parking");
     }},
    {"RemovableVolumeWithoutCardFolders", "card",
     SourceKind::kFolder,
     [](testfiles::FakeFileSystem&, const fs::path& dir) { fs::rename(dir / "card" / "Normal", dir / "card" / "Other"); }},
    {"CardFolderInsideTheVolume", "card/Normal", SourceKind::kFolder, nullptr},
    {"CardLayoutOnAFixedDisk", "card", SourceKind::kFolder,
     [](testfiles::FakeFileSystem& fake, const fs::path&) { fake.removable.clear(); }},
    {"PlainFolder", "folder", SourceKind::kFolder, nullptr},
    {"MissingPath", "nowhere", SourceKind::kNone, nullptr},
    {"FileWithAForeignName", "folder/clip.mov", SourceKind::kNone,
     [](testfiles::FakeFileSystem&, const fs::path& dir) { testfiles::WriteStubRecording(dir / "folder" / "clip.mov"); }},
};

INSTANTIATE_TEST_SUITE_P(Rows, CommandLineKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CommandLine, LinkToTheVolumeIsTheCard) {
  fs::create_directory_symlink(card_, dir_ / "link");
  EXPECT_EQ(ChooseCommandLineSource(dir_ / "link").kind, SourceKind::kCard);
}

TEST_F(CommandLine, MissingPathIsRefusedWithItsName) {
  const CommandLineSource source = ChooseCommandLineSource(dir_ / "nowhere");
  EXPECT_NE(source.error.find((dir_ / "nowhere").string()), std::string::npos) << source.error;
  EXPECT_FALSE(StoreCommandLineSource(source));
  EXPECT_EQ(Source(kKeySelect), "") << "a refused path writes nothing";
  EXPECT_FALSE(ChooseCommandLineSource("").error.empty());
}

// Each kind is stored as the source dialog stores it, and read back as that
// kind by the dialog's reading of "SELECT".
TEST_F(CommandLine, StoresTheSourceAsTheDialogDoes) {
  const struct {
    fs::path path;
    SourceKind kind;
    const char* select;
  } rows[] = {{card_, SourceKind::kCard, "SD"},
              {dir_ / "folder", SourceKind::kFolder, "FOLDER"},
              {dir_ / "folder" / kRecording, SourceKind::kFile, "FILE"}};
  for (const auto& row : rows) {
    const CommandLineSource source = ChooseCommandLineSource(row.path);
    ASSERT_EQ(source.kind, row.kind) << row.path;
    ASSERT_TRUE(StoreCommandLineSource(source));
    EXPECT_EQ(Source(kKeySelect), row.select);
    EXPECT_EQ(Source(row.select), row.path.string());
    EXPECT_EQ(library::SourceKindOfSelect(Source(kKeySelect)), row.kind);
  }
  EXPECT_EQ(Source(kKeySd), card_.string()) << "each kind keeps its own key";
  EXPECT_EQ(Source(kKeyFolder), (dir_ / "folder").string());
}

TEST_F(CommandLine, RelativePathIsStoredAbsolute) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_.path());
  const CommandLineSource source = ChooseCommandLineSource("folder/");
  fs::current_path(previous);
  EXPECT_EQ(source.kind, SourceKind::kFolder);
  EXPECT_EQ(source.path, dir_ / "folder");
}

}  // namespace
}  // namespace viewer
