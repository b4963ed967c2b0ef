#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "mapview/CGoogleMapDlgWrap.h"
#include "mapview/CJsonHolder.h"
#include "mapview/MapScript.h"
#include "mapview/MapPageAddress.h"

namespace mapview {
namespace {

// A map window that keeps what it was asked.
class RecordingMapWindow : public MapWindow {
 public:
  void ExecScript(const std::string& statement) override { statements.push_back(statement); }
  void UpdateData(double lat_, double lng_, const std::string& status_text) override {
    lat = lat_;
    lng = lng_;
    status = status_text;
    ++updates;
  }
  bool PostWebMessage(const std::string& json) override {
    messages.push_back(json);
    return true;
  }
  void SetOnlineMark(bool reachable) override { marks.push_back(reachable); }
  void ShowMapWindow(bool show) override { visible = show; }
  bool IsMapWindowVisible() const override { return visible; }

  std::vector<std::string> statements, messages;
  std::vector<bool> marks;
  double lat = 0.0, lng = 0.0;
  std::string status;
  int updates = 0;
  bool visible = true;
};

struct Posted {
  std::uint32_t message;
  std::intptr_t lparam;
  friend bool operator==(const Posted&, const Posted&) = default;
};

class MapWrap : public ::testing::Test {
 protected:
  MapWrap() : wrap_(Hooks()) { wrap_.SetWindow(&window_); }
  CGoogleMapDlgWrap::Hooks Hooks() {
    CGoogleMapDlgWrap::Hooks hooks;
    hooks.post = [this](std::uint32_t message, std::intptr_t lparam) { posted_.push_back({message, lparam}); };
    hooks.tiles_reachable = [this] { return reachable_; };
    hooks.group_route = [this] { return route_; };
    hooks.grid = [this] { return grid_; };
    return hooks;
  }

  std::vector<Posted> posted_;
  int reachable_ = 0;
  std::vector<recording::GpsSample> route_;
  std::optional<std::vector<recording::GpsSample>> grid_;
  RecordingMapWindow window_;
  CGoogleMapDlgWrap wrap_;
};

// Switches LC_ALL to a locale whose decimal point is a comma for its life.
class CommaLocale {
 public:
  CommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"}) {
      if (std::setlocale(LC_ALL, name) != nullptr && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
        on_ = true;
        return;
      }
    }
    std::setlocale(LC_ALL, saved_.c_str());
  }
  ~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  bool on() const { return on_; }

 private:
  std::string saved_;
  bool on_ = false;
};

TEST_F(MapWrap, ReloadTrackSendsNothingBeforeThePageIsReady) {
  wrap_.ReloadTrack(2, true);
  EXPECT_TRUE(window_.statements.empty());
  EXPECT_EQ(wrap_.ConnectTest(), 1) << "our own map layer is always there";
  wrap_.OnInitHtml();
  EXPECT_EQ(posted_, (std::vector<Posted>{{kMessageMapPageReady, 0}}));
  wrap_.ReloadTrack(2, true);
  EXPECT_EQ(window_.statements,
            (std::vector<std::string>{"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
                                      "orbitgrplist.CreateLine()", "orbitgrplist.CreateGridLine(2)"}));
  window_.statements.clear();
  wrap_.ReloadTrack(17, false);
  EXPECT_EQ(window_.statements, (std::vector<std::string>{"cplist.ClearCrashPos()", "orbitgrplist.RemoveLineList()",
                                                          "orbitgrplist.CreateGridLine(17)"}));
}

TEST_F(MapWrap, ANewWindowWaitsForItsOwnPageAndTakesTheState) {
  wrap_.OnInitHtml();
  wrap_.SetPosition(-33.5, -70.25);
  wrap_.SetPlayState(1);
  wrap_.ShowMap(true);
  RecordingMapWindow second;
  second.visible = false;
  wrap_.SetWindow(&second);
  wrap_.ReloadTrack(0, true);
  EXPECT_TRUE(second.statements.empty());
  EXPECT_EQ(second.lat, -33.5);
  EXPECT_EQ(second.lng, -70.25);
  EXPECT_EQ(second.status, "pause");
  EXPECT_TRUE(second.visible);
  wrap_.OnInitHtml();
  wrap_.ReloadTrack(0, true);
  EXPECT_EQ(second.statements.size(), 4U);
  EXPECT_TRUE(window_.statements.empty()) << "the old window is left alone";
}

struct PlayStateRow {
  const char* name;
  int state;
  const char* text;
  bool moves_marker;
};

class MapWrapPlayState : public MapWrap, public ::testing::WithParamInterface<PlayStateRow> {};

