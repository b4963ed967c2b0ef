#include "player/ViewPair.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "recording/CompanionPath.h"

namespace player {

ViewPair::ViewPair(platform::MessageSink* owner_parent, Slot front, Slot rear) {
  views_[kFront] = std::make_unique<MovieView>(front.owner, owner_parent, std::move(front.repaint));
  views_[kRear] = std::make_unique<MovieView>(rear.owner, owner_parent, std::move(rear.repaint));
}

void ViewPair::SetUp(const QString& font_face) {
  for (auto& v : views_) v->SetUp(font_face);
}

void ViewPair::set_error_sink(const ErrorSink& sink) {
  for (auto& v : views_) v->set_error_sink(sink);
}

template <typename Op>
HRESULT ViewPair::Each(Op op) {
  HRESULT results[2] = {E_UNEXPECTED, E_UNEXPECTED};
  for (int slot : {kFront, kRear}) {
    if (opened_[slot]) results[slot] = op(*views_[slot], slot);
  }
  const int first = reading_slot();
  if (!Failed(results[first])) return results[first];
  if (!Failed(results[1 - first])) return results[1 - first];
  return opened_[kFront] ? results[kFront] : results[kRear];
}

std::int32_t ViewPair::RearFrame(std::int32_t front_frame) const {
  // With the front not open, frame numbers are the rear's own.
  if (!opened_[kFront]) return front_frame;
  return recording::RearFrameFor(front_frame, views_[kFront]->timing(), views_[kRear]->timing());
}

HRESULT ViewPair::Open(const std::filesystem::path& front) {
  Close();
  why_.clear();
  // The exchange of camera letters gives the front itself for a name not of
  // the recorder's shape: such a file has no rear of its own.
  const auto rear = recording::CompanionPath(front, recording::Companion::kOtherCamera);
  std::error_code ec;
  const bool with_rear = rear != front && std::filesystem::exists(rear, ec);
  std::array<MovieView::Opening, 2> openings;
  openings[kFront] = views_[kFront]->BeginOpen(front);
  if (with_rear) openings[kRear] = views_[kRear]->BeginOpen(rear);
  // The cameras' files are read and their first pictures decoded side by
  // side; the rest of the open, its messages and its reports go front first
  // on this thread, as one after the other would.
  std::thread rear_loader;
  if (with_rear) {
    try {
      rear_loader = std::thread([&opening = openings[kRear]] { MovieView::Load(opening); });
    } catch (const std::system_error&) {
      MovieView::Load(openings[kRear]);  // no thread to be had: in turn
    }
  }
  MovieView::Load(openings[kFront]);
  if (rear_loader.joinable()) rear_loader.join();

  const HRESULT front_result = views_[kFront]->FinishOpen(std::move(openings[kFront]));
  opened_[kFront] = !Failed(front_result);
  if (!opened_[kFront]) why_ = views_[kFront]->reason();
  if (with_rear) {
    opened_[kRear] = !Failed(views_[kRear]->FinishOpen(std::move(openings[kRear])));
    if (!opened_[kRear]) why_ += (why_.empty() ? "" : "; ") + views_[kRear]->reason();
  }
  return opened_[kFront] || opened_[kRear] ? S_OK : front_result;
}

void ViewPair::Close() {
  for (auto& v : views_) v->BeginClose();
  for (auto& v : views_) v->Close();
  opened_ = {false, false};
}

std::int64_t ViewPair::LoadSensorData(const std::filesystem::path& front) {
  const HRESULT hr = Each([&](MovieView& v, int slot) -> HRESULT {
    const auto path = slot == kFront ? front : recording::CompanionPath(front, recording::Companion::kOtherCamera);
    return v.LoadSensorData(path) == 1 ? S_OK : E_FAIL;
  });
  return Failed(hr) ? 0 : 1;
}

std::int64_t ViewPair::TakeSensorData(recording::SensorDataFile& decoded) {
  if (!opened_[kFront] && !opened_[kRear]) return 0;
  return reading_view().TakeSensorData(decoded);
}

void ViewPair::FreeSensorData() {
  for (auto& v : views_) v->FreeSensorData();
}

HRESULT ViewPair::Play() {
  return Each([](MovieView& v, int) { return v.Play(); });
}

HRESULT ViewPair::Pause() {
  return Each([](MovieView& v, int) { return v.Pause(); });
}

HRESULT ViewPair::Stop() {
  return Each([](MovieView& v, int) { return v.Stop(); });
}

HRESULT ViewPair::Seek(std::int32_t frame) {
  if (state() != MovieView::ViewState::kPlaying) return ShowFrame(frame);
  return Each([&](MovieView& v, int slot) { return v.Seek(slot == kFront ? frame : RearFrame(frame)); });
}

HRESULT ViewPair::ShowFrame(std::int32_t frame) {
  return Each([&](MovieView& v, int slot) { return v.ShowFrame(slot == kFront ? frame : RearFrame(frame)); });
}

HRESULT ViewPair::Step(std::int32_t delta) { return ShowFrame(std::max(0, CurrentFrame() + delta)); }

HRESULT ViewPair::SetRate(int code) {
  return Each([code](MovieView& v, int) { return v.SetRate(code); });
}

HRESULT ViewPair::SlowMotion(bool on) {
  const int reading = reading_slot();
  return Each([&](MovieView& v, int slot) {
    if (slot == reading) return v.SlowMotion(on ? 1.0 : 0.0);
    return on ? v.Pause() : v.Play();
  });
}

HRESULT ViewPair::Rotate180(bool on) {
  return Each([on](MovieView& v, int) { return v.Rotate180(on); });
}

HRESULT ViewPair::SetKeepAspect(bool keep) {
  return Each([keep](MovieView& v, int) { return v.SetAspectMode(keep ? 1 : 0); });
}

HRESULT ViewPair::SetVolume(int volume) {
  const int reading = reading_slot();
  return Each([&](MovieView& v, int slot) { return v.SetVolume(slot == reading ? volume : 0); });
}

HRESULT ViewPair::SetViewRectangle(int slot, double factor, double x, double y) {
  if (!opened_[slot]) return E_UNEXPECTED;
  return views_[slot]->ZoomAndPan(factor, x, y);
}

void ViewPair::SetHardwareDecoding(bool on) {
  for (auto& v : views_) v->SetViewOption(1, on ? 1 : 0);
}

MovieView& ViewPair::reading_view() { return *views_[reading_slot()]; }
const MovieView& ViewPair::reading_view() const { return *views_[reading_slot()]; }

std::int32_t ViewPair::CurrentFrame() { return reading_view().CurrentFrame(); }
std::int32_t ViewPair::FrameCount() { return reading_view().FrameCount(); }

double ViewPair::FrameRate() {
  MovieView& v = reading_view();
  return v.FrameCount() > 0 ? v.timing().frame_rate() : 0.0;
}

MovieView::ViewState ViewPair::state() const { return reading_view().view_state(); }
int ViewPair::rate_code() const { return reading_view().rate_code(); }

bool ViewPair::media_ready() const {
  bool any = false;
  for (int slot : {kFront, kRear}) {
    if (!opened_[slot]) continue;
    if (!views_[slot]->media_ready()) return false;
    any = true;
  }
  return any;
}

}  // namespace player
