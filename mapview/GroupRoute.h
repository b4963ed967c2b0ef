#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "recording/SensorSamples.h"

namespace mapview {

// The GPS records of every recording of a list, the map's group track. A
// load decodes the recordings' data files on a thread of its own, in list
// order, and reports its end through done (on that thread) with the load's
// generation; the records are there for Copy from then on. A recording
// whose data is missing or broken adds nothing and the rest still count.
// Starting another load, Clear and destruction cancel the one running and
// join it (between two files, so the wait is one file's decode at most).
class GroupRoute {
 public:
  using Done = std::function<void(std::uint32_t generation)>;

  GroupRoute() = default;
  ~GroupRoute();
  GroupRoute(const GroupRoute&) = delete;
  GroupRoute& operator=(const GroupRoute&) = delete;

  // Returns the generation that done will name.
  std::uint32_t Load(std::vector<std::filesystem::path> videos, Done done);
  // Cancels a load and empties the route.
  void Clear();
  // A copy of the route, taken under its lock.
  std::vector<recording::GpsSample> Copy() const;
  // The generation of the last load or clear; a done naming another is stale.
  std::uint32_t generation() const { return generation_; }

 private:
  void Cancel();
  void Run(std::vector<std::filesystem::path> videos, std::uint32_t generation, const Done& done);

  mutable std::mutex lock_;
  std::vector<recording::GpsSample> route_;
  std::atomic<bool> cancel_{false};
  std::thread worker_;
  std::uint32_t generation_ = 0;
};

}  // namespace mapview
