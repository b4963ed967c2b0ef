#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "recording/SensorSamples.h"

namespace mapview {

class SensorSeries;

// The ten event detectors that turn a sample's event record into a marker
// kind, each with its graph flag (the graph's traces and markers) and map
// flag (the map's event points), a threshold and a pen. The graph draws
// with the graph flags, the window's event points use the map flags.
class DetectorTable {
 public:
  static constexpr int kEntries = 10;
  // The entry of speeding (kind 8), whose events also paint the band.
  static constexpr int kSpeedingEntry = 6;

  // Maps one sample to a marker kind, or -1; optional tells whether the
  // optional detectors are switched on.
  using Detector = int (*)(const recording::AccelSample& sample, bool optional);
  struct Entry {
    bool graph = true;
    bool map = true;
    double threshold = 0.2;  // G; kept for the settings, no detector reads it
    std::uint32_t pen = 0;   // 0x00BBGGRR
    Detector detect = nullptr;
  };
  enum class Use { kGraph, kMap };

  DetectorTable();

  // The kind entry e gives for sample, or -1 (also for an entry outside 0-9).
  int Detect(int entry, const recording::AccelSample& sample) const;
  // Whether frame starts an event for entry e: the kind at the frame when it
  // is one and differs from the kind at the frame before (the first frame
  // starts any event it shows); -1 otherwise. A frame without a sample has
  // no kind.
  int EventStart(const SensorSeries& series, int entry, std::int64_t frame) const;

  // Both flags of an entry change together.
  void SetFlags(int entry, bool on);
  bool Shown(int entry, Use use) const;
  // The optional detectors (impact by axis, parking, speed camera, radar)
  // run only while switched on: the window switches them per recording.
  void set_optional(bool on) { optional_ = on; }
  bool optional() const { return optional_; }
  // Header numbers A, B and C, each when positive, are the thresholds of
  // entries 0, 1 and 2.
  void SetThresholds(const recording::SensorDataHeader& header);

  const Entry& entry(int e) const { return entries_[static_cast<std::size_t>(e)]; }
  // The entry that finds marker kind k (11-13 share the drive-assist
  // entry), or -1.
  static int EntryOfKind(int kind);
  // The order events are looked for at each frame: speeding first (its band
  // must not wait for another entry), then the others in table order.
  static const std::array<int, kEntries>& SearchOrder();

 private:
  std::array<Entry, kEntries> entries_;
  bool optional_ = true;
};

// Whether a recording's name switches the optional detectors on: "G" as
// its second letter, or a trigger letter other than A, P and T.
bool OptionalDetectorsFor(std::string_view file_name);

}  // namespace mapview
