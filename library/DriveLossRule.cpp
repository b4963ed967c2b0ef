#include "library/DriveLossRule.h"

#include "platform/FileSystem.h"

namespace library {

DriveLossRule::DriveLossRule(std::filesystem::path executable)
    : executable_(std::move(executable)), executable_device_(platform::Fs().DeviceOf(executable_)) {}

SourceLoss DriveLossRule::Classify(std::optional<std::uint64_t> source_device) const {
  if (!source_device || !executable_device_ || *source_device != *executable_device_) return SourceLoss::kSource;
  return platform::Fs().DeviceOf(executable_) == executable_device_ ? SourceLoss::kSource : SourceLoss::kProgramDrive;
}

}  // namespace library
