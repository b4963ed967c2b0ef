#include <gtest/gtest.h>

#include <future>
#include <set>
#include <thread>

#include "ScreenReading.h"
#include "TestFiles.h"
#include "platform/NamedMutexLock.h"
#include "player/ErrorReporter.h"
#include "player/MovieViewOperations.h"
#include "player/RateTables.h"

namespace player {
namespace {

TEST(RateTables, SpeedsOfTheRateCodes) {
  EXPECT_EQ(SpeedOfRateCode(2, false), 2.0);
  EXPECT_EQ(SpeedOfRateCode(4, false), 4.0);
  EXPECT_EQ(SpeedOfRateCode(-2, false), 0.5);
  EXPECT_EQ(SpeedOfRateCode(-4, false), 0.25);
  EXPECT_EQ(SpeedOfRateCode(-2, true), -2.0);
  EXPECT_EQ(SpeedOfRateCode(1, false), 1.0);
  EXPECT_EQ(SpeedOfRateCode(7, false), 1.0);
}

TEST(ErrorTexts, NameTheResult) {
  EXPECT_EQ(ErrorText(E_OUTOFMEMORY), "E_OUTOFMEMORY");
  EXPECT_EQ(ErrorText(E_INVALIDARG), "E_INVALIDARG");
  EXPECT_EQ(ErrorText(VFW_E_WRONG_STATE), "VFW_E_WRONG_STATE");
  EXPECT_EQ(ErrorText(static_cast<HRESULT>(0x80001234)), "Unknown 0x80001234");
}

TEST(ErrorTexts, AMissingDecoderShowsThePublishedText) {
  SetMissingDecoderText("");
  EXPECT_EQ(ErrorText(VFW_E_NO_DECODER), "Unknown 0x80040200") << "nothing published yet";
  SetMissingDecoderText("コーデックとスプリッターをインストールしてください。");
  EXPECT_EQ(ErrorText(VFW_E_NO_DECODER), "コーデックとスプリッターをインストールしてください。");
  EXPECT_EQ(ErrorText(E_INVALIDARG), "E_INVALIDARG") << "other results keep their names";
  SetMissingDecoderText("");
}

TEST(ViewOperations, ThirtyFourInTheirOrder) {
  const auto& table = ViewOperationTable();
  ASSERT_EQ(table.size(), 34u);
  const char* expected[] = {"set up", "tear down", "is recording", "open", "close", "load sensor data",
                            "free sensor data", "play", "seek", "pause", "stop", "current frame", "show frame",
                            "show frame", "set view option 1", "none", "set view option 2", "none", "set rate",
                            "slow motion", "aspect mode", "frame count", "frame count", "none", "frame duration",
                            "video size", "set volume", "overlay text", "restore overlay", "rotate 180",
                            "zoom and pan", "save picture", "repaint", "redraw"};
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_STREQ(table[i].name, expected[i]) << i;
  for (std::size_t i : {15u, 17u, 23u}) {
    MovieView view(nullptr, nullptr, {});
    ViewCall call;
    EXPECT_EQ(table[i].run(view, call), 0);
  }
}

// Each row of the table run on a real view, and its effect seen there: in
// the picture on screen, in the files it writes or in what the view answers.
class ViewOperationRows;
struct OperationRow {
  std::size_t index;
  const char* quirk;
  void (*check)(ViewOperationRows& t, ViewOperation run);
  friend void PrintTo(const OperationRow& r, std::ostream* os) { *os << r.index << " " << r.quirk; }
};

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using screen::Card;
using screen::StripOf;
using screen::StripOnScreen;
using screen::WaitForStrip;

class ViewOperationRows : public ::testing::TestWithParam<OperationRow> {
 public:
  void SetUp() override { view_.SetUp("Noto Sans CJK JP"); }

