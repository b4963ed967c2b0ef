#include "library/RecordingNames.h"

#include <gtest/gtest.h>

#include <ostream>

namespace library {
namespace {

struct NameCase {
  const char* name;
  std::string file;
  bool recording;
  bool main_camera;
  int category;  // -1: none
  unsigned bits;
  const char* trigger_text;
  const char* display;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class Names : public ::testing::TestWithParam<NameCase> {};

TEST_P(Names, FollowTheGrammar) {
  const NameCase& c = GetParam();
  EXPECT_EQ(IsRecordingName(c.file), c.recording);
  EXPECT_EQ(IsMainCameraName(c.file), c.main_camera);
  const auto category = CategoryOf(c.file);
  EXPECT_EQ(category ? static_cast<int>(*category) : -1, c.category);
  EXPECT_EQ(TriggerBits(c.file), c.bits);
  EXPECT_EQ(TriggerText(c.file), c.trigger_text);
  EXPECT_EQ(DisplayName(c.file), c.display);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, Names,
    ::testing::Values(
        NameCase{"parking_impact_main", "AG_-240301-101500-000123M.MOV", true, true, 4, 0x10, "駐車衝撃", "AG_-101500-000123"},
        NameCase{"continuous", "A__-240301-101500-000123M.MOV", true, true, 0, 0x01, "常時", "A__-101500-000123"},
        NameCase{"impact", "G__-240301-101500-000123M.MOV", true, true, 1, 0x04, "衝撃", "G__-101500-000123"},
        NameCase{"manual", "M__-240301-101500-000123M.MOV", true, true, 2, 0x02, "マニュアル", "M__-101500-000123"},
        NameCase{"parking", "P__-240301-101500-000123M.MOV", true, true, 3, 0x08, "駐車", "P__-101500-000123"},
        NameCase{"time_lapse", "T_S-240301-101500-000123M.MOV", true, true, 3, 0x08, "駐車", "T_S-101500-000123"},
        NameCase{"no_trigger", "__S-240301-101500-000123M.MOV", false, false, -1, 0, "", "__S-240301-101500-000123M"},
        NameCase{"underscore_with_g", "_G_-240301-101500-000123S.MOV", true, false, 4, 0x10, "駐車衝撃", "_G_-101500-000123"},
        NameCase{"rear_camera", "A__-240301-101500-000123S.MOV", true, false, 0, 0x01, "常時", "A__-101500-000123"},
        NameCase{"lower_case_extension", "AG_-240301-101500-000123M.mov", false, false, 4, 0x10, "駐車衝撃", "AG_-240301-101500-000123M"},
        NameCase{"lower_case_trigger", "a__-240301-101500-000123M.MOV", false, false, -1, 0, "", "a__-240301-101500-000123M"},
        NameCase{"released", "A__-240301-101500-000123M.DMY", false, false, 0, 0x01, "常時", "A__-240301-101500-000123M"},
        NameCase{"data_file", "A__-240301-101500-000123D.ADA", false, false, 0, 0x01, "常時", "A__-240301-101500-000123D"},
        NameCase{"too_short", "A__-240301-101500-00012M.MOV", false, false, 0, 0x01, "", "A__-240301-101500-00012M"},
        NameCase{"too_long", "A__-240301-101500-0001234M.MOV", false, false, 0, 0x01, "常時", "A__-240301-101500-0001234M"},
        NameCase{"month_13_matches", "A__-241301-245900-000123M.MOV", true, true, 0, 0x01, "常時", "A__-245900-000123"},
        NameCase{"any_char_for_the_dot", "A__-240301-101500-000123MxMOV", true, true, 0, 0x01, "常時", "A__-101500-000123"},
        NameCase{"empty", "", false, false, -1, 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NameFields, MovExtensionTestIgnoresCase) {
  EXPECT_TRUE(HasMovExtension("AG_-240301-101500-000123M.mov"));
  EXPECT_TRUE(HasMovExtension("x.MoV"));
  EXPECT_FALSE(HasMovExtension("x.MOV.bak"));
  EXPECT_FALSE(HasMovExtension("x.MOVE"));
  EXPECT_FALSE(HasMovExtension("MOV"));
}

TEST(NameFields, TriggerCodeAndSnapshotName) {
  EXPECT_EQ(TriggerCode("AG_-240301-101500-000123M.MOV"), 'A');
  EXPECT_EQ(TriggerCode("_G_-240301-101500-000123M.MOV"), '_');
  EXPECT_EQ(TriggerCode("__S-240301-101500-000123M.MOV"), 0);
  EXPECT_EQ(SnapshotBaseName("/card/Normal/Main/AG_-240301-101500-000123M.MOV"), "240301-101500-M");
  EXPECT_EQ(SnapshotBaseName("/card/Normal/Sub_/A__-240301-101500-000123S.MOV"), "240301-101500-S");
  EXPECT_EQ(SnapshotBaseName("/x/short"), "tt");
}

TEST(NameFields, TimeOfNameRollsOver) {
  const auto t = TimeOfName("A__-240301-101500-000123M.MOV");
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 3);
  EXPECT_EQ(t.day, 1);
  EXPECT_EQ(t.hour, 10);
  EXPECT_EQ(t.minute, 15);
  const auto rolled = TimeOfName("A__-241301-245900-000123M.MOV");  // month 13, hour 24
  EXPECT_EQ(rolled.year, 2025);
  EXPECT_EQ(rolled.month, 1);
  EXPECT_EQ(rolled.day, 2);
  EXPECT_EQ(rolled.hour, 0);
  EXPECT_EQ(rolled.minute, 59);
  const auto garbage = TimeOfName("xyz");
  EXPECT_EQ(garbage.year, 1999) << "2000 + 0, month 0 rolls back to December 1999";
}

std::string Name(char trigger, int minute, int second, int sequence, char mark = '_', char second_letter = '_') {
  char text[40];
  std::snprintf(text, sizeof text, "%c%c%c-240301-10%02d%02d-%06dM.MOV", trigger, second_letter, mark, minute, second,
                sequence);
  return text;
}

TEST(Grouping, WindowsAreInclusiveAndCentredOnAMinute) {
  struct Step {
    int gap;
    bool same_group;
  };
  for (const Step step : {Step{52, true}, Step{68, true}, Step{51, false}, Step{69, false}, Step{65, true}}) {
    GroupState state;
    const std::string first = GroupOfFile(Name('A', 0, 0, 1), state);
    const std::string second = GroupOfFile(Name('A', step.gap / 60, step.gap % 60, 2), state);
    EXPECT_EQ(first == second, step.same_group) << "gap " << step.gap;
  }
}

TEST(Grouping, TimeLapseWindowAndGroupNumbers) {
  for (const auto& [gap, same] : {std::pair{892, true}, {908, true}, {891, false}, {909, false}, {60, false}}) {
    GroupState state;
    const std::string a = GroupOfFile("T__-240301-100000-000001M.MOV", state);
    char next[40];
    std::snprintf(next, sizeof next, "T__-240301-10%02d%02d-000002M.MOV", gap / 60, gap % 60);
    EXPECT_EQ(a == GroupOfFile(next, state), same) << "gap " << gap;
  }
  GroupState state;
  EXPECT_EQ(GroupOfFile(Name('A', 0, 0, 1), state), "240301_0001") << "the first file is compared with now";
  EXPECT_EQ(GroupOfFile(Name('A', 1, 0, 2), state), "240301_0001");
  EXPECT_EQ(GroupOfFile(Name('A', 2, 0, 3, 'S'), state), "240301_0002") << "group start mark";
  EXPECT_EQ(GroupOfFile("A__-240302-100000-000004M.MOV", state), "240302_0001");
  EXPECT_EQ(GroupOfFile(Name('A', 30, 0, 5), state), "240301_0003") << "a date seen before continues its counter";
}

TEST(Grouping, TwoHundredFilesAtMost) {
  GroupState state;
  std::string first;
  for (int i = 0; i < 200; ++i) {
    const int t = 60 * i;
    char name[40];
    std::snprintf(name, sizeof name, "A__-240301-%02d%02d%02d-%06dM.MOV", t / 3600, t / 60 % 60, t % 60, i);
    const std::string g = GroupOfFile(name, state);
    if (i == 0) first = g;
    EXPECT_EQ(g, first) << i;
  }
  EXPECT_NE(GroupOfFile("A__-240301-032000-000200M.MOV", state), first) << "the 201st file starts a new group";
}

TEST(Grouping, NegativeGapStartsAGroup) {
  GroupState state;
  const std::string a = GroupOfFile(Name('A', 5, 0, 1), state);
  EXPECT_NE(a, GroupOfFile(Name('A', 4, 0, 2), state));
}

}  // namespace
}  // namespace library
