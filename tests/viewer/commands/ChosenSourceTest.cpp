#include "viewer/commands/ChosenSource.h"

#include <gtest/gtest.h>

#include <ostream>

#include "TestFiles.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;
using library::SourceKind;

struct ChosenRow {
  const char* name;
  SourceKind kind;
  const char* path;  // under the test folder; empty for none
  ChosenSource expected;
};
void PrintTo(const ChosenRow& row, std::ostream* out) { *out << row.name; }

class Chosen : public ::testing::TestWithParam<ChosenRow> {
 protected:
  void SetUp() override {
    testfiles::WriteStubRecording(dir_ / "folder" / "A__-240301-100000-000001M.MOV");
    testfiles::WriteStubRecording(dir_ / "folder" / "holiday.mov");
  }
  testfiles::TempDir dir_;
};

TEST_P(Chosen, JudgesTheDialogsAnswer) {
  const ChosenRow& r = GetParam();
  const fs::path path = *r.path == '\0' ? fs::path() : dir_ / r.path;
  EXPECT_EQ(JudgeChosenSource(r.kind, path), r.expected);
}

const ChosenRow kRows[] = {
    {"RecordingFile", SourceKind::kFile, "folder/A__-240301-100000-000001M.MOV", ChosenSource::kLoad},
    {"FileWithForeignName", SourceKind::kFile, "folder/holiday.mov", ChosenSource::kForeignName},
    {"MissingFileWithForeignNameChangesNothing", SourceKind::kFile, "folder/gone.mov", ChosenSource::kUnchanged},
    {"MissingRecordingFile", SourceKind::kFile, "folder/A__-240301-100100-000002M.MOV", ChosenSource::kUnchanged},
    {"Folder", SourceKind::kFolder, "folder", ChosenSource::kLoad},
    {"MissingFolder", SourceKind::kFolder, "nowhere", ChosenSource::kUnchanged},
    {"CardDrive", SourceKind::kCard, "folder", ChosenSource::kLoad},
    {"EmptyPath", SourceKind::kFolder, "", ChosenSource::kUnchanged},
    {"NoKind", SourceKind::kNone, "folder", ChosenSource::kUnchanged},
};
std::string RowName(const ::testing::TestParamInfo<ChosenRow>& info) { return info.param.name; }
INSTANTIATE_TEST_SUITE_P(Rows, Chosen, ::testing::ValuesIn(kRows), RowName);

}  // namespace
}  // namespace viewer