  void OpenCard() { ASSERT_TRUE(screen::OpenAndWait(view_, sink_, Card()[0].main_path)); }
  void OpenAndShow(int frame) {
    OpenCard();
    ASSERT_EQ(view_.ShowFrame(frame), S_OK);
    ASSERT_EQ(WaitForStrip(view_, frame, 5s), frame);
  }
  void OpenAndPlay() {
    OpenAndShow(0);
    ASSERT_EQ(view_.Play(), S_OK);
    std::this_thread::sleep_for(150ms);
  }
  std::int64_t Run(ViewOperation run, std::int64_t value = 0) {
    ViewCall call;
    call.value = value;
    return run(view_, call);
  }
  // Green pixels of the overlay text in a 640 x 360 view.
  int GreenPixels() {
    const QImage view = view_.Compose(QSize(640, 360));
    int green = 0;
    for (int y = 0; y < view.height(); ++y) {
      for (int x = 0; x < view.width(); ++x) {
        const QRgb p = view.pixel(x, y);
        green += qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60;
      }
    }
    return green;
  }
  // The row changes nothing: the same picture, state and rate.
  void ExpectNothingChanges(ViewOperation run) {
    OpenAndShow(12);
    EXPECT_EQ(Run(run, 4), 0);
    EXPECT_EQ(StripOnScreen(view_), 12);
    EXPECT_EQ(view_.view_state(), MovieView::ViewState::kStopped);
    EXPECT_EQ(view_.rate_code(), 1);
  }
  void ExpectShowFrame(ViewOperation run) {
    OpenAndShow(0);
    EXPECT_EQ(Run(run, 37), S_OK);
    EXPECT_EQ(WaitForStrip(view_, 37, 5s), 37);
    EXPECT_EQ(Run(run, 14), S_OK);
    EXPECT_EQ(WaitForStrip(view_, 14, 5s), 14);
  }
  void ExpectFrameCount(ViewOperation run) {
    EXPECT_EQ(Run(run), 0) << "nothing open";
    OpenCard();
    EXPECT_EQ(Run(run), Card()[0].main_frames);
  }
  // Option 2 asks for hardware decoding at the next open; where the machine
  // has no VA-API device the decoder falls back to software and the option
  // leaves no trace but a view that still plays.
  void ExpectViewOption(ViewOperation run, bool hardware) {
    EXPECT_EQ(Run(run, 1), 1);
    OpenAndShow(8);
    if (fs::exists("/dev/dri")) {
      EXPECT_EQ(view_.player()->hardware_in_use(), hardware);
    }
  }
  // The picture holds over 200 ms and the view is in the given state.
  void ExpectHolds(ViewOperation run, MovieView::ViewState state) {
    OpenAndPlay();
    EXPECT_EQ(Run(run), S_OK);
    std::this_thread::sleep_for(100ms);
    const int held = StripOnScreen(view_);
    EXPECT_GE(held, 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(StripOnScreen(view_), held);
    EXPECT_EQ(view_.view_state(), state);
  }
  void ExpectRepaint(ViewOperation run) {
    OpenAndShow(6);
    const int before = repaints_;
    EXPECT_EQ(Run(run), S_OK);
    EXPECT_EQ(repaints_, before + 1);
    EXPECT_EQ(StripOnScreen(view_), 6);
  }

  platform::RecordingSink sink_, parent_;
  std::atomic<int> repaints_{0};
  MovieView view_{&sink_, &parent_, [this] { ++repaints_; }};
};

const OperationRow kOperationRows[] = {
    {0, "set_up_takes_the_shared_file_lock",
     [](ViewOperationRows& t, ViewOperation run) {
       MovieView fresh(&t.sink_, &t.parent_, {});
       ViewCall call;
       call.text = "Noto Sans CJK JP";
       EXPECT_EQ(run(fresh, call), 1);
       const auto shared = platform::NamedMutex::Create("hFileMutex");
       std::future<std::int64_t> answer;
       {
         platform::NamedMutexLock held(shared);
         answer = std::async(std::launch::async, [&] { return fresh.IsRecording(Card()[0].main_path); });
         EXPECT_EQ(answer.wait_for(100ms), std::future_status::timeout) << "the view does not wait for the shared lock";
       }
       EXPECT_EQ(answer.get(), 1);
     }},
    {1, "tear_down_closes_and_frees",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(5);
       ASSERT_EQ(t.view_.LoadSensorData(Card()[0].main_path), 1);
       EXPECT_EQ(t.Run(run), 1);
       EXPECT_EQ(t.view_.view_state(), MovieView::ViewState::kNothing);
       EXPECT_EQ(StripOnScreen(t.view_), -1);
       EXPECT_EQ(t.view_.sensor_data().frame_index().size(), 0u);
       EXPECT_TRUE(t.view_.sensor_data().gps().empty());
     }},
    {2, "is_recording_tells_recordings_apart",
     [](ViewOperationRows& t, ViewOperation run) {
       ViewCall call;
       call.path = Card()[0].main_path;
       EXPECT_EQ(run(t.view_, call), 1);
       call.path = Card()[0].data_path;
       EXPECT_EQ(run(t.view_, call), 0);
       call.path = Card()[0].main_path.parent_path() / "missing.MOV";
       EXPECT_EQ(run(t.view_, call), 0);
     }},
    {3, "open_gets_a_playable_recording",
     [](ViewOperationRows& t, ViewOperation run) {
       ViewCall call;
       call.path = Card()[0].data_path;
       EXPECT_EQ(run(t.view_, call), E_INVALIDARG);
       call.path = Card()[1].main_path;
       EXPECT_EQ(run(t.view_, call), S_OK);
       ASSERT_TRUE(t.sink_.WaitFor(WM_PLAYER_READY, 5s));
       EXPECT_EQ(t.view_.FrameCount(), Card()[1].main_frames);
       ASSERT_EQ(t.view_.ShowFrame(7), S_OK);
       EXPECT_EQ(WaitForStrip(t.view_, 7, 5s), 7);
     }},
    {4, "close_leaves_no_picture",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(9);
       EXPECT_EQ(t.Run(run), 1);
       EXPECT_EQ(StripOnScreen(t.view_), -1);
       EXPECT_EQ(t.view_.view_state(), MovieView::ViewState::kNothing);
       EXPECT_EQ(t.view_.Play(), E_UNEXPECTED);
     }},
    {5, "load_sensor_data_indexes_the_frames",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenCard();
       ViewCall call;
       call.path = Card()[0].main_path;
       EXPECT_EQ(run(t.view_, call), 1);
       EXPECT_EQ(t.view_.sensor_data().frame_index().size(), static_cast<std::size_t>(Card()[0].main_frames));
       EXPECT_EQ(static_cast<int>(t.view_.sensor_data().gps().size()), Card()[0].records);
     }},
    {6, "free_sensor_data_empties_it",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenCard();
       ASSERT_EQ(t.view_.LoadSensorData(Card()[0].main_path), 1);
       EXPECT_EQ(t.Run(run), 1);
       EXPECT_TRUE(t.view_.sensor_data().gps().empty());
       EXPECT_EQ(t.view_.sensor_data().frame_index().size(), 0u);
     }},
    {7, "play_moves_the_picture_on",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(0);
       EXPECT_EQ(t.Run(run), S_OK);
       std::this_thread::sleep_for(300ms);
       EXPECT_GE(StripOnScreen(t.view_), 5);
       EXPECT_EQ(t.view_.view_state(), MovieView::ViewState::kPlaying);
     }},
    {8, "seek_jumps_while_playing",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndPlay();
       EXPECT_EQ(t.Run(run, 45), S_OK);
       int seen = -1;
       for (int i = 0; i < 1000 && (seen = StripOnScreen(t.view_)) < 45; ++i) std::this_thread::sleep_for(2ms);
       EXPECT_GE(seen, 45);
       EXPECT_LE(seen, 48);
     }},
    {9, "pause_holds_the_picture",
     [](ViewOperationRows& t, ViewOperation run) { t.ExpectHolds(run, MovieView::ViewState::kPaused); }},
    {10, "stop_holds_the_picture",
     [](ViewOperationRows& t, ViewOperation run) { t.ExpectHolds(run, MovieView::ViewState::kStopped); }},
    {11, "current_frame_is_the_picture_on_screen",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(23);
       EXPECT_EQ(t.Run(run), 23);
     }},
    {12, "show_frame", [](ViewOperationRows& t, ViewOperation run) { t.ExpectShowFrame(run); }},
    {13, "show_frame_again", [](ViewOperationRows& t, ViewOperation run) { t.ExpectShowFrame(run); }},
    {14, "view_option_1", [](ViewOperationRows& t, ViewOperation run) { t.ExpectViewOption(run, false); }},
    {15, "none_after_option_1", [](ViewOperationRows& t, ViewOperation run) { t.ExpectNothingChanges(run); }},
    {16, "view_option_2_hardware_decoding",
     [](ViewOperationRows& t, ViewOperation run) { t.ExpectViewOption(run, true); }},
    {17, "none_after_option_2", [](ViewOperationRows& t, ViewOperation run) { t.ExpectNothingChanges(run); }},
    {18, "set_rate_plays_at_twice_the_speed",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(0);
       EXPECT_EQ(t.Run(run, 2), S_OK);
       EXPECT_EQ(t.view_.rate_code(), 2);
       ASSERT_EQ(t.view_.Play(), S_OK);
       std::this_thread::sleep_for(100ms);
       EXPECT_NEAR(screen::MediaSpeed(screen::SampleStrips(t.view_, 500ms), 30.0), 2.0, 0.3);
     }},
    {19, "slow_motion_steps_to_the_parent",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(0);
       t.view_.set_slow_step_period(20ms);
       ViewCall call;
       call.real = 1.0;
       EXPECT_EQ(run(t.view_, call), S_OK);
       EXPECT_TRUE(t.parent_.WaitFor(WM_SLOW_STEP, 3s));
       call.real = 0.0;
       EXPECT_EQ(run(t.view_, call), S_OK);
       const std::size_t steps = t.parent_.MessagesOf(WM_SLOW_STEP).size();
       std::this_thread::sleep_for(100ms);
       EXPECT_EQ(t.parent_.MessagesOf(WM_SLOW_STEP).size(), steps) << "slow motion off stops the steps";
     }},
    {20, "aspect_mode_letterboxes_or_stretches",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(12);
       EXPECT_EQ(t.Run(run, 1), S_OK);
       EXPECT_EQ(qGray(t.view_.Compose(QSize(320, 320)).pixel(160, 5)), 0);
       EXPECT_EQ(t.Run(run, 0), S_OK);
       EXPECT_GT(qGray(t.view_.Compose(QSize(320, 320)).pixel(160, 5)), 30);
       EXPECT_EQ(StripOf(t.view_.Compose(QSize(320, 320))), 12);
     }},
    {21, "frame_count", [](ViewOperationRows& t, ViewOperation run) { t.ExpectFrameCount(run); }},
    {22, "frame_count_again", [](ViewOperationRows& t, ViewOperation run) { t.ExpectFrameCount(run); }},
    {23, "none", [](ViewOperationRows& t, ViewOperation run) { t.ExpectNothingChanges(run); }},
    {24, "frame_duration_in_milliseconds",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenCard();
       ViewCall call;
       EXPECT_EQ(run(t.view_, call), 1);
       EXPECT_NEAR(call.real_result, 1000.0 / 30.0, 1e-3);
     }},
    {25, "video_size",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenCard();
       ViewCall call;
       EXPECT_EQ(run(t.view_, call), 1);
       EXPECT_EQ(QSize(call.width, call.height), QSize(320, 180));
     }},
    {26, "set_volume_is_kept_within_range",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenCard();
       EXPECT_EQ(t.Run(run, 1234), S_OK);
       EXPECT_EQ(t.view_.volume(), 1234);
       EXPECT_EQ(t.Run(run, 70000), S_OK);
       EXPECT_EQ(t.view_.volume(), 65535);
     }},
    {27, "overlay_text_draws_green",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(12);
       EXPECT_EQ(t.GreenPixels(), 0);
       ViewCall call;
       call.text = "12 km/h";
       EXPECT_EQ(run(t.view_, call), S_OK);
       EXPECT_GT(t.GreenPixels(), 100);
     }},
    {28, "restore_overlay_removes_it",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(12);
       ASSERT_EQ(t.view_.OverlayText("12 km/h"), S_OK);
       ASSERT_GT(t.GreenPixels(), 100);
       EXPECT_EQ(t.Run(run), S_OK);
       EXPECT_EQ(t.GreenPixels(), 0);
     }},
    {29, "rotate_180_turns_the_picture",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(12);
       EXPECT_EQ(t.Run(run, 1), S_OK);
       EXPECT_EQ(StripOf(t.view_.Compose(QSize(320, 180)).mirrored(true, true)), 12);
       EXPECT_EQ(StripOnScreen(t.view_), -1);
       EXPECT_EQ(t.Run(run, 0), S_OK);
       EXPECT_EQ(StripOnScreen(t.view_), 12);
     }},
    {30, "zoom_and_pan_enlarges_a_part",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(12);
       const QImage frame = t.view_.FrameOnScreen().image;
       ViewCall call;
       call.real = 2.0;
       call.x = 0.5;
       call.y = 0.5;
       EXPECT_EQ(run(t.view_, call), S_OK);
       const QImage zoomed = t.view_.Compose(QSize(320, 180));
       const QImage quarter = screen::Enlarged(frame, QRectF(0.5, 0.5, 0.5, 0.5), zoomed.size());
       EXPECT_LT(screen::MeanDifference(zoomed, quarter), 2.0);
     }},
    {31, "save_picture_writes_the_frame_on_screen",
     [](ViewOperationRows& t, ViewOperation run) {
       t.OpenAndShow(23);
       testfiles::TempDir dir;
       ViewCall call;
       call.path = dir / "still.jpg";
       EXPECT_EQ(run(t.view_, call), 1);
       EXPECT_EQ(StripOf(QImage(QString::fromStdString(call.path.string()))), 23);
     }},
    {32, "repaint", [](ViewOperationRows& t, ViewOperation run) { t.ExpectRepaint(run); }},
    {33, "redraw", [](ViewOperationRows& t, ViewOperation run) { t.ExpectRepaint(run); }},
};

TEST_P(ViewOperationRows, RunTheirOperation) {
  GetParam().check(*this, ViewOperationTable()[GetParam().index].run);
}

INSTANTIATE_TEST_SUITE_P(Player, ViewOperationRows, ::testing::ValuesIn(kOperationRows),
                         [](const auto& info) { return std::string(info.param.quirk); });

TEST(ViewOperations, EveryRowIsChecked) {
  std::set<std::size_t> rows;
  for (const OperationRow& r : kOperationRows) rows.insert(r.index);
  EXPECT_EQ(rows.size(), kViewOperations);
  EXPECT_EQ(*rows.rbegin(), kViewOperations - 1);
}

}  // namespace
}  // namespace player
