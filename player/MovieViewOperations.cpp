#include "player/MovieViewOperations.h"

namespace player {
namespace {

std::int64_t Nothing(MovieView&, ViewCall&) { return 0; }

constexpr std::array<ViewOperationEntry, kViewOperations> kTable = {{
    {"set up", [](MovieView& v, ViewCall& c) { return v.SetUp(c.text); }},
    {"tear down", [](MovieView& v, ViewCall&) { return v.TearDown(); }},
    {"is recording", [](MovieView& v, ViewCall& c) { return v.IsRecording(c.path); }},
    {"open", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.Open(c.path); }},
    {"close", [](MovieView& v, ViewCall&) { return v.Close(); }},
    {"load sensor data", [](MovieView& v, ViewCall& c) { return v.LoadSensorData(c.path); }},
    {"free sensor data", [](MovieView& v, ViewCall&) { return v.FreeSensorData(); }},
    {"play", [](MovieView& v, ViewCall&) -> std::int64_t { return v.Play(); }},
    {"seek", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.Seek(static_cast<std::int32_t>(c.value)); }},
    {"pause", [](MovieView& v, ViewCall&) -> std::int64_t { return v.Pause(); }},
    {"stop", [](MovieView& v, ViewCall&) -> std::int64_t { return v.Stop(); }},
    {"current frame", [](MovieView& v, ViewCall&) -> std::int64_t { return v.CurrentFrame(); }},
    {"show frame", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.ShowFrame(static_cast<std::int32_t>(c.value)); }},
    {"show frame", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.ShowFrame(static_cast<std::int32_t>(c.value)); }},
    {"set view option 1", [](MovieView& v, ViewCall& c) { return v.SetViewOption(0, c.value); }},
    {"none", Nothing},
    {"set view option 2", [](MovieView& v, ViewCall& c) { return v.SetViewOption(1, c.value); }},
    {"none", Nothing},
    {"set rate", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.SetRate(static_cast<int>(c.value)); }},
    {"slow motion", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.SlowMotion(c.real); }},
    {"aspect mode", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.SetAspectMode(static_cast<int>(c.value)); }},
    {"frame count", [](MovieView& v, ViewCall&) -> std::int64_t { return v.FrameCount(); }},
    {"frame count", [](MovieView& v, ViewCall&) -> std::int64_t { return v.FrameCount(); }},
    {"none", Nothing},
    {"frame duration",
     [](MovieView& v, ViewCall& c) -> std::int64_t {
       c.real_result = v.FrameDuration();
       return c.real_result > 0 ? 1 : 0;
     }},
    {"video size",
     [](MovieView& v, ViewCall& c) -> std::int64_t {
       const QSize size = v.VideoSize();
       c.width = size.width();
       c.height = size.height();
       return size.isEmpty() ? 0 : 1;
     }},
    {"set volume", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.SetVolume(static_cast<int>(c.value)); }},
    {"overlay text", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.OverlayText(c.text); }},
    {"restore overlay", [](MovieView& v, ViewCall&) -> std::int64_t { return v.RestoreOverlay(); }},
    {"rotate 180", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.Rotate180(c.value != 0); }},
    {"zoom and pan", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.ZoomAndPan(c.real, c.x, c.y); }},
    {"save picture", [](MovieView& v, ViewCall& c) -> std::int64_t { return v.SavePicture(c.path) ? 1 : 0; }},
    {"repaint", [](MovieView& v, ViewCall&) -> std::int64_t { return v.Repaint(); }},
    {"redraw", [](MovieView& v, ViewCall&) -> std::int64_t { return v.Redraw(); }},
}};

}  // namespace

const std::array<ViewOperationEntry, kViewOperations>& ViewOperationTable() { return kTable; }

}  // namespace player
