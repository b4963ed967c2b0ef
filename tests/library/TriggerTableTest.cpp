#include "library/TriggerTable.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "library/RecordingNames.h"
#include "viewer/settings/UiTextTable.h"

namespace library {
namespace {

// What the recorder's letters mean, written out independently of the table:
// position 1 "G" (parked impact) first, then the letter at position 0; any
// other character, lower case included, is no trigger.
struct Meaning {
  int category;  // -1: none
  unsigned bits;
  const char* text;
};
const Meaning kNone{-1, 0, ""};
const Meaning kParkedImpact{4, 0x10, "駐車衝撃"};
const std::map<char, Meaning> kFirstLetters = {{'A', {0, 0x01, "常時"}},
                                               {'G', {1, 0x04, "衝撃"}},
                                               {'M', {2, 0x02, "マニュアル"}},
                                               {'P', {3, 0x08, "駐車"}},
                                               {'T', {3, 0x08, "駐車"}}};

Meaning Expected(char first, char second) {
  if (second == 'G') return kParkedImpact;
  const auto it = kFirstLetters.find(first);
  return it == kFirstLetters.end() ? kNone : it->second;
}

std::string NameOf(char first, char second) {
  std::string name = "___-240301-101500-000123M.MOV";
  name[0] = first;
  name[1] = second;
  return name;
}

// Every byte at position 0 against every byte at position 1: the category,
// the label, the summary bit, the stored code and whether the name is a
// recording at all.
TEST(TriggerLetters, EveryPairOfCharactersMeansWhatTheRecorderWrote) {
  int triggers = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = 0; b < 256; ++b) {
      const char first = static_cast<char>(a), second = static_cast<char>(b);
      const std::string name = NameOf(first, second);
      const Meaning want = Expected(first, second);
      const auto category = CategoryOf(name);
      ASSERT_EQ(category ? static_cast<int>(*category) : -1, want.category) << a << " " << b;
      ASSERT_EQ(TriggerBits(name), want.bits) << a << " " << b;
      ASSERT_EQ(TriggerText(name), want.text) << a << " " << b;
      ASSERT_EQ(TriggerCode(name), want.category < 0 ? 0 : a) << a << " " << b;
      triggers += want.category >= 0;
    }
  }
  EXPECT_EQ(triggers, 256 + 5 * 255) << "parked impact under any letter, five letters otherwise";
}

TEST(TriggerLetters, OnlyNamesWithATriggerAreRecordings) {
  for (int a = 0; a < 256; ++a) {
    for (char second : {'_', 'G', 'g'}) {
      const char first = static_cast<char>(a);
      const bool in_pattern = std::string("APGTM_").find(first) != std::string::npos && second != 'g';
      const bool want = in_pattern && Expected(first, second).category >= 0;
      EXPECT_EQ(IsRecordingName(NameOf(first, second)), want) << a << " " << second;
    }
  }
}

struct ShortNameCase {
  const char* name;
  std::string file;
  int category;
  unsigned bits;
};
void PrintTo(const ShortNameCase& c, std::ostream* os) { *os << c.name; }

class ShortNames : public ::testing::TestWithParam<ShortNameCase> {};

// A name shorter than the grammar still has a category and bits (the scan
// asks about any file), but no label, and reading it never runs past its end.
TEST_P(ShortNames, DecodeWithinTheirLength) {
  const ShortNameCase& c = GetParam();
  const auto category = CategoryOf(c.file);
  EXPECT_EQ(category ? static_cast<int>(*category) : -1, c.category);
  EXPECT_EQ(TriggerBits(c.file), c.bits);
  EXPECT_EQ(TriggerText(c.file), "");
  EXPECT_EQ(TriggerCode(c.file), c.category < 0 ? 0 : static_cast<unsigned char>(c.file[0]));
}

INSTANTIATE_TEST_SUITE_P(Lengths, ShortNames,
                         ::testing::Values(ShortNameCase{"empty", "", -1, 0}, ShortNameCase{"one_letter", "M", 2, 0x02},
                                           ShortNameCase{"mark_alone", "_G", 4, 0x10},
                                           ShortNameCase{"nul_then_mark", std::string("\0G", 2), 4, 0x10},
                                           ShortNameCase{"lower_case", "g", -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// The filter toggles are labelled by category; each category's label and bit
// are those of its letters.
TEST(TriggerLetters, EachCategoryHasTheLabelAndBitOfItsLetters) {
  for (int c = 0; c < kTriggerCategoryCount; ++c) {
    const TriggerRow& row = TriggerRowOf(static_cast<TriggerCategory>(c));
    EXPECT_EQ(static_cast<int>(row.category), c);
    const Meaning* want = c == 4 ? &kParkedImpact : nullptr;
    for (const auto& [letter, meaning] : kFirstLetters) {
      if (meaning.category == c) want = &meaning;
    }
    ASSERT_NE(want, nullptr) << c;
    EXPECT_EQ(viewer::UiText(row.text), want->text) << c;
    EXPECT_EQ(row.bit, want->bits) << c;
    EXPECT_EQ(TriggerRowOfBit(row.bit), &row) << "one category per summary bit";
  }
  EXPECT_EQ(TriggerRowOfBit(0x20), nullptr);
  EXPECT_EQ(TriggerRowOfBit(0), nullptr);
}

// Only a time-lapse letter (T at position 0, whatever position 1 holds) keeps
// files 900 s apart in one group; every other letter keeps them 60 s apart.
TEST(TriggerLetters, OnlyTheTimeLapseLetterGroupsFilesFifteenMinutesApart) {
  for (int a = 0; a < 256; ++a) {
    for (char second : {'_', 'G'}) {
      const char first = static_cast<char>(a);
      for (const auto& [later, gap] : {std::pair{"101500", 60}, std::pair{"102900", 900}}) {
        GroupState state;
        std::string one = NameOf(first, second), two = one;
        two.replace(11, 6, later);
        two.replace(18, 6, "000124");
        one.replace(11, 6, "101400");
        const bool time_lapse = first == 'T';
        const bool same = time_lapse ? gap == 900 : gap == 60;
        const std::string group = GroupOfFile(one, state);
        EXPECT_EQ(GroupOfFile(two, state) == group, same) << a << " " << second << " gap " << gap;
      }
    }
  }
}

}  // namespace
}  // namespace library
