#include "mapview/TrackModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "mapview/MarkerKind.h"

namespace mapview {

std::vector<TrackModel::Piece> TrackModel::Pieces(const std::vector<GpsPoint>& points) {
  std::vector<Piece> pieces;
  if (points.empty()) return pieces;
  Piece piece;
  for (std::size_t i = 1; i < points.size(); ++i) {
    const double dlat = points[i].lat - points[i - 1].lat;
    const double dlng = (points[i].lng - points[i - 1].lng) * std::cos(points[i].lat * std::numbers::pi / 180.0);
    if (std::sqrt(dlat * dlat + dlng * dlng) > kPieceBreakDegrees) {
      piece.end = i - 1;
      pieces.push_back(piece);
      piece.start = i;
    }
  }
  piece.end = points.size() - 1;
  pieces.push_back(piece);
  return pieces;
}

void TrackModel::CreateLine(const std::vector<recording::GpsSample>& samples) {
  last_frame_ = -1;
  group_points_ = ValidGpsPoints(samples);
  group_pieces_ = Pieces(group_points_);
  ++group_version_;
}

void TrackModel::CreateGridLine(const std::optional<std::vector<recording::GpsSample>>& samples) {
  last_frame_ = -1;
  grid_points_ = samples ? ValidGpsPoints(*samples) : std::vector<GpsPoint>();
  grid_pieces_ = Pieces(grid_points_);
  // The old lines index the points just replaced.
  current_lines_.clear();
}

void TrackModel::RemoveLineList() { current_lines_.clear(); }

int TrackModel::GetIndex(int frame) {
  if (frame == -1) return -1;
  last_frame_ = frame;
  const auto first = std::find_if(grid_points_.begin(), grid_points_.end(),
                                  [frame](const GpsPoint& p) { return p.frame >= frame; });
  int i = static_cast<int>(first - grid_points_.begin());
  if (i > 0) i = std::min(i - 1, static_cast<int>(grid_points_.size()) - 1);
  return i;
}

void TrackModel::MoveMarker(int frame) {
  const int index = GetIndex(frame);
  if (index < 0) return;
  const auto i = static_cast<std::size_t>(index);
  RemoveLineList();
  for (const Piece& piece : grid_pieces_) {
    if (piece.end <= i) {
      current_lines_.push_back({LineKind::kPlayed, piece.start, piece.end});
    } else if (piece.start < i) {
      current_lines_.push_back({LineKind::kPlayed, piece.start, i});
      current_lines_.push_back({LineKind::kUnplayed, i, piece.end});
    } else {
      current_lines_.push_back({LineKind::kUnplayed, piece.start, piece.end});
    }
  }
  if (i < grid_points_.size()) {
    marker_ = LatLng{grid_points_[i].lat, grid_points_[i].lng};
  } else if (std::fabs(host_.lat) <= 90.0 && std::fabs(host_.lng) <= 180.0) {
    marker_ = host_;
  } else {
    marker_.reset();  // the host has no position either
  }
}

bool TrackModel::AddCrashPos(const CrashPoint& point) {
  if (FindMarkerKind(point.icolor) == nullptr) return false;
  if (!(std::fabs(point.lat) <= 90.0) || !(std::fabs(point.lng) <= 180.0)) return false;
  crash_points_.push_back(point);
  return true;
}

std::vector<TrackModel::Line> TrackModel::Lines() const {
  std::vector<Line> lines;
  lines.reserve(group_pieces_.size() + current_lines_.size());
  for (const Piece& piece : group_pieces_) lines.push_back({LineKind::kGroup, piece.start, piece.end});
  lines.insert(lines.end(), current_lines_.begin(), current_lines_.end());
  return lines;
}

}  // namespace mapview
