#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "player/EVRCustomPresenter.h"

namespace player {

// Holds at most one presenter; asks for any other interface are refused.
class CMFActivate {
 public:
  enum class Interface { kVideoPresenter, kOther };
  CMFActivate(PresentationClock& clock, std::function<void()> repaint);
  // The presenter (made on the first call); null with MF_E_CANNOT_CREATE_SINK
  // in result for any other interface.
  EVRCustomPresenter* ActivateObject(Interface iid, std::int32_t* result);
  void ShutdownObject();
  // Forgets the presenter and hands it to the caller.
  std::unique_ptr<EVRCustomPresenter> DetachObject();
  EVRCustomPresenter* presenter() const { return presenter_.get(); }

 private:
  PresentationClock& clock_;
  std::function<void()> repaint_;
  std::unique_ptr<EVRCustomPresenter> presenter_;
};

}  // namespace player
