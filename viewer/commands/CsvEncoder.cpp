#include "viewer/commands/CsvEncoder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "viewer/settings/FolderIni.h"

namespace viewer {
namespace {

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

// Length of the valid UTF-8 sequence at the start of s; 0 when it is not one
// (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF,
// or cut short).
std::size_t SequenceLength(std::string_view s) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = b(0);
  std::size_t n;
  unsigned char low = 0x80, high = 0xBF;  // the second byte's range
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() < n || b(1) < low || b(1) > high) return 0;
  for (std::size_t i = 2; i < n; ++i) {
    if (b(i) < 0x80 || b(i) > 0xBF) return 0;
  }
  return n;
}

}  // namespace

CsvEncoding CsvEncodingOf(std::string_view setting) {
  std::string lower(setting);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower == "utf-8" || lower == "utf8" ? CsvEncoding::kUtf8Bom : CsvEncoding::kCp932;
}

CsvEncoding CsvEncodingSetting() { return CsvEncodingOf(ReadFolderIni(kSectionCsv, kKeyCsvEncoding)); }

platform::Expected<std::unique_ptr<CsvEncoder>> CsvEncoder::Create(CsvEncoding encoding) {
  iconv_t cd = kNoConversion;
  if (encoding == CsvEncoding::kCp932) {
    // "CP932", not "SHIFT_JIS": the latter has no U+FF5E and maps 0x5C to
    // the yen sign.
    cd = iconv_open("CP932", "UTF-8");
    if (cd == kNoConversion) {
      return platform::Expected<std::unique_ptr<CsvEncoder>>::Failure(
          std::string("this system cannot convert text to code page 932: ") + std::strerror(errno));
    }
  }
  return std::unique_ptr<CsvEncoder>(new CsvEncoder(encoding, cd));
}

CsvEncoder::~CsvEncoder() {
  if (cd_ != kNoConversion) iconv_close(cd_);
}

std::string CsvEncoder::Preamble() const { return encoding_ == CsvEncoding::kUtf8Bom ? "\xEF\xBB\xBF" : ""; }

std::string CsvEncoder::Encode(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 8);
  std::size_t run = 0;  // start of the valid run not yet converted
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t n = SequenceLength(utf8.substr(i));
    if (n > 0) {
      i += n;
      continue;
    }
    Convert(utf8.substr(run, i - run), out);
    out += '?';
    run = ++i;
  }
  Convert(utf8.substr(run), out);
  return out;
}

void CsvEncoder::Convert(std::string_view text, std::string& out) {
  if (cd_ == kNoConversion) {
    out += text;
    return;
  }
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  while (in_left > 0) {
    // Code page 932 never needs more bytes than UTF-8 for a code point.
    char buffer[512];
    char* to = buffer;
    std::size_t to_left = sizeof buffer;
    const std::size_t result = iconv(cd_, &in, &in_left, &to, &to_left);
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
    // iconv stops at a code point the target has no character for (EILSEQ),
    // and EINVAL cannot happen on valid input: either way the code point
    // is written as "?" and the conversion goes on after it.
    const std::size_t skip = std::max<std::size_t>(1, SequenceLength(std::string_view(in, in_left)));
    out += '?';
    in += skip;
    in_left -= std::min(skip, in_left);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  }
}

}  // namespace viewer
