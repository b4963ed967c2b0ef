#include "mapview/DetectorTable.h"

#include "mapview/MarkerKind.h"
#include "mapview/SensorSeries.h"

namespace mapview {
namespace {

template <int Axis, int Kind>
int AxisImpact(const recording::AccelSample& s, bool optional) {
  return optional && s.axis == Axis ? Kind : -1;
}

template <int Event, bool Optional>
int EventCode(const recording::AccelSample& s, bool optional) {
  return (optional || !Optional) && s.event == Event ? Event : -1;
}

int Speeding(const recording::AccelSample& s, bool) { return s.flag == 8 ? 8 : -1; }

int SpeedCamera(const recording::AccelSample& s, bool optional) {
  return optional && s.assist_group == 10 && s.assist_code == 9 ? 9 : -1;
}

int Radar(const recording::AccelSample& s, bool optional) {
  return optional && (s.assist_group == 8 || s.assist_group == 9) && s.assist_code == 8 ? 10 : -1;
}

int DriveAssist(const recording::AccelSample& s, bool) {
  return s.event == 11 || s.event == 12 || s.event == 13 ? s.event : -1;
}

struct Row {
  DetectorTable::Detector detect;
  int pen_kind;  // the marker kind whose colour the entry draws with
};

constexpr Row kRows[DetectorTable::kEntries] = {
    {AxisImpact<1, 0>, 0},         {AxisImpact<2, 2>, 2},   {AxisImpact<3, 3>, 3},
    {EventCode<5, false>, 5},      {EventCode<6, false>, 6}, {EventCode<7, true>, 7},
    {Speeding, 8},                 {SpeedCamera, 9},         {Radar, 10},
    {DriveAssist, 11},
};

bool Inside(int entry) { return entry >= 0 && entry < DetectorTable::kEntries; }

}  // namespace

DetectorTable::DetectorTable() {
  for (int e = 0; e < kEntries; ++e) {
    Entry& entry = entries_[static_cast<std::size_t>(e)];
    entry.detect = kRows[e].detect;
    entry.pen = FindMarkerKind(kRows[e].pen_kind)->colour;
  }
}

int DetectorTable::Detect(int entry, const recording::AccelSample& sample) const {
  if (!Inside(entry)) return -1;
  return entries_[static_cast<std::size_t>(entry)].detect(sample, optional_);
}

int DetectorTable::EventStart(const SensorSeries& series, int entry, std::int64_t frame) const {
  const recording::AccelSample* here = series.SampleAtFrame(frame);
  if (here == nullptr) return -1;
  const recording::AccelSample* before = frame > 0 ? series.SampleAtFrame(frame - 1) : nullptr;
  // Frames share samples: a frame showing the sample of the frame before
  // shows the same kind, which started earlier if at all.
  if (before == here) return -1;
  const int kind = Detect(entry, *here);
  if (kind < 0 || frame == 0) return kind;
  const int previous = before == nullptr ? -1 : Detect(entry, *before);
  return previous == kind ? -1 : kind;
}

int DetectorTable::EntryOfKind(int kind) {
  constexpr int kDriveAssistKinds[] = {11, 12, 13};
  for (int k : kDriveAssistKinds) {
    if (kind == k) kind = kDriveAssistKinds[0];
  }
  for (int e = 0; e < kEntries; ++e) {
    if (kRows[e].pen_kind == kind) return e;
  }
  return -1;
}

void DetectorTable::SetFlags(int entry, bool on) {
  if (!Inside(entry)) return;
  entries_[static_cast<std::size_t>(entry)].graph = on;
  entries_[static_cast<std::size_t>(entry)].map = on;
}

bool DetectorTable::Shown(int entry, Use use) const {
  if (!Inside(entry)) return false;
  const Entry& e = entries_[static_cast<std::size_t>(entry)];
  return use == Use::kGraph ? e.graph : e.map;
}

void DetectorTable::SetThresholds(const recording::SensorDataHeader& header) {
  const float numbers[3] = {header.a, header.b, header.c};
  for (std::size_t e = 0; e < 3; ++e) {
    if (numbers[e] > 0.0f) entries_[e].threshold = numbers[e];
  }
}

const std::array<int, DetectorTable::kEntries>& DetectorTable::SearchOrder() {
  static constexpr std::array<int, kEntries> order = {kSpeedingEntry, 0, 1, 2, 3, 4, 5, 7, 8, 9};
  return order;
}

bool OptionalDetectorsFor(std::string_view file_name) {
  if (file_name.size() > 1 && file_name[1] == 'G') return true;
  if (file_name.empty()) return true;
  const char trigger = file_name[0];
  return trigger != 'A' && trigger != 'P' && trigger != 'T';
}

}  // namespace mapview
