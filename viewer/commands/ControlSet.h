#pragma once

#include <bitset>
#include <initializer_list>

#include "viewer/commands/Controls.h"

namespace viewer {

// A set of controls, such as those to enable.
class ControlSet {
 public:
  ControlSet() = default;
  ControlSet(std::initializer_list<Control> controls) {
    for (Control c : controls) Set(c, true);
  }
  static ControlSet All() {
    ControlSet set;
    set.bits_.set();
    return set;
  }
  static ControlSet BarButtons() {
    ControlSet set;
    for (std::size_t i = 0; i < kBarButtons; ++i) set.bits_.set(i);
    return set;
  }

  bool Has(Control c) const { return bits_.test(static_cast<std::size_t>(c)); }
  void Set(Control c, bool on) { bits_.set(static_cast<std::size_t>(c), on); }
  ControlSet& operator-=(const ControlSet& other) {
    bits_ &= ~other.bits_;
    return *this;
  }
  bool operator==(const ControlSet& other) const = default;

 private:
  std::bitset<kControlCount> bits_;
};

}  // namespace viewer
