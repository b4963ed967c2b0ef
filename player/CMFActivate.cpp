#include "player/CMFActivate.h"

#include "player/PlayerMessages.h"

namespace player {

CMFActivate::CMFActivate(PresentationClock& clock, std::function<void()> repaint)
    : clock_(clock), repaint_(std::move(repaint)) {}

EVRCustomPresenter* CMFActivate::ActivateObject(Interface iid, std::int32_t* result) {
  if (iid != Interface::kVideoPresenter) {
    if (result) *result = MF_E_CANNOT_CREATE_SINK;
    return nullptr;
  }
  if (!presenter_) presenter_ = std::make_unique<EVRCustomPresenter>(clock_, repaint_);
  if (result) *result = S_OK;
  return presenter_.get();
}

void CMFActivate::ShutdownObject() { presenter_.reset(); }
std::unique_ptr<EVRCustomPresenter> CMFActivate::DetachObject() { return std::move(presenter_); }

}  // namespace player
