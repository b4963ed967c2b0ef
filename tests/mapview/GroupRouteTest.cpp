#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include "TestFiles.h"
#include "mapview/GroupRoute.h"
#include "recording/SensorDataFile.h"

namespace mapview {
namespace {

// Waits for the load's report.
class DoneWaiter {
 public:
  GroupRoute::Done Callback() {
    return [this](std::uint32_t generation) {
      std::lock_guard<std::mutex> hold(lock_);
      reported_.push_back(generation);
      changed_.notify_all();
    };
  }
  bool WaitFor(std::uint32_t generation) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::seconds(20), [&] {
      for (std::uint32_t g : reported_) {
        if (g == generation) return true;
      }
      return false;
    });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::uint32_t> reported_;
};

class GroupRouteLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    samplecard::CardOptions options;
    options.recordings = 3;
    options.seconds = 1;
    options.sound = false;
    auto written = samplecard::WriteSampleCard(dir_.path(), options);
    ASSERT_TRUE(written) << written.error();
    card_ = written.take();
    for (const auto& r : card_) videos_.push_back(r.main_path);
  }
  // The fixes of one recording's data file as read on its own.
  std::vector<recording::GpsSample> FixesOf(int n) {
    std::vector<recording::GpsSample> fixes;
    recording::LoadRoute({videos_[static_cast<std::size_t>(n)]}, &fixes);
    return fixes;
  }

  testfiles::TempDir dir_;
  std::vector<samplecard::WrittenRecording> card_;
  std::vector<std::filesystem::path> videos_;
};

TEST_F(GroupRouteLoad, ReadsEveryRecordingInListOrderAndSkipsABrokenOne) {
  std::vector<recording::GpsSample> expected = FixesOf(0);
  const auto third = FixesOf(2);
  expected.insert(expected.end(), third.begin(), third.end());
  ASSERT_GT(FixesOf(1).size(), 0U);
  std::filesystem::resize_file(card_[1].data_path, 40);  // no longer decodes

  GroupRoute route;
  DoneWaiter waiter;
  const std::uint32_t generation = route.Load(videos_, waiter.Callback());
  ASSERT_TRUE(waiter.WaitFor(generation));
  const auto copy = route.Copy();
  ASSERT_EQ(copy.size(), expected.size());
  for (std::size_t i = 0; i < copy.size(); ++i) {
    EXPECT_EQ(copy[i].latitude, expected[i].latitude) << i;
    EXPECT_EQ(copy[i].longitude, expected[i].longitude) << i;
    EXPECT_EQ(copy[i].fix_valid, expected[i].fix_valid) << i;
  }
}

TEST_F(GroupRouteLoad, ANewLoadMakesTheOldOneStale) {
  GroupRoute route;
  DoneWaiter waiter;
  const std::uint32_t first = route.Load(videos_, waiter.Callback());
  const std::uint32_t second = route.Load({videos_[2]}, waiter.Callback());
  EXPECT_NE(first, second);
  EXPECT_EQ(route.generation(), second);
  ASSERT_TRUE(waiter.WaitFor(second));
  EXPECT_EQ(route.Copy().size(), FixesOf(2).size());
}

TEST_F(GroupRouteLoad, ClearEmptiesAndOutdatesALoad) {
  GroupRoute route;
  DoneWaiter waiter;
  const std::uint32_t generation = route.Load(videos_, waiter.Callback());
  ASSERT_TRUE(waiter.WaitFor(generation));
  ASSERT_FALSE(route.Copy().empty());
  route.Clear();
  EXPECT_TRUE(route.Copy().empty());
  EXPECT_NE(route.generation(), generation);
}

}  // namespace
}  // namespace mapview
