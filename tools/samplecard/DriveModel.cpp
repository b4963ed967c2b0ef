#include "tools/samplecard/DriveModel.h"

#include <algorithm>
#include <cmath>

namespace samplecard {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEarthRadius = 6371000.0;
constexpr double kCycleSeconds = 54.0;
constexpr double kStep = 0.02;

// A loop through central Tokyo: Tokyo Station, Kyobashi, Ginza, Shimbashi,
// Toranomon, Kasumigaseki, Sakuradamon, Otemachi and back.
constexpr double kLoop[][2] = {
    {35.681236, 139.767125}, {35.676500, 139.770100}, {35.671700, 139.765000}, {35.666400, 139.758300},
    {35.670000, 139.750000}, {35.673500, 139.750500}, {35.677900, 139.752800}, {35.684800, 139.763500},
};

double Metres(double lat1, double lon1, double lat2, double lon2) {
  const double dlat = (lat2 - lat1) * kPi / 180.0;
  const double dlon = (lon2 - lon1) * kPi / 180.0 * std::cos((lat1 + lat2) * 0.5 * kPi / 180.0);
  return std::sqrt(dlat * dlat + dlon * dlon) * kEarthRadius;
}

}  // namespace

DriveModel::DriveModel(std::uint32_t seed) : random_(seed) {
  const std::size_t n = std::size(kLoop);
  const std::size_t first = seed % n;  // each seed starts somewhere else on the loop
  for (std::size_t i = 0; i <= n; ++i) {
    const auto& p = kLoop[(first + i) % n];
    route_.push_back({p[0], p[1]});
  }
  cumulative_.push_back(0.0);
  for (std::size_t i = 1; i < route_.size(); ++i) {
    cumulative_.push_back(cumulative_.back() +
                          Metres(route_[i - 1].lat, route_[i - 1].lon, route_[i].lat, route_[i].lon));
  }
  for (int i = 0; i < 512; ++i) cycle_top_.push_back(30.0 + static_cast<double>(random_() % 2500) / 100.0);
}

double DriveModel::Noise(double amplitude) {
  return (static_cast<double>(random_() % 20001) / 10000.0 - 1.0) * amplitude;
}

double DriveModel::SpeedAt(double t) const {
  // Each cycle: pull away (10 s), cruise (30 s), brake (6 s), stand (8 s).
  const auto cycle = static_cast<std::size_t>(t / kCycleSeconds);
  const double top = cycle_top_[cycle % cycle_top_.size()];
  const double s = std::fmod(t, kCycleSeconds);
  if (s < 10.0) return top * (1.0 - std::cos(s / 10.0 * kPi)) / 2.0;
  if (s < 40.0) return top + 3.0 * std::sin((s - 10.0) / 30.0 * 2.0 * kPi);
  if (s < 46.0) return top * (1.0 + std::cos((s - 40.0) / 6.0 * kPi)) / 2.0;
  return 0.0;
}

void DriveModel::PositionAt(double distance, double* lat, double* lon, double* heading) const {
  const double loop = cumulative_.back();
  distance = std::fmod(distance, loop);
  std::size_t i = 1;
  while (i + 1 < cumulative_.size() && cumulative_[i] < distance) ++i;
  const double segment = cumulative_[i] - cumulative_[i - 1];
  const double f = segment > 0 ? (distance - cumulative_[i - 1]) / segment : 0.0;
  *lat = route_[i - 1].lat + (route_[i].lat - route_[i - 1].lat) * f;
  *lon = route_[i - 1].lon + (route_[i].lon - route_[i - 1].lon) * f;
  const double dy = route_[i].lat - route_[i - 1].lat;
  const double dx = (route_[i].lon - route_[i - 1].lon) * std::cos(*lat * kPi / 180.0);
  *heading = std::atan2(dx, dy);
}

DriveModel::State DriveModel::At(double t, bool parked) {
  State state;
  double heading = last_heading_;
  double turn_rate = 0.0;
  double forward = 0.0;
  while (time_ + kStep <= t) {
    time_ += kStep;
    const double v = parked ? 0.0 : SpeedAt(time_) / 3.6;
    distance_ += v * kStep;
    forward = (v - last_speed_) / kStep;
    last_speed_ = v;
    double lat, lon;
    PositionAt(distance_ + 15.0, &lat, &lon, &heading);  // look a little ahead to round the corners
    double delta = heading - last_heading_;
    while (delta > kPi) delta -= 2 * kPi;
    while (delta < -kPi) delta += 2 * kPi;
    turn_rate = turn_rate * 0.9 + 0.1 * delta / kStep;
    last_heading_ = heading;
  }
  double h;
  PositionAt(distance_, &state.latitude, &state.longitude, &h);
  state.speed_kmh = last_speed_ * 3.6;
  state.forward_g = std::clamp(forward / 9.81, -0.3, 0.3) + Noise(parked ? 0.005 : 0.02);
  state.lateral_g = std::clamp(last_speed_ * turn_rate / 9.81, -0.35, 0.35) + Noise(parked ? 0.005 : 0.02);
  state.vertical_g = Noise(parked ? 0.005 : 0.03);
  return state;
}

}  // namespace samplecard
