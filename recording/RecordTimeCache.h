#pragma once

#include <cstdint>

#include "platform/LocalTime.h"

namespace recording {

// The local time of a sensor record's date and time fields, remembered for
// the consecutive records of the same second.
class RecordTimeCache {
 public:
  platform::SystemTime Convert(const std::uint8_t* record);

 private:
  std::uint8_t key_[15] = {};
  bool valid_ = false;
  platform::SystemTime value_;
  platform::LocalTimeConverter converter_;
};

}  // namespace recording
