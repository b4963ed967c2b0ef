#include "library/DriveLossRule.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <thread>

#include "FakeFileSystem.h"
#include "library/SourceWatcher.h"
#include "platform/RecordingSink.h"
#include "platform/ScopedFileSystem.h"

namespace library {
namespace {

using namespace std::chrono_literals;

const std::filesystem::path kProgram = "/opt/brennovale/bin/brennovale";
const std::filesystem::path kSource = "/media/user/CARD";

// A device number, or gone.
using Device = std::optional<std::uint64_t>;
constexpr Device kGone = std::nullopt;

struct Loss {
  const char* name;
  Device program_at_start, program_after;
  Device source_at_open, source_after;
  SourceLoss expected;
};

class DriveLoss : public ::testing::TestWithParam<Loss> {
 protected:
  static void Set(testfiles::FakeFileSystem& fs, const std::filesystem::path& path, Device device) {
    std::lock_guard guard(fs.device_lock);
    if (device) {
      fs.devices[path] = *device;
      fs.vanished.erase(path);
    } else {
      fs.devices.erase(path);
      fs.vanished.insert(path);
    }
  }
};

TEST_P(DriveLoss, TheWatcherReportsItAndTheRuleTellsWhatWasLost) {
  const Loss& loss = GetParam();
  testfiles::FakeFileSystem fs;
  platform::ScopedFileSystem use(fs);
  Set(fs, kProgram, loss.program_at_start);
  Set(fs, kSource, loss.source_at_open);
  const DriveLossRule rule(kProgram);

  platform::RecordingSink owner;
  SourceWatcher watcher(&owner, 5ms);
  watcher.Watch(kSource);
  std::this_thread::sleep_for(30ms);
  ASSERT_TRUE(owner.Messages().empty()) << "nothing is lost yet";

  Set(fs, kProgram, loss.program_after);
  Set(fs, kSource, loss.source_after);
  ASSERT_TRUE(owner.WaitFor(kMessageSourceLost, 2s));
  EXPECT_EQ(watcher.source_device(), loss.source_at_open) << "the device it was opened on is kept";
  EXPECT_EQ(rule.Classify(watcher.source_device()), loss.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriveLoss,
    ::testing::Values(
        Loss{"CardPulledProgramOnTheSystemDisk", 1, 1, 20, kGone, SourceLoss::kSource},
        Loss{"CardTheProgramRunsFromPulled", 20, kGone, 20, kGone, SourceLoss::kProgramDrive},
        Loss{"FolderRemovedFromTheDiskTheProgramRunsFrom", 1, 1, 1, kGone, SourceLoss::kSource},
        // The mount point stays and now reports the disk beneath: the same
        // device as the program's, which a comparison of current devices
        // would take for the program's own drive.
        Loss{"CardUnmountedItsMountPointNowOnTheProgramsDisk", 1, 1, 20, 1, SourceLoss::kSource},
        Loss{"CardTheProgramRunsFromUnmounted", 20, kGone, 20, 1, SourceLoss::kProgramDrive},
        Loss{"AnotherCardMountedInItsPlace", 1, 1, 20, 30, SourceLoss::kSource}),
    [](const ::testing::TestParamInfo<Loss>& info) { return std::string(info.param.name); });

TEST(DriveLossRule, WithoutDevicesOnlyTheSourceIsLost) {
  testfiles::FakeFileSystem fs;
  platform::ScopedFileSystem use(fs);
  {
    std::lock_guard guard(fs.device_lock);
    fs.devices[kProgram] = 20;
  }
  EXPECT_EQ(DriveLossRule(kProgram).Classify(std::nullopt), SourceLoss::kSource) << "source device unknown";
  {
    std::lock_guard guard(fs.device_lock);
    fs.devices.erase(kProgram);
  }
  EXPECT_EQ(DriveLossRule(kProgram).Classify(20), SourceLoss::kSource) << "program device unknown";
}

TEST(SourceWatcher, SameDeviceAtTheSamePathIsNoLoss) {
  testfiles::FakeFileSystem fs;
  platform::ScopedFileSystem use(fs);
  {
    std::lock_guard guard(fs.device_lock);
    fs.devices[kSource] = 20;
  }
  platform::RecordingSink owner;
  SourceWatcher watcher(&owner, 5ms);
  watcher.Watch(kSource);
  std::this_thread::sleep_for(60ms);
  EXPECT_TRUE(owner.Messages().empty());
  EXPECT_EQ(watcher.source_device(), Device(20));
  EXPECT_FALSE(watcher.lost());
}

}  // namespace
}  // namespace library