TEST_P(MapWrapPlayState, SetsTheTextAndPushesIt) {
  const PlayStateRow& row = GetParam();
  wrap_.OnInitHtml();
  wrap_.SetPlayState(1);  // something else first
  window_.statements.clear();
  const int updates = window_.updates;
  wrap_.SetPlayState(row.state);
  EXPECT_EQ(window_.status, row.text);
  EXPECT_EQ(window_.updates, updates + 1);
  EXPECT_EQ(window_.statements,
            row.moves_marker ? std::vector<std::string>{"orbitgrplist.MoveMarker()"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Rows, MapWrapPlayState,
                         ::testing::Values(PlayStateRow{"playing_clears_the_text", 0, "", false},
                                           PlayStateRow{"paused", 1, "pause", false},
                                           PlayStateRow{"stopped_moves_the_marker", 2, "stop", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MapWrap, StopMovesNoMarkerBeforeThePageIsReady) {
  wrap_.SetPlayState(2);
  EXPECT_EQ(window_.status, "stop");
  EXPECT_TRUE(window_.statements.empty());
}

TEST_F(MapWrap, StatusMessageIsByteForByte) {
  wrap_.SetPosition(35.5, 139.25);
  wrap_.SetPlayState(1);
  ASSERT_TRUE(wrap_.SetSend());
  ASSERT_EQ(window_.messages.size(), 1U);
  EXPECT_EQ(window_.messages[0],
            R"({"map_lat":"35.500000","map_lng":"139.250000","map_status":"pause","val_command":"update","val_end":""})");
}

TEST_F(MapWrap, StatusMessageKeepsThePointUnderACommaLocale) {
  CommaLocale comma;
  if (!comma.on()) GTEST_SKIP() << "no decimal-comma locale installed";
  wrap_.SetPosition(-33.8651234, -151.2099);
  wrap_.SetPlayState(0);
  ASSERT_TRUE(wrap_.SetSend());
  EXPECT_EQ(window_.messages.at(0),
            R"({"map_lat":"-33.865123","map_lng":"-151.209900","map_status":"","val_command":"update","val_end":""})");
}

TEST_F(MapWrap, SetSendWithoutAWindowFails) {
  wrap_.SetWindow(nullptr);
  EXPECT_FALSE(wrap_.SetSend());
}

TEST_F(MapWrap, OnlineMarkFollowsTheMonitorOnChange) {
  wrap_.SetSend();
  wrap_.SetSend();
  reachable_ = 1;
  wrap_.SetSend();
  wrap_.SetSend();
  reachable_ = 0;
  wrap_.SetSend();
  EXPECT_EQ(window_.marks, (std::vector<bool>{false, true, false}));
}

TEST_F(MapWrap, ShowMapTellsWhetherVisibilityChanged) {
  EXPECT_FALSE(window_.visible) << "hidden until there is a position to show";
  EXPECT_FALSE(wrap_.ShowMap(false));
  EXPECT_TRUE(wrap_.ShowMap(true));
  EXPECT_TRUE(window_.visible);
  EXPECT_FALSE(wrap_.ShowMap(true));
  EXPECT_TRUE(wrap_.ShowMap(false));
  EXPECT_FALSE(window_.visible);
}

TEST_F(MapWrap, PageCallsReadThroughTheHooks) {
  recording::GpsSample fix;
  fix.time = 42;
  fix.fix_valid = 1;
  fix.latitude = -12.5;
  fix.longitude = 130.75;
  route_ = {fix, fix};
  EXPECT_EQ(wrap_.GetGPSData().size(), 2U);
  EXPECT_FALSE(wrap_.GetGridData().has_value()) << "no sample list";
  grid_ = std::vector<recording::GpsSample>{fix};
  const auto grid = wrap_.GetGridData();
  ASSERT_TRUE(grid.has_value());
  ASSERT_EQ(grid->size(), 1U);
  EXPECT_EQ(grid->front().latitude, -12.5);
  EXPECT_EQ(wrap_.GetRelJpgNum(), -1);
  wrap_.SetFrame(37);
  EXPECT_EQ(wrap_.GetRelJpgNum(), 37);
  EXPECT_EQ(wrap_.GetMapURL(), kMapLayerUrl);
  EXPECT_NE(wrap_.GetMapURL().find("callback=loadLibs"), std::string::npos);
}

TEST_F(MapWrap, CrashPointClickPostsOnlyItsPosition) {
  wrap_.OnClickCrashPoint(3, 1, 218, 1, -33.9, -70.6, 40.0, 0.0);
  EXPECT_EQ(posted_, (std::vector<Posted>{{kMessageMapCrashPoint, 218}}));
}

// ---- statements

TEST(MapScriptText, FixedStatements) {
  EXPECT_EQ(MapScript::CreateGridLine(0), "orbitgrplist.CreateGridLine(0)");
  EXPECT_EQ(MapScript::CreateGridLine(123), "orbitgrplist.CreateGridLine(123)");
}

MapScript::CrashPos SouthWestImpact() {
  MapScript::CrashPos p;
  p.icolor = 4;
  p.levelx = 1.25;
  p.levely = -0.5;
  p.levelz = 0.0625;
  p.ifile = 0;
  p.igrid = 2;
  p.ipos = 318;
  p.lat = -33.86785;
  p.lng = -70.6482;
  p.valid = 1;
  p.speed = 48.0;
  p.direction = 0.0;
  return p;
}

constexpr const char* kSouthWestImpact =
    "cplist.AddCrashPos(4,1.250000,-0.500000,0.062500,0,2,318,-33.867850,-70.648200,1,48.000000,0.000000)";

TEST(MapScriptText, AddCrashPosAsPrintfWouldWriteIt) {
  EXPECT_EQ(MapScript::AddCrashPos(SouthWestImpact()), kSouthWestImpact);
}

TEST(MapScriptText, AddCrashPosKeepsThePointUnderACommaLocale) {
  CommaLocale comma;
  if (!comma.on()) GTEST_SKIP() << "no decimal-comma locale installed";
  EXPECT_EQ(MapScript::AddCrashPos(SouthWestImpact()), kSouthWestImpact);
}

struct NonFiniteRow {
  const char* name;
  double MapScript::CrashPos::*field;
  double value;
};

class AddCrashPosNonFinite : public ::testing::TestWithParam<NonFiniteRow> {};

TEST_P(AddCrashPosNonFinite, MakesNoStatement) {
  MapScript::CrashPos p = SouthWestImpact();
  p.*(GetParam().field) = GetParam().value;
  EXPECT_FALSE(MapScript::AddCrashPos(p).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AddCrashPosNonFinite,
    ::testing::Values(NonFiniteRow{"nan_latitude", &MapScript::CrashPos::lat, std::nan("")},
                      NonFiniteRow{"infinite_longitude", &MapScript::CrashPos::lng,
                                   std::numeric_limits<double>::infinity()},
                      NonFiniteRow{"negative_infinite_g", &MapScript::CrashPos::levelz,
                                   -std::numeric_limits<double>::infinity()},
                      NonFiniteRow{"nan_speed", &MapScript::CrashPos::speed, std::nan("")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MapScriptText, HugeValuesStayNumbers) {
  MapScript::CrashPos p = SouthWestImpact();
  p.speed = 1e300;
  const auto text = MapScript::AddCrashPos(p);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->find_first_not_of("cplist.AddCrashPos(0123456789,-)"), std::string::npos) << *text;
}

// ---- incoming messages

struct IncomingRow {
  const char* name;
  const char* json;
  const char* lat;
  const char* lng;
  const char* status;
};

class JsonHolderParse : public ::testing::TestWithParam<IncomingRow> {};

TEST_P(JsonHolderParse, KeepsPositionAndStatus) {
  CJsonHolder holder;
  holder.Parse(GetParam().json);
  EXPECT_EQ(holder.received_lat(), GetParam().lat);
  EXPECT_EQ(holder.received_lng(), GetParam().lng);
  EXPECT_EQ(holder.received_status(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JsonHolderParse,
    ::testing::Values(
        IncomingRow{"own_status_message",
                    R"({"map_lat":"35.500000","map_lng":"139.250000","map_status":"pause","val_command":"update","val_end":""})",
                    "35.500000", "139.250000", "pause"},
        IncomingRow{"missing_keys_are_empty", R"({"map_status":"stop"})", "", "", "stop"},
        IncomingRow{"nothing_before_the_brace_counts", R"(x"map_lat":"1"{"map_lng":"2"})", "", "2", ""},
        IncomingRow{"separators_inside_values_are_dropped", R"({"map_lat":"3,5:0{}","map_status":"a,b"})", "350",
                    "", "ab"},
        IncomingRow{"blanks_between_members", R"({ "map_lat" : "1.5" , "map_lng" : "2.5" })", "1.5", "2.5", ""},
        IncomingRow{"unterminated_member_is_not_stored", R"({"map_lat":"1.5)", "", "", ""},
        IncomingRow{"empty_text", "", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JsonHolder, SeparatorsFollowTheReadText) {
  CJsonHolder holder;
  holder.Parse(R"({"b":"2","a":"1"})");
  EXPECT_EQ(holder.Text(), R"({"a":"1""b":"2",})") << "kept in key order, each with the separator it was read with";
}

}  // namespace
}  // namespace mapview
