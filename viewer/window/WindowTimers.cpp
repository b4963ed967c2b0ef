#include "viewer/window/WindowTimers.h"


#include "viewer/window/QtTimerHost.h"

namespace viewer {
namespace {

struct TimerRow {
  int id;
  int period_ms;
  bool single_shot;
};
constexpr TimerRow kTimers[] = {
    {WindowTimers::kPlaybackTick, 30, false},  {WindowTimers::kOpenDelay, 500, true},
    {WindowTimers::kWaitLimit, 5000, true},    {WindowTimers::kSpeedDebounce, 500, true},
    {WindowTimers::kSpeedSettle, 100, true},
};

const TimerRow* RowOf(int id) {
  for (const TimerRow& row : kTimers) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace

WindowTimers::WindowTimers() : own_host_(std::make_unique<QtTimerHost>()), host_(own_host_.get()) {
  host_->on_timeout = [this](int id) { Fire(id); };
}

WindowTimers::~WindowTimers() {
  StopAll();
  host_->on_timeout = nullptr;
}

void WindowTimers::UseHost(TimerHost& host) {
  StopAll();
  host_->on_timeout = nullptr;
  host_ = &host;
  host_->on_timeout = [this](int id) { Fire(id); };
}

void WindowTimers::SetHandler(int id, std::function<void()> handler) {
  if (RowOf(id) != nullptr) handlers_[id] = std::move(handler);
}

void WindowTimers::Start(int id) {
  if (const TimerRow* row = RowOf(id)) host_->Start(id, row->period_ms, row->single_shot);
}

void WindowTimers::Stop(int id) { host_->Stop(id); }

void WindowTimers::StopAll() {
  for (const TimerRow& row : kTimers) host_->Stop(row.id);
}

bool WindowTimers::IsActive(int id) const { return host_->IsActive(id); }

int WindowTimers::PeriodMs(int id) {
  const TimerRow* row = RowOf(id);
  return row == nullptr ? 0 : row->period_ms;
}

void WindowTimers::Fire(int id) {
  const auto it = handlers_.find(id);
  if (it != handlers_.end() && it->second) it->second();
}

}  // namespace viewer
