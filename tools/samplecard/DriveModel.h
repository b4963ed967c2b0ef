#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace samplecard {

// A plausible drive around a loop of real streets: stop-and-go speed, the
// position along the loop, and the accelerations that follow from them
// plus sensor noise. Deterministic for a seed.
class DriveModel {
 public:
  explicit DriveModel(std::uint32_t seed);

  struct State {
    double latitude = 0.0;
    double longitude = 0.0;
    double speed_kmh = 0.0;
    double forward_g = 0.0;   // X
    double lateral_g = 0.0;   // Y
    double vertical_g = 0.0;  // Z
  };

  // Advances the drive to time t (seconds from its start; never backwards)
  // and returns the state there. parked keeps the car where it stands.
  State At(double t, bool parked);

 private:
  double SpeedAt(double t) const;
  void PositionAt(double distance, double* lat, double* lon, double* heading) const;
  double Noise(double amplitude);

  struct Point {
    double lat, lon;
  };
  std::vector<Point> route_;
  std::vector<double> cumulative_;  // metres along the loop at each point
  std::mt19937 random_;
  std::vector<double> cycle_top_;   // cruising speed of each stop-and-go cycle
  double time_ = 0.0;
  double distance_ = 0.0;
  double last_speed_ = 0.0;
  double last_heading_ = 0.0;
};

}  // namespace samplecard
