#include "tools/samplecard/SampleCard.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>

#include "tools/samplecard/DriveModel.h"
#include "tools/samplecard/FrameStamp.h"
#include "tools/samplecard/H264Encoder.h"
#include "tools/samplecard/MovWriter.h"
#include "tools/samplecard/SensorLog.h"

namespace samplecard {
namespace {

constexpr double kPi = 3.14159265358979323846;

// What each recording of the card is, in the order the recorder wrote them.
enum class Event { kNone, kImpact, kUserMark, kParkingImpact, kAssist };
struct PlannedRecording {
  const char* folder;
  const char* trigger;  // the first three characters of the name
  int gap_seconds;      // start time after the previous recording's
  Event event;
};
constexpr PlannedRecording kPlan[] = {
    {"Normal", "A__", 0, Event::kNone},        {"Normal", "A__", 60, Event::kAssist},
    {"Normal", "G__", 60, Event::kImpact},     {"Normal", "A__", 60, Event::kNone},
    {"Normal", "M__", 60, Event::kUserMark},   {"Normal", "A_S", 60, Event::kNone},
    {"Normal", "A__", 61, Event::kNone},       {"Parking", "P__", 600, Event::kNone},
    {"Parking", "T__", 900, Event::kNone},     {"Parking", "T__", 903, Event::kNone},
    {"Parking", "PG_", 60, Event::kParkingImpact},
};
// Recordings past the plan continue the drive as continuous ones.
constexpr PlannedRecording kMore = {"Normal", "A__", 60, Event::kNone};

const PlannedRecording& PlanAt(std::size_t n) { return n < std::size(kPlan) ? kPlan[n] : kMore; }

int FrameCount(double seconds, double fps) {
  std::uint32_t timescale = 0, delta = 0;
  RateToTimescale(fps, &timescale, &delta);
  return std::max(1, static_cast<int>(std::lround(seconds * timescale / delta)));
}

struct Civil {
  int year, month, day, hour, minute, second;
};

Civil CivilAt(std::int64_t seconds_since_base) {
  // Base: 2024-03-01 10:15:00; plain calendar arithmetic, no time zone.
  std::tm tm{};
  tm.tm_year = 124;
  tm.tm_mon = 2;
  tm.tm_mday = 1;
  tm.tm_hour = 10;
  tm.tm_min = 15;
  tm.tm_sec = static_cast<int>(seconds_since_base);
  timegm(&tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string TwoDigits(int v) {
  char s[3] = {static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10), 0};
  return s;
}

std::string BaseName(const char* trigger, const Civil& c, int sequence) {
  std::string s = trigger;
  for (const std::string& part : {std::string("-"), TwoDigits(c.year % 100), TwoDigits(c.month), TwoDigits(c.day),
                                  std::string("-"), TwoDigits(c.hour), TwoDigits(c.minute), TwoDigits(c.second),
                                  std::string("-")}) {
    s.append(part);
  }
  const std::string digits = std::to_string(sequence);
  s.append(6 - std::min<std::size_t>(6, digits.size()), '0');
  s.append(digits);
  return s;
}

std::string Caption(const Civil& c) {
  return std::to_string(c.year) + "/" + TwoDigits(c.month) + "/" + TwoDigits(c.day) + " " + TwoDigits(c.hour) + ":" +
         TwoDigits(c.minute) + ":" + TwoDigits(c.second);
}

// Appends an H.264 filler-data unit of n bytes (decoders skip it) to a frame.
void AppendFiller(EncodedFrame& frame, std::size_t n) {
  if (n < 6) return;
  const std::size_t unit = n - 4;
  const std::uint8_t length[4] = {static_cast<std::uint8_t>(unit >> 24), static_cast<std::uint8_t>(unit >> 16),
                                  static_cast<std::uint8_t>(unit >> 8), static_cast<std::uint8_t>(unit)};
  frame.data.insert(frame.data.end(), length, length + 4);
  frame.data.push_back(0x0C);
  frame.data.insert(frame.data.end(), unit - 2, 0xFF);
  frame.data.push_back(0x80);
}

platform::Expected<int> WriteVideo(const std::filesystem::path& path, const CardOptions& o, double fps, Camera camera,
                                   std::int64_t start, std::uint64_t padding) {
  std::uint32_t timescale = 0, delta = 0;
  RateToTimescale(fps, &timescale, &delta);
  const int frames = FrameCount(o.seconds, fps);
  EncoderSettings settings;
  settings.width = o.width;
  settings.height = o.height;
  settings.timescale = static_cast<int>(timescale);
  settings.frame_delta = static_cast<int>(delta);
  settings.gop = o.gop > 0 ? o.gop : std::max(1, static_cast<int>(std::lround(fps)));
  auto encoder = H264Encoder::Create(settings);
  if (!encoder) return platform::Expected<int>::Failure(encoder.error());
  VideoTrack track;
  track.width = o.width;
  track.height = o.height;
  track.timescale = timescale;
  track.frame_delta = delta;
  track.movie_timescale = o.movie_timescale;
  YuvImage image(o.width, o.height);
  for (int i = 0; i < frames; ++i) {
    const auto second = static_cast<std::int64_t>(static_cast<double>(i) * delta / timescale);
    DrawFrame(image, i, camera, Caption(CivilAt(start + second)));
    if (!(*encoder)->Encode(image, &track.frames)) return platform::Expected<int>::Failure("H.264 encoding failed");
  }
  if (!(*encoder)->Flush(&track.frames)) return platform::Expected<int>::Failure("H.264 encoding failed");
  if (static_cast<int>(track.frames.size()) != frames) {
    return platform::Expected<int>::Failure("the encoder returned a different number of frames");
  }
  track.avc_config = (*encoder)->avc_config();
  std::optional<SoundTrack> sound;
  if (o.sound) {
    sound = PlanSound(16000, timescale, delta, frames);
    // A quiet tone with a short beep at the start of every second.
    for (std::size_t i = 0; i < sound->samples.size(); ++i) {
      const double t = static_cast<double>(i) / sound->rate;
      const double beep = std::fmod(t, 1.0) < 0.08 ? 0.25 : 0.0;
      sound->samples[i] = static_cast<std::int16_t>(
          32767.0 * (0.05 * std::sin(2 * kPi * 220.0 * t) + beep * std::sin(2 * kPi * 880.0 * t)));
    }
  }
  if (o.fill_mdat > 0) {
    for (EncodedFrame& f : track.frames) AppendFiller(f, static_cast<std::size_t>(o.fill_mdat / track.frames.size()));
  }
  auto written = WriteMov(path, track, sound, padding);
  if (!written) return platform::Expected<int>::Failure(written.error());
  return frames;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

void RateToTimescale(double fps, std::uint32_t* timescale, std::uint32_t* delta) {
  const double ntsc = fps * 1.001;
  if (std::fabs(fps - std::round(fps)) < 1e-6) {
    *timescale = static_cast<std::uint32_t>(std::lround(fps * 1000));
    *delta = 1000;
  } else if (std::fabs(ntsc - std::round(ntsc)) < 1e-3) {
    *timescale = static_cast<std::uint32_t>(std::lround(ntsc) * 1000);
    *delta = 1001;
  } else {
    *timescale = static_cast<std::uint32_t>(std::lround(fps * 1000));
    *delta = 1000;
  }
}

std::vector<WrittenRecording> PlanSampleCard(const std::filesystem::path& root, const CardOptions& o) {
  std::vector<WrittenRecording> plan;
  std::int64_t start = 0;
  const int sequence_base = 100 + static_cast<int>(o.seed % 800);
  for (int n = 0; n < o.recordings; ++n) {
    const PlannedRecording& p = PlanAt(static_cast<std::size_t>(n));
    start += n == 0 ? 0 : p.gap_seconds;
    WrittenRecording rec;
    rec.base_name = BaseName(p.trigger, CivilAt(start), sequence_base + n);
    const std::filesystem::path folder = root / p.folder;
    rec.main_path = folder / "Main" / (rec.base_name + "M.MOV");
    rec.sub_path = folder / "Sub_" / (rec.base_name + "S.MOV");
    rec.data_path = folder / "Data" / (rec.base_name + "D.ADA");
    rec.main_frames = FrameCount(o.seconds, o.fps);
    rec.sub_frames = FrameCount(o.seconds, o.sub_fps > 0 ? o.sub_fps : o.fps);
    rec.records = static_cast<int>(std::lround(o.seconds * o.sensor_hz));
    plan.push_back(std::move(rec));
  }
  return plan;
}

platform::Expected<std::vector<WrittenRecording>> WriteSampleCard(const std::filesystem::path& root,
                                                                  const CardOptions& o) {
  using Result = platform::Expected<std::vector<WrittenRecording>>;
  if (o.recordings < 1 || o.seconds <= 0 || o.width < 16 || o.height < 16 || o.width % 2 || o.height % 2 ||
      o.fps <= 0 || (o.sensor_hz != 10 && o.sensor_hz != 15)) {
    return Result::Failure("invalid card options");
  }
  std::error_code ec;
  for (const char* top : {"Normal", "Parking"}) {
    for (const char* sub : {"Main", "Sub_", "Data"}) {
      std::filesystem::create_directories(root / top / sub, ec);
      if (ec) return Result::Failure((root / top / sub).string() + ": " + ec.message());
    }
  }

  DriveModel drive(o.seed);
  std::mt19937 random(o.seed * 7919u + 17u);
  std::vector<WrittenRecording> written = PlanSampleCard(root, o);
  std::int64_t start = 0;
  for (std::size_t n = 0; n < written.size(); ++n) {
    const PlannedRecording& plan = PlanAt(n);
    start += n == 0 ? 0 : plan.gap_seconds;
    const WrittenRecording& rec = written[n];

    auto main_frames = WriteVideo(rec.main_path, o, o.fps, Camera::kFront, start, o.pad_mdat);
    if (!main_frames) return Result::Failure(main_frames.error());
    auto sub_frames = WriteVideo(rec.sub_path, o, o.sub_fps > 0 ? o.sub_fps : o.fps, Camera::kRear, start, 0);
    if (!sub_frames) return Result::Failure(sub_frames.error());

    SensorHeaderFields header;
    header.rate = o.sensor_hz == 15 ? 'T' : 'N';
    const bool parked = std::string_view(plan.folder) == "Parking";
    const int count = rec.records;
    const int event_at = count * 2 / 5;
    std::vector<std::array<std::uint8_t, 124>> records;
    for (int i = 0; i < count; ++i) {
      const double t = static_cast<double>(start) + static_cast<double>(i) / o.sensor_hz;
      const DriveModel::State s = drive.At(t, parked);
      SensorRecordFields r;
      r.latitude = s.latitude;
      r.longitude = s.longitude;
      r.speed = static_cast<int>(std::lround(s.speed_kmh));
      if (o.no_fix_from >= 0 && i >= o.no_fix_from && i < o.no_fix_from + o.no_fix_records) r.fix = 'V';
      const Civil c = CivilAt(start + i / o.sensor_hz);
      r.year = c.year;
      r.month = c.month;
      r.day = c.day;
      r.hour = c.hour;
      r.minute = c.minute;
      r.second = c.second;
      r.x_mg = static_cast<int>(std::lround(s.forward_g * 1000));
      r.y_mg = static_cast<int>(std::lround(s.lateral_g * 1000));
      r.z_mg = static_cast<int>(std::lround(s.vertical_g * 1000));
      r.extra = static_cast<std::uint8_t>('0' + random() % 4);
      if (parked) r.parking = 'D';
      const bool in_event = i >= event_at && i < event_at + 3;
      switch (plan.event) {
        case Event::kImpact:
          if (in_event) {
            r.x_mg = -850 + 150 * (i - event_at);
            r.axis = 'X';
            r.emergency = i == event_at ? 'D' : ' ';
          }
          break;
        case Event::kParkingImpact:
          if (in_event) {
            r.y_mg = 700 - 200 * (i - event_at);
            r.axis = 'Y';
            r.second_flag = 'D';
          }
          break;
        case Event::kUserMark:
          if (i == event_at) r.user_mark = 'D';
          break;
        case Event::kAssist:
          if (i == event_at) r.assist = 'H';
          if (i == event_at + o.sensor_hz) r.assist = 'A';
          break;
        case Event::kNone:
          break;
      }
      records.push_back(FormatRecord(r));
    }
    if (!WriteFile(rec.data_path, FormatBlock(header, records))) {
      return Result::Failure(rec.data_path.string() + ": write error");
    }
  }
  return written;
}

}  // namespace samplecard
