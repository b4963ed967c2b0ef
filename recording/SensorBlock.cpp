#include "recording/SensorBlock.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "platform/ByteOrder.h"
#include "recording/LenientNumber.h"

namespace recording {
namespace {

constexpr std::size_t kRecordsPerBatch = 512;

bool Fail(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return false;
}

float Thousandths(const std::uint8_t* field, std::size_t width) {
  double v = LenientNumber(reinterpret_cast<const char*>(field), width);
  // Keep absurd exponents finite.
  if (v > FLT_MAX) v = FLT_MAX;
  if (v < -FLT_MAX) v = -FLT_MAX;
  return static_cast<float>(v) / 1000.0f;
}

// ddmm.mmmm (or dddmm.mmmm) to degrees.
double Degrees(const std::uint8_t* field, std::size_t width, std::uint8_t hemisphere) {
  const double v = LenientNumber(reinterpret_cast<const char*>(field), width);
  double degrees;
  if (std::fabs(v) < 9e15) {
    degrees = static_cast<double>(static_cast<std::int64_t>(v) / 100);
  } else {
    degrees = std::trunc(v / 100.0);
  }
  const double minutes = std::fmod(v, 100.0);
  return (minutes / 60.0 + degrees) * (hemisphere != 0 ? 1.0 : -1.0);
}

std::int32_t EventOf(const std::uint8_t* r) {
  if (r[75] == 'D') return 6;
  if (r[72] == 'D') return 5;
  if (r[76] == 'D') return 7;
  switch (r[74]) {
    case 'H': return 11;
    case 'A': return 12;
    case 'B': return 13;
    default: return -1;
  }
}

std::int32_t AxisOf(std::uint8_t letter) {
  switch (letter) {
    case 'X': return 1;
    case 'Y': return 2;
    case 'Z': return 3;
    default: return 0;
  }
}

void DecodeOneHeader(const std::uint8_t* h, SensorDataHeader* out) {
  out->mode = static_cast<char>(h[16]);
  if (out->mode == 'M' || out->mode == 'D') {
    out->a = Thousandths(h + 0, 4);
    out->b = Thousandths(h + 4, 4);
    out->c = Thousandths(h + 8, 4);
    out->d = Thousandths(h + 12, 4);
  } else {
    out->a = out->b = out->c = out->d = -1.0f;
  }
  std::memcpy(out->version.data(), h + 17, 6);
  out->quality = static_cast<char>(h[23]);
  out->letter24 = static_cast<char>(h[24]);
  out->rate = static_cast<char>(h[25]);
}

bool ChainFollows(const std::uint8_t* h, std::size_t available) {
  return available >= kChainOffset + kHeaderSize && h[30] == '@' && h[31] == 'C' && h[32] == 'S' && h[33] >= 'A' &&
         h[33] <= 'Z';
}

// After "CSMEND" of a block whose count field says 0xFFFF: the 32-bit count
// that blocks of 65,535 records or more carry. Four bytes that are there and
// say less than 65,535 for a shorter block are not such a count (padding or
// a following box) and are left alone.
bool CheckLongCount(const BlockReader& read, std::size_t available, std::size_t after_marker, std::size_t records,
                    std::string* why) {
  if (available < after_marker + 4) return true;  // 0xFFFF alone: no count given
  std::uint8_t bytes[4];
  if (!read(after_marker, bytes, 4)) return Fail(why, "read error after the sensor data end marker");
  const std::uint32_t count = platform::LoadBE32(bytes);
  if ((records >= kCountUntilEnd || count >= kCountUntilEnd) && count != records) {
    return Fail(why, "the count after the end marker says " + std::to_string(count) + " records, the block holds " +
                         std::to_string(records));
  }
  return true;
}

// Reads a block's header and then its records batch by batch: on_head gets
// the header bytes read (26 and room for chained headers) and the number of
// records the count promises (0 for 0xFFFF); visit gets each run of records
// before the end marker.
bool WalkBlock(const BlockReader& read, std::size_t available,
               const std::function<void(const std::uint8_t*, std::size_t, std::size_t)>& on_head,
               const std::function<void(const std::uint8_t*, std::size_t)>& visit, std::string* why) {
  std::uint8_t head[kHeaderReadSize];
  const std::size_t head_bytes = std::min(sizeof head, available);
  if (head_bytes < kHeaderSize + 2) return Fail(why, "the sensor data block is cut short in its header");
  if (!read(0, head, head_bytes)) return Fail(why, "read error in the sensor data header");
  const std::uint16_t count = platform::LoadBE16(head + kHeaderSize);
  const bool until_end = count == kCountUntilEnd;
  const std::size_t first = kHeaderSize + 2;
  const std::size_t room = (available - first) / kRecordSize;  // whole records that fit
  if (!until_end && count > room) return Fail(why, "the record count runs past the end of the sensor data");
  const std::size_t limit = until_end ? room : count;
  on_head(head, head_bytes, until_end ? 0 : limit);

  std::vector<std::uint8_t> batch(std::min(kRecordsPerBatch, std::max<std::size_t>(limit, 1)) * kRecordSize);
  std::size_t done = 0;
  while (done < limit) {
    const std::size_t n = std::min(kRecordsPerBatch, limit - done);
    if (!read(first + done * kRecordSize, batch.data(), n * kRecordSize)) {
      return Fail(why, "read error in the sensor data records (file truncated or medium removed)");
    }
    std::size_t before_end = 0;
    while (before_end < n && std::memcmp(batch.data() + before_end * kRecordSize, kBlockEnd, kMarkerSize) != 0) {
      ++before_end;
    }
    if (before_end > 0) visit(batch.data(), before_end);
    done += before_end;
    if (before_end < n) {
      if (!until_end) return Fail(why, "the end marker comes before the record count was reached");
      return CheckLongCount(read, available, first + done * kRecordSize + kMarkerSize, done, why);
    }
  }
  if (!until_end) return true;
  // The end marker and its count are shorter than a record: the last whole
  // record slot may be followed by them.
  const std::size_t tail = first + done * kRecordSize;
  std::uint8_t marker[kMarkerSize];
  if (available - tail < kMarkerSize) return true;  // the records run to the end of the data
  if (!read(tail, marker, kMarkerSize)) return Fail(why, "read error at the sensor data end marker");
  if (std::memcmp(marker, kBlockEnd, kMarkerSize) != 0) return true;
  return CheckLongCount(read, available, tail + kMarkerSize, done, why);
}

}  // namespace

std::size_t DecodeHeader(const std::uint8_t* h, std::size_t available, SensorDataHeader* out) {
  if (available < kHeaderSize) return 0;
  std::size_t decoded = 0;
  for (;;) {
    DecodeOneHeader(h, out);
    decoded += kHeaderSize;
    if (!ChainFollows(h, available)) break;
    h += kChainOffset;
    available -= kChainOffset;
  }
  return decoded;
}

void DecodeRecord(const std::uint8_t* r, std::int32_t index, float period, RecordTimeCache& cache, GpsSample* gps,
                  AccelSample* accel) {
  const auto time = static_cast<std::int32_t>(static_cast<float>(index) * period);
  gps->index = index;
  gps->time = time;
  gps->fix_valid = r[5] == 'A' ? 1 : 0;
  gps->accel_link = nullptr;
  gps->speed = LenientNumber(reinterpret_cast<const char*>(r + 27), 4);
  gps->latitude = Degrees(r + 6, 9, r[15]);
  gps->longitude = Degrees(r + 16, 10, r[26]);
  gps->direction = 0.0;
  gps->date_time = cache.Convert(r);

  accel->index = index;
  accel->time = time;
  accel->x = Thousandths(r + 57, 5);
  accel->y = Thousandths(r + 62, 5);
  accel->z = Thousandths(r + 67, 5);
  accel->event = EventOf(r);
  accel->axis = AxisOf(r[73]);
  accel->flag = r[77] == 'D' ? 8 : 0;
  accel->extra = r[122];
  accel->gps_link = nullptr;
  accel->assist_group = 0;
  accel->assist_code = 0;
}

bool DecodeBlock(const BlockReader& read, std::size_t available, DecodedBlock* out, std::string* why) {
  RecordTimeCache cache;
  out->gps.clear();
  out->accel.clear();
  const bool ok = WalkBlock(
      read, available,
      [out](const std::uint8_t* head, std::size_t n, std::size_t expected) {
        DecodeHeader(head, n, &out->header);
        out->period = out->header.RecordPeriod();
        out->gps.reserve(expected);
        out->accel.reserve(expected);
      },
      [out, &cache](const std::uint8_t* records, std::size_t n) {
        const std::size_t base = out->gps.size();
        out->gps.resize(base + n);
        out->accel.resize(base + n);
        for (std::size_t i = 0; i < n; ++i) {
          DecodeRecord(records + i * kRecordSize, static_cast<std::int32_t>(base + i), out->period, cache,
                       &out->gps[base + i], &out->accel[base + i]);
        }
      },
      why);
  if (!ok) {
    out->gps.clear();
    out->accel.clear();
  }
  return ok;
}

bool ReadRawBlock(const BlockReader& read, std::size_t available, RawBlock* out, std::string* why) {
  out->records.clear();
  const bool ok = WalkBlock(
      read, available,
      [out](const std::uint8_t* head, std::size_t, std::size_t expected) {
        std::copy_n(head, kHeaderSize, out->header.begin());
        out->count_field = platform::LoadBE16(head + kHeaderSize);
        out->records.reserve(expected);
      },
      [out](const std::uint8_t* records, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
          RawRecord& r = out->records.emplace_back();
          std::copy_n(records + i * kRecordSize, kRecordSize, r.begin());
        }
      },
      why);
  if (!ok) out->records.clear();
  return ok;
}

std::vector<std::uint8_t> FormatBlock(const std::array<std::uint8_t, kHeaderSize>& header,
                                      const std::vector<RawRecord>& records) {
  const std::size_t count = records.size();
  const bool long_count = count >= kCountUntilEnd;
  std::vector<std::uint8_t> out(kRecordsOffset + kRecordSize * count + kMarkerSize + (long_count ? 4 : 0));
  auto at = std::copy_n(kBlockStart, kMarkerSize, out.begin());
  at = std::copy(header.begin(), header.end(), at);
  platform::StoreBE16(&*at, long_count ? kCountUntilEnd : static_cast<std::uint16_t>(count));
  at += 2;
  for (const RawRecord& r : records) at = std::copy(r.begin(), r.end(), at);
  at = std::copy_n(kBlockEnd, kMarkerSize, at);
  if (long_count) platform::StoreBE32(&*at, static_cast<std::uint32_t>(count));
  return out;
}

bool DecodeBlock(const std::uint8_t* p, std::size_t available, DecodedBlock* out, std::string* why) {
  return DecodeBlock(
      [p](std::size_t offset, void* dst, std::size_t n) {
        std::memcpy(dst, p + offset, n);
        return true;
      },
      available, out, why);
}

}  // namespace recording
