#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/LocalTime.h"
#include "recording/RecordTimeCache.h"
#include "recording/SensorSamples.h"

namespace recording {

// Layout of the sensor data block.
inline constexpr char kBlockStart[] = "CSMDAT";
inline constexpr char kBlockEnd[] = "CSMEND";
inline constexpr std::size_t kMarkerSize = 6;
inline constexpr std::size_t kHeaderSize = 26;
inline constexpr std::size_t kRecordSize = 124;
// Offset of the first record from the first byte of the marker.
inline constexpr std::size_t kRecordsOffset = kMarkerSize + kHeaderSize + 2;
inline constexpr std::uint16_t kCountUntilEnd = 0xFFFF;
// A chained header follows 34 bytes after the one before it; the bytes read
// to decode a header and up to eight chained headers after it.
inline constexpr std::size_t kChainOffset = 34;
inline constexpr std::size_t kHeaderReadSize = kHeaderSize + 2 + 8 * kChainOffset;

using RawRecord = std::array<std::uint8_t, kRecordSize>;

// A whole data file: "CSMDAT", the 26-byte header, the count, the records,
// "CSMEND", and from 65,535 records on 0xFFFF in the count field with the
// 32-bit count after "CSMEND".
std::vector<std::uint8_t> FormatBlock(const std::array<std::uint8_t, kHeaderSize>& header,
                                      const std::vector<RawRecord>& records);

// Decodes the header at h (26 bytes) and any header chained after "@CS?".
// available is the number of bytes readable at h. Returns the bytes of
// headers decoded (26 per header).
std::size_t DecodeHeader(const std::uint8_t* h, std::size_t available, SensorDataHeader* out);

// Decodes one record's GPS and acceleration parts. The cache speeds up
// consecutive records of the same second; pass the same one for a block.
void DecodeRecord(const std::uint8_t* record, std::int32_t index, float period, RecordTimeCache& cache,
                  GpsSample* gps, AccelSample* accel);

struct DecodedBlock {
  SensorDataHeader header;
  float period = 100.0f;
  std::vector<GpsSample> gps;
  std::vector<AccelSample> accel;
};

// Copies n bytes at offset (counted from the first header byte) into dst;
// false on a read error. Mapped files are read through such copies so that a
// file that vanishes under the decode fails it instead of faulting.
using BlockReader = std::function<bool(std::size_t offset, void* dst, std::size_t n)>;

// Decodes the block whose header starts right after "CSMDAT". available
// counts the bytes readable from there. A count of 0xFFFF reads records up
// to "CSMEND" (or the end of the bytes); a 32-bit count after "CSMEND", the
// form written from 65,535 records on, must then agree with the records
// read. Fails, with the reason, on an end marker before the count was
// reached, a count that runs past the available bytes, a disagreeing 32-bit
// count, or a read error; nothing is kept then.
bool DecodeBlock(const BlockReader& read, std::size_t available, DecodedBlock* out, std::string* why);
bool DecodeBlock(const std::uint8_t* p, std::size_t available, DecodedBlock* out, std::string* why);

// A block as stored: the first 26 header bytes, the count field and the
// records, byte for byte (what the joiner copies).
struct RawBlock {
  std::array<std::uint8_t, kHeaderSize> header{};
  std::uint16_t count_field = 0;
  std::vector<RawRecord> records;
};

// Reads a block's raw records by the same rules and with the same failures
// as DecodeBlock.
bool ReadRawBlock(const BlockReader& read, std::size_t available, RawBlock* out, std::string* why);

}  // namespace recording
