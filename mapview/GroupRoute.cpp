#include "mapview/GroupRoute.h"

#include <utility>

#include "recording/SensorDataFile.h"

namespace mapview {

GroupRoute::~GroupRoute() { Cancel(); }

void GroupRoute::Cancel() {
  cancel_ = true;
  if (worker_.joinable()) worker_.join();
  cancel_ = false;
}

std::uint32_t GroupRoute::Load(std::vector<std::filesystem::path> videos, Done done) {
  Cancel();
  const std::uint32_t generation = ++generation_;
  {
    std::lock_guard<std::mutex> hold(lock_);
    route_.clear();
  }
  worker_ = std::thread([this, videos = std::move(videos), generation, done = std::move(done)]() mutable {
    Run(std::move(videos), generation, done);
  });
  return generation;
}

void GroupRoute::Clear() {
  Cancel();
  ++generation_;
  std::lock_guard<std::mutex> hold(lock_);
  route_.clear();
}

void GroupRoute::Run(std::vector<std::filesystem::path> videos, std::uint32_t generation, const Done& done) {
  std::vector<recording::GpsSample> route;
  for (const std::filesystem::path& video : videos) {
    if (cancel_) return;
    // One file at a time: a broken one is skipped instead of ending the
    // track there.
    std::vector<recording::GpsSample> part;
    recording::LoadRoute({video}, &part);
    route.insert(route.end(), part.begin(), part.end());
  }
  if (cancel_) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    route_ = std::move(route);
  }
  if (done) done(generation);
}

std::vector<recording::GpsSample> GroupRoute::Copy() const {
  std::lock_guard<std::mutex> hold(lock_);
  return route_;
}

}  // namespace mapview
