#include "FakeDiskTool.h"

#include <fstream>

namespace testfiles {

std::filesystem::path WriteFakeDiskTool(const std::filesystem::path& folder, const std::filesystem::path& log) {
  const std::filesystem::path tool = folder / "fake-disk-tool";
  std::ofstream(tool) << "#!/bin/sh\n"
                      << "log='" << log.string() << "'\n"
                      << "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$log\"; done\n"
                      << "cat \"$1\" >> \"$log\"\n"
                      << "[ -n \"$FAKE_DISK_TOOL_REMOVE\" ] && rm -rf \"$FAKE_DISK_TOOL_REMOVE\"\n"
                      << "exit \"${FAKE_DISK_TOOL_EXIT:-0}\"\n";
  std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
  return tool;
}

}  // namespace testfiles
