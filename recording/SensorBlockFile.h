#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/Expected.h"
#include "platform/FileMapping.h"
#include "recording/SensorBlock.h"

namespace recording {

// A file holding a sensor data block, opened for reading the block. The block
// is found by walking the file as top-level boxes from offset 0 (the
// recorder's data files and the joiner's have it right there); it is read
// through mapped views of 32 MiB moved along as the reading goes, so a block
// of any length is read whole, and a file that shrinks or vanishes under the
// read fails it instead of faulting.
class SensorBlockFile {
 public:
  // cancelled, when given, is asked before each step of the walk.
  static platform::Expected<SensorBlockFile> Open(const std::filesystem::path& path,
                                                  const std::function<bool()>& cancelled = {});

  // False for a file that holds no block (the walk reached its end).
  bool has_block() const { return has_block_; }
  bool Decode(DecodedBlock* out, std::string* why);
  bool ReadRaw(RawBlock* out, std::string* why);

 private:
  SensorBlockFile(std::shared_ptr<platform::FileMapping> mapping, bool has_block, std::uint64_t block);
  // Reads from the first header byte on.
  BlockReader Reader();
  std::size_t Available() const;

  std::shared_ptr<platform::FileMapping> mapping_;
  bool has_block_ = false;
  std::uint64_t block_ = 0;  // offset of "CSMDAT"
  platform::MappedView view_;  // the part of the file read last
};

}  // namespace recording
