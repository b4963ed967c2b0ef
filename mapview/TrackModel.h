#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "mapview/CrashPoint.h"
#include "mapview/GpsPoint.h"
#include "recording/SensorSamples.h"

namespace mapview {

// The map page's track logic without a map: the group track of the list,
// the current recording's track split into played and unplayed lines around
// the position, the position marker and the event markers. The native map
// window draws from it; what it holds is what the page would draw.
//
// Positions are 64-bit throughout. Two consecutive fixes farther apart than
// kPieceBreakDegrees (about 150 m in one second) start a new piece of track,
// so a gap in the recording shows as a gap, not a straight jump.
class TrackModel {
 public:
  static constexpr double kPieceBreakDegrees = 0.001385;

  // An inclusive range of indices into a point list forming one continuous
  // piece of track.
  struct Piece {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const Piece&) const = default;
  };

  enum class LineKind { kGroup, kPlayed, kUnplayed };
  // One polyline to draw: an inclusive range of `points` of its list
  // (group_points() for kGroup, grid_points() otherwise).
  struct Line {
    LineKind kind = LineKind::kGroup;
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const Line&) const = default;
  };

  struct LatLng {
    double lat = 0.0;
    double lng = 0.0;
  };

  // The pieces of a point list. An empty list has none; one point is a piece
  // of its own.
  static std::vector<Piece> Pieces(const std::vector<GpsPoint>& points);

  // The group track: every valid fix of the list's recordings. Forgets the
  // last frame, so the next round moves the marker.
  void CreateLine(const std::vector<recording::GpsSample>& samples);
  // The current recording's track; nullopt (no sample list) leaves it empty.
  // Forgets the last frame and drops the current lines. The caller then moves
  // the marker.
  void CreateGridLine(const std::optional<std::vector<recording::GpsSample>>& samples);
  // The played and unplayed lines are dropped; the group track stays.
  void RemoveLineList();

  // The index the marker stands on for a frame of the current recording: the
  // last point before the first point whose frame is equal or greater, the
  // first point when the frame lies before the track, grid_points().size()
  // when there are no points; -1 for frame -1 (nothing shown).
  int GetIndex(int frame);
  // Splits the current track at the frame's index into played lines (up to
  // and including the index) and unplayed ones (from the index on) and puts
  // the marker on that point, or on the host's position when the index is
  // beyond the list (no marker when that is off the globe too). Nothing
  // changes for frame -1.
  void MoveMarker(int frame);
  // The position the host reported last (used beyond the end of the track).
  void SetHostPosition(double lat, double lng) { host_ = {lat, lng}; }

  // False (nothing added) for a kind outside 0-13 or a position off the globe.
  bool AddCrashPos(const CrashPoint& point);
  void ClearCrashPos() { crash_points_.clear(); }

  const std::vector<GpsPoint>& group_points() const { return group_points_; }
  const std::vector<GpsPoint>& grid_points() const { return grid_points_; }
  // Group lines first, then the current recording's, in drawing order.
  std::vector<Line> Lines() const;
  const std::vector<CrashPoint>& crash_points() const { return crash_points_; }
  // nullopt until the marker was first placed.
  const std::optional<LatLng>& marker() const { return marker_; }
  // Counts the group track's rebuilds (a window redraws it when this changes).
  std::uint64_t group_version() const { return group_version_; }
  // -1 since the track was rebuilt, else the frame GetIndex saw last.
  int last_frame() const { return last_frame_; }

 private:
  std::vector<GpsPoint> group_points_;
  std::vector<Piece> group_pieces_;
  std::vector<GpsPoint> grid_points_;
  std::vector<Piece> grid_pieces_;
  std::vector<Line> current_lines_;
  std::vector<CrashPoint> crash_points_;
  std::optional<LatLng> marker_;
  LatLng host_;
  int last_frame_ = -1;
  std::uint64_t group_version_ = 0;
};

}  // namespace mapview
