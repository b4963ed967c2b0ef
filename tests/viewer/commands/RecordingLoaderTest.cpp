#include "viewer/commands/RecordingLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "TestFiles.h"
#include "platform/RecordingSink.h"
#include "tools/samplecard/SensorLog.h"

namespace viewer {
namespace {

using namespace std::chrono_literals;

// The messages once n have been posted (or what came within the wait).
std::vector<platform::Message> Await(const platform::RecordingSink& sink, std::size_t n) {
  sink.WaitForCount(n, 10s);
  return sink.Messages();
}

// Holds the decode of one video until it is opened; counts every decode.
class Decoder {
 public:
  RecordingLoader::Decode Function() {
    return [this](const std::filesystem::path& video, recording::SensorDataFile& out) {
      ++decodes;
      {
        std::unique_lock guard(lock_);
        if (video == held_) open_.wait(guard, [&] { return !held_.has_value(); });
      }
      return RecordingLoader::DecodeDataFile(video, out);
    };
  }
  void Hold(const std::filesystem::path& video) {
    std::lock_guard guard(lock_);
    held_ = video;
  }
  void Release() {
    std::lock_guard guard(lock_);
    held_.reset();
    open_.notify_all();
  }
  std::atomic<int> decodes{0};

 private:
  std::mutex lock_;
  std::condition_variable open_;
  std::optional<std::filesystem::path> held_;
};

platform::Message Loaded(std::uint32_t generation, int result) {
  return {kMessageDataLoaded, generation, result};
}

class RecordingLoaderTest : public ::testing::Test {
 protected:
  // A video path whose data file holds records samples (x = 10 mG per index
  // from first on), so each recording's data is told apart by its values.
  std::filesystem::path Recording(const char* name, int records, int first = 0) {
    std::vector<std::array<std::uint8_t, 124>> block;
    for (int i = 0; i < records; ++i) {
      samplecard::SensorRecordFields f;
      f.x_mg = (first + i) * 10;
      block.push_back(samplecard::FormatRecord(f));
    }
    const auto video = dir_ / (std::string(name) + ".MOV");
    testfiles::WriteFile(dir_ / (std::string(name) + ".ADA"), samplecard::FormatBlock({}, block));
    return video;
  }
  // The first sample's x of the data taken for generation; -1 with none.
  static double TakenFirstX(RecordingLoader& loader, std::uint32_t generation) {
    const auto data = loader.Take(generation);
    return data && !data->accel().empty() ? data->accel()[0].x : -1.0;
  }

  testfiles::TempDir dir_;
  platform::RecordingSink inbox_;
  Decoder decoder_;
};

TEST_F(RecordingLoaderTest, PostsTheGenerationAndHandsTheDataOverOnce) {
  const auto a = Recording("a", 20, 5);
  RecordingLoader loader(&inbox_);
  loader.Load(a, 7);
  EXPECT_EQ(Await(inbox_, 1), std::vector{Loaded(7, 1)});
  EXPECT_EQ(loader.Take(6), nullptr) << "another generation's data is not handed out";
  auto data = loader.Take(7);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->accel().size(), 20u);
  EXPECT_NEAR(data->accel()[0].x, 0.05, 1e-6);
  EXPECT_EQ(loader.Take(7), nullptr) << "taken once";
}

TEST_F(RecordingLoaderTest, ResultOfEachKindOfDataFile) {
  struct Row {
    const char* name;
    std::function<std::filesystem::path()> make;
    int result;
    std::size_t samples;
  };
  const std::vector<Row> rows = {
      {"decodes", [this] { return Recording("good", 3); }, 1, 3},
      {"no data file: a recording without sensor data", [this] { return dir_ / "none.MOV"; }, 1, 0},
      {"not a data file",
       [this] {
         testfiles::WriteFile(dir_ / "junk.ADA", testfiles::Text("not sensor data at all"));
         return dir_ / "junk.MOV";
       },
       0, 0},
      {"block cut short",
       [this] {
         const auto video = Recording("cut", 10);
         auto bytes = testfiles::ReadFile(dir_ / "cut.ADA");
         bytes.resize(bytes.size() / 2);
         testfiles::WriteFile(dir_ / "cut.ADA", bytes);
         return video;
       },
       0, 0},
  };
  std::uint32_t generation = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::RecordingSink inbox;
    RecordingLoader loader(&inbox);
    loader.Load(row.make(), ++generation);
    EXPECT_EQ(Await(inbox, 1), std::vector{Loaded(generation, row.result)});
    auto data = loader.Take(generation);
    EXPECT_EQ(data != nullptr, row.result == 1);
    if (data) {
      EXPECT_EQ(data->accel().size(), row.samples);
    }
  }
}

TEST_F(RecordingLoaderTest, SecondLoadStartedWhileTheFirstDecodesWins) {
  const auto a = Recording("a", 4, 100);
  const auto b = Recording("b", 6, 200);
  RecordingLoader loader(&inbox_, decoder_.Function());
  decoder_.Hold(a);
  loader.Load(a, 1);
  // The second load stops the first and waits for it; the first's decode
  // ends meanwhile, and its result must not be posted.
  std::thread release([&] {
    std::this_thread::sleep_for(50ms);
    decoder_.Release();
  });
  loader.Load(b, 2);
  release.join();
  EXPECT_EQ(Await(inbox_, 1), std::vector{Loaded(2, 1)});
  EXPECT_EQ(loader.Take(1), nullptr);
  EXPECT_NEAR(TakenFirstX(loader, 2), 2.0, 1e-6);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(inbox_.Messages().size(), 1u) << "nothing late from the first load";
}

