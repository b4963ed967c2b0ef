#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/samplecard/SampleCard.h"

// What several benchmark programs share: the recordings they measure on and
// the clocks they read.
namespace bench {

// A card of recordings at 1920 x 1080, 30 fps, a key frame every second,
// both cameras; written once into the folder named (under
// $BRENNOVALE_BENCH_DIR, or brennovale-bench in the temporary folder) and
// reused by later runs.
const std::vector<samplecard::WrittenRecording>& Card1080(const char* name, int recordings, double seconds);

// Ten recordings of about 100 MB of media data per camera, copied from one
// under ten names 60 s apart (one recording group), in Main, Sub_ and Data
// of the folder returned ("join/in" beside the cards); written once.
std::filesystem::path JoinInputs();
// The file name part shared by the three files of join input i.
std::string JoinInputBase(int i);
inline constexpr int kJoinInputs = 10;

double Seconds(std::chrono::steady_clock::duration d);
// User and system CPU time of the whole process so far, all threads.
double CpuSeconds();
// Resident memory of this process in MB.
double ResidentMb();

}  // namespace bench
