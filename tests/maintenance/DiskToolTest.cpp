#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "TestFiles.h"
#include "maintenance/DiskToolExit.h"
#include "maintenance/FormatScript.h"

namespace maintenance {
namespace {

namespace fs = std::filesystem;

// The installed helper's own checks, before it touches any disk: it trusts
// neither the script nor the caller.
struct ToolRow {
  const char* name;
  const char* script;  // "link" makes the script a link to a good one
  const char* pkexec_uid;
  int exit_code;
};

class DiskTool : public ::testing::TestWithParam<ToolRow> {
 protected:
  int Run(const fs::path& script, const char* pkexec_uid, const std::string& size = "67108864") {
    std::string command = std::string(pkexec_uid ? "PKEXEC_UID=" + std::string(pkexec_uid) + " " : "") + "'" +
                          BRENNOVALE_DISK_TOOL + "' '" + script.string() + "' " + size + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  testfiles::TempDir dir_;
};

TEST_P(DiskTool, RefusesBeforeTouchingADisk) {
  const ToolRow& row = GetParam();
  const fs::path good = dir_ / "good.txt";
  std::ofstream(good, std::ios::binary) << FormatScript("/dev/disk/by-id/brennovale-test-no-such-card");
  fs::path script = dir_ / "fmt.txt";
  if (std::string(row.script) == "link") {
    fs::create_symlink(good, script);
  } else {
    std::ofstream(script, std::ios::binary) << row.script;
  }
  const std::string uid = std::to_string(::getuid());
  EXPECT_EQ(Run(script, row.pkexec_uid ? (std::string(row.pkexec_uid) == "self" ? uid.c_str() : row.pkexec_uid)
                                       : nullptr),
            row.exit_code);
}

const std::string kGood = FormatScript("/dev/disk/by-id/brennovale-test-no-such-card");
const std::string kLong = FormatScript("/dev/disk/by-id/" + std::string(1100, 'a'));
const std::string kNode = FormatScript("/dev/sda");

INSTANTIATE_TEST_SUITE_P(
    Scripts, DiskTool,
    ::testing::Values(ToolRow{"GoodScriptNoSuchCard", kGood.c_str(), nullptr, kDiskToolDeviceRefused},
                      ToolRow{"GoodScriptOfTheUserPkexecNames", kGood.c_str(), "self", kDiskToolDeviceRefused},
                      ToolRow{"ScriptOfAnotherUser", kGood.c_str(), "54321", kDiskToolScriptRefused},
                      ToolRow{"ScriptIsALink", "link", nullptr, kDiskToolScriptRefused},
                      ToolRow{"ScriptLongerThanOneKiB", kLong.c_str(), nullptr, kDiskToolScriptRefused},
                      ToolRow{"PlainDeviceNode", kNode.c_str(), nullptr, kDiskToolScriptRefused},
                      ToolRow{"DriveLetter", "select volume F:\r\nclean\r\ncreate partition primary\r\nformat fs=fat32\r\n",
                              nullptr, kDiskToolScriptRefused}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DiskToolArguments, NeedTheScriptAndANumericSize) {
  testfiles::TempDir dir;
  std::ofstream(dir / "fmt.txt") << FormatScript("/dev/disk/by-id/x");
  for (const std::string& args : {std::string(), (dir / "fmt.txt").string(), (dir / "fmt.txt").string() + " 12x",
                                 (dir / "fmt.txt").string() + " 0"}) {
    const int status = std::system(("'" + std::string(BRENNOVALE_DISK_TOOL) + "' " + args + " 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(status), kDiskToolUsage) << args;
  }
}

}  // namespace
}  // namespace maintenance
