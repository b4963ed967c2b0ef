#include "mapview/MapStatement.h"

#include <gtest/gtest.h>

#include <string>

namespace mapview {
namespace {

using Kind = MapStatement::Kind;

struct PlainRow {
  std::string name;
  std::string text;
  Kind kind;
};

class MapStatementPlainTest : public testing::TestWithParam<PlainRow> {};

TEST_P(MapStatementPlainTest, ReadsTheStatement) {
  const auto statement = MapStatement::Parse(GetParam().text);
  ASSERT_TRUE(statement);
  EXPECT_EQ(statement->kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, MapStatementPlainTest,
    testing::Values(PlainRow{"ClearCrashPos", "cplist.ClearCrashPos()", Kind::kClearCrashPos},
                    PlainRow{"RemoveLineList", "orbitgrplist.RemoveLineList()", Kind::kRemoveLineList},
                    PlainRow{"CreateLine", "orbitgrplist.CreateLine()", Kind::kCreateLine},
                    PlainRow{"MoveMarker", "orbitgrplist.MoveMarker()", Kind::kMoveMarker},
                    PlainRow{"CreateGridLine", "orbitgrplist.CreateGridLine(0)", Kind::kCreateGridLine}),
    [](const auto& info) { return info.param.name; });

TEST(MapStatementTest, CreateGridLineCarriesItsIndex) {
  EXPECT_EQ(MapStatement::Parse("orbitgrplist.CreateGridLine(-3)")->grid, -3);
  EXPECT_EQ(MapStatement::Parse("orbitgrplist.CreateGridLine(2147483647)")->grid, 2147483647);
}

TEST(MapStatementTest, AddCrashPosReadsEveryArgumentInOrder) {
  const auto statement = MapStatement::Parse(
      "cplist.AddCrashPos(7,0.250000,-1.500000,0.000000,3,1,1234,-33.912345,-70.612345,1,88.500000,270.000000)");
  ASSERT_TRUE(statement);
  ASSERT_EQ(statement->kind, Kind::kAddCrashPos);
  const CrashPoint& c = statement->crash;
  EXPECT_EQ(c.icolor, 7);
  EXPECT_DOUBLE_EQ(c.levelx, 0.25);
  EXPECT_DOUBLE_EQ(c.levely, -1.5);
  EXPECT_DOUBLE_EQ(c.levelz, 0.0);
  EXPECT_EQ(c.ifile, 3);
  EXPECT_EQ(c.igrid, 1);
  EXPECT_EQ(c.ipos, 1234);
  EXPECT_DOUBLE_EQ(c.lat, -33.912345);
  EXPECT_DOUBLE_EQ(c.lng, -70.612345);
  EXPECT_EQ(c.valid, 1);
  EXPECT_DOUBLE_EQ(c.speed, 88.5);
  EXPECT_DOUBLE_EQ(c.direction, 270.0);
}

class MapStatementRejectTest : public testing::TestWithParam<PlainRow> {};

TEST_P(MapStatementRejectTest, RefusesTheText) { EXPECT_FALSE(MapStatement::Parse(GetParam().text)); }

const char kGood[] = "cplist.AddCrashPos(2,0.1,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0)";

INSTANTIATE_TEST_SUITE_P(
    Garbage, MapStatementRejectTest,
    testing::Values(
        PlainRow{"Empty", "", Kind::kMoveMarker},
        PlainRow{"TrailingSemicolon", "orbitgrplist.MoveMarker();", Kind::kMoveMarker},
        PlainRow{"SecondStatement", "orbitgrplist.MoveMarker();alert(1)", Kind::kMoveMarker},
        PlainRow{"LeadingSpace", " orbitgrplist.CreateLine()", Kind::kMoveMarker},
        PlainRow{"OtherFunction", "orbitgrplist.GetOrbitGroup()", Kind::kMoveMarker},
        PlainRow{"WrongCase", "orbitgrplist.movemarker()", Kind::kMoveMarker},
        PlainRow{"GridWithoutArgument", "orbitgrplist.CreateGridLine()", Kind::kMoveMarker},
        PlainRow{"GridWithText", "orbitgrplist.CreateGridLine(a)", Kind::kMoveMarker},
        PlainRow{"GridWithFraction", "orbitgrplist.CreateGridLine(1.5)", Kind::kMoveMarker},
        PlainRow{"GridPlusSign", "orbitgrplist.CreateGridLine(+1)", Kind::kMoveMarker},
        PlainRow{"GridTooLargeForInt", "orbitgrplist.CreateGridLine(2147483648)", Kind::kMoveMarker},
        PlainRow{"GridUnclosed", "orbitgrplist.CreateGridLine(1", Kind::kMoveMarker},
        PlainRow{"GridTrailing", "orbitgrplist.CreateGridLine(1)x", Kind::kMoveMarker},
        PlainRow{"CrashTooFewArguments", "cplist.AddCrashPos(2,0.1,0.2,0.3,0,0,5,35.5,139.25,1,10.0)",
                 Kind::kMoveMarker},
        PlainRow{"CrashTooManyArguments", "cplist.AddCrashPos(2,0.1,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0,1)",
                 Kind::kMoveMarker},
        PlainRow{"CrashCommaDecimal", "cplist.AddCrashPos(2,0,1,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0)",
                 Kind::kMoveMarker},
        PlainRow{"CrashNan", "cplist.AddCrashPos(2,nan,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0)", Kind::kMoveMarker},
        PlainRow{"CrashInfinity", "cplist.AddCrashPos(2,0.1,0.2,0.3,0,0,5,inf,139.25,1,10.0,0.0)",
                 Kind::kMoveMarker},
        PlainRow{"CrashExponent", "cplist.AddCrashPos(2,1e3,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0)",
                 Kind::kMoveMarker},
        PlainRow{"CrashSpaceAfterComma", "cplist.AddCrashPos(2, 0.1,0.2,0.3,0,0,5,35.5,139.25,1,10.0,0.0)",
                 Kind::kMoveMarker},
        PlainRow{"CrashFractionWhereIntegerBelongs",
                 "cplist.AddCrashPos(2,0.1,0.2,0.3,0,0,5.5,35.5,139.25,1,10.0,0.0)", Kind::kMoveMarker},
        PlainRow{"CrashScriptAfter", std::string(kGood) + "//", Kind::kMoveMarker},
        PlainRow{"EmbeddedNul", std::string("orbitgrplist.MoveMarker()\0", 26), Kind::kMoveMarker}),
    [](const auto& info) { return info.param.name; });

TEST(MapStatementTest, TheWellFormedRowOfTheRejectsIsAccepted) { EXPECT_TRUE(MapStatement::Parse(kGood)); }

}  // namespace
}  // namespace mapview