TEST_F(RecordingLoaderTest, SecondLoadAfterTheFirstPostedLeavesTheFirstMessageStale) {
  const auto a = Recording("a", 4, 100);
  const auto b = Recording("b", 6, 200);
  RecordingLoader loader(&inbox_);
  loader.Load(a, 1);
  Await(inbox_, 1);
  loader.Load(b, 2);
  EXPECT_EQ(Await(inbox_, 2), (std::vector{Loaded(1, 1), Loaded(2, 1)}));
  EXPECT_EQ(loader.Take(1), nullptr) << "the window acting late on the first message gets nothing";
  EXPECT_NEAR(TakenFirstX(loader, 2), 2.0, 1e-6);
}

TEST_F(RecordingLoaderTest, LoadTakesThePrefetchOfTheSameRecording) {
  const auto next = Recording("next", 5, 300);
  for (const bool finished_first : {true, false}) {
    SCOPED_TRACE(finished_first ? "prefetch finished before the load" : "prefetch still decoding at the load");
    platform::RecordingSink inbox;
    Decoder decoder;
    RecordingLoader loader(&inbox, decoder.Function());
    if (!finished_first) decoder.Hold(next);
    loader.Prefetch(next);
    if (finished_first) {
      while (decoder.decodes.load() == 0) std::this_thread::sleep_for(1ms);
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(inbox.Messages().empty()) << "a prefetch posts nothing";
    loader.Load(next, 9);  // returns at once even while the prefetch decodes
    decoder.Release();
    EXPECT_EQ(Await(inbox, 1), std::vector{Loaded(9, 1)});
    EXPECT_NEAR(TakenFirstX(loader, 9), 3.0, 1e-6);
    EXPECT_EQ(decoder.decodes.load(), 1) << "decoded once, by the prefetch";
  }
}

TEST_F(RecordingLoaderTest, PrefetchOfAnotherRecordingIsDroppedAndDecodedAnew) {
  const auto next = Recording("next", 5, 300);
  const auto other = Recording("other", 5, 400);
  RecordingLoader loader(&inbox_, decoder_.Function());
  loader.Prefetch(next);
  loader.Load(other, 3);
  EXPECT_EQ(Await(inbox_, 1), std::vector{Loaded(3, 1)});
  EXPECT_NEAR(TakenFirstX(loader, 3), 4.0, 1e-6);
  // The prefetch was dropped: loading its recording now decodes again.
  const int before = decoder_.decodes.load();
  loader.Load(next, 4);
  EXPECT_EQ(Await(inbox_, 2).back(), Loaded(4, 1));
  EXPECT_EQ(decoder_.decodes.load(), before + 1);
}

TEST_F(RecordingLoaderTest, LoadNowTakesThePrefetchAndPostsNothing) {
  const auto next = Recording("next", 5, 300);
  RecordingLoader loader(&inbox_, decoder_.Function());
  loader.Prefetch(next);
  auto data = loader.LoadNow(next);
  ASSERT_NE(data, nullptr);
  EXPECT_NEAR(data->accel()[0].x, 3.0, 1e-6);
  EXPECT_EQ(decoder_.decodes.load(), 1);
  auto again = loader.LoadNow(next);  // the prefetch is used up
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(decoder_.decodes.load(), 2);
  EXPECT_TRUE(inbox_.Messages().empty());
}

TEST_F(RecordingLoaderTest, CancelWhileDecodingPostsNothing) {
  const auto a = Recording("a", 4);
  const auto b = Recording("b", 4);
  RecordingLoader loader(&inbox_, decoder_.Function());
  decoder_.Hold(a);
  loader.Load(a, 1);
  loader.Prefetch(b);
  std::thread release([&] {
    std::this_thread::sleep_for(50ms);
    decoder_.Release();
  });
  loader.Cancel();
  release.join();
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(inbox_.Messages().empty());
  EXPECT_EQ(loader.Take(1), nullptr);
}

TEST_F(RecordingLoaderTest, DestroyedWhileLoadingALargeDataFile) {
  // About 25 MB of records: long enough to be under way at the destruction.
  const auto big = Recording("big", 200000);
  const auto next = Recording("next", 5);
  for (const auto wait : {0ms, 1ms, 5ms, 20ms}) {
    platform::RecordingSink inbox;
    {
      RecordingLoader loader(&inbox);
      loader.Load(big, 1);
      loader.Prefetch(next);
      std::this_thread::sleep_for(wait);
    }  // Cancel and join: nothing left running
    const auto after = inbox.Messages();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(inbox.Messages(), after) << "a message posted after the loader was gone";
    for (const auto& m : after) EXPECT_EQ(m, Loaded(1, 1));
  }
  // The file itself loads whole when left alone.
  RecordingLoader loader(&inbox_);
  loader.Load(big, 2);
  EXPECT_EQ(Await(inbox_, 1), std::vector{Loaded(2, 1)});
  auto data = loader.Take(2);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->accel().size(), 200000u);
}

}  // namespace
}  // namespace viewer
