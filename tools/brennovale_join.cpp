// Joins consecutive recordings (front, rear and sensor data) into one.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "platform/MessageSink.h"
#include "recording/RecordingJoin.h"

namespace {

class PrintProgress : public platform::MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t) override {
    if (message == recording::kMessageJoinProgress) std::printf("%3u%%\n", static_cast<unsigned>(wparam));
  }
};

// Output files that the join would replace (or remove, for a part it drops)
// may be replaced only when the user says so on standard input.
bool MayReplace(const recording::JoinOutputPaths& outputs) {
  std::vector<std::filesystem::path> existing;
  for (const auto& path : {outputs.front, outputs.rear, outputs.data}) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) existing.push_back(path);
  }
  if (existing.empty()) return true;
  std::fprintf(stderr, "brennovale-join: these files exist and would be replaced:\n");
  for (const auto& path : existing) std::fprintf(stderr, "  %s\n", path.string().c_str());
  std::fprintf(stderr, "Replace them? [y/N] ");
  std::fflush(stderr);
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const bool force = !args.empty() && args.front() == "--force";
  if (force) args.erase(args.begin());
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: brennovale-join [--force] OUT_MAIN.MOV MAIN1.MOV [MAIN2.MOV ...]\n"
                         "  --force  replace existing output files without asking\n");
    return 2;
  }
  const auto outputs = recording::JoinOutputs(args[0]);
  if (!force && !MayReplace(outputs)) {
    std::fprintf(stderr, "brennovale-join: nothing written\n");
    return 1;
  }
  PrintProgress progress;
  recording::RecordingJoin join(&progress);
  bool ok = join.Start(args[1]);
  for (std::size_t i = 2; ok && i < args.size(); ++i) ok = join.Add(args[i]);
  ok = ok && join.Write(args[0]);
  for (const std::string& note : join.notes()) std::printf("%s\n", note.c_str());
  if (!ok) {
    std::fprintf(stderr, "brennovale-join: %s\n", join.error().c_str());
    return 1;
  }
  std::printf("front: %s\n", outputs.front.string().c_str());
  if (join.rear_valid()) std::printf("rear:  %s\n", outputs.rear.string().c_str());
  if (join.data_valid()) std::printf("data:  %s\n", outputs.data.string().c_str());
  return 0;
}
