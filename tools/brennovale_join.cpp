// Joins consecutive recordings (front, rear and sensor data) into one.
#include <cstdio>

#include "platform/MessageSink.h"
#include "recording/RecordingJoin.h"

namespace {

class PrintProgress : public platform::MessageSink {
 public:
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t) override {
    if (message == recording::kMessageJoinProgress) std::printf("%3u%%\n", static_cast<unsigned>(wparam));
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: brennovale-join OUT_MAIN.MOV MAIN1.MOV [MAIN2.MOV ...]\n");
    return 2;
  }
  PrintProgress progress;
  recording::RecordingJoin join(&progress);
  bool ok = join.Start(argv[2]);
  for (int i = 3; ok && i < argc; ++i) ok = join.Add(argv[i]);
  ok = ok && join.Write(argv[1]);
  for (const std::string& note : join.notes()) std::printf("%s\n", note.c_str());
  if (!ok) {
    std::fprintf(stderr, "brennovale-join: %s\n", join.error().c_str());
    return 1;
  }
  const auto outputs = recording::JoinOutputs(argv[1]);
  std::printf("front: %s\n", outputs.front.string().c_str());
  if (join.rear_valid()) std::printf("rear:  %s\n", outputs.rear.string().c_str());
  if (join.data_valid()) std::printf("data:  %s\n", outputs.data.string().c_str());
  return 0;
}
