#pragma once

#include <iconv.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/Expected.h"

namespace viewer {

enum class CsvEncoding {
  kCp932,    // Windows code page 932, no byte-order mark: what spreadsheets on Japanese systems read
  kUtf8Bom,  // UTF-8 with a byte-order mark
};

// Section "CSV", key "ENCODING": "utf-8" (any case, "utf8" too) chooses
// UTF-8; anything else, or no key, code page 932. Only read, never written.
inline constexpr char kSectionCsv[] = "CSV";
inline constexpr char kKeyCsvEncoding[] = "ENCODING";
CsvEncoding CsvEncodingSetting();
CsvEncoding CsvEncodingOf(std::string_view setting);

// Converts the UTF-8 lines of the list CSV into the file's encoding. Every
// code point the target cannot hold, and every byte that is not valid
// UTF-8 (file names are bytes), becomes one "?"; nothing is dropped or cut.
// One encoder per thread.
class CsvEncoder {
 public:
  // Fails, with the reason, when the system cannot convert to the encoding.
  static platform::Expected<std::unique_ptr<CsvEncoder>> Create(CsvEncoding encoding);
  ~CsvEncoder();
  CsvEncoder(const CsvEncoder&) = delete;
  CsvEncoder& operator=(const CsvEncoder&) = delete;

  // What the file begins with: the byte-order mark for UTF-8, else nothing.
  std::string Preamble() const;
  std::string Encode(std::string_view utf8);

 private:
  CsvEncoder(CsvEncoding encoding, iconv_t cd) : encoding_(encoding), cd_(cd) {}
  // Appends the conversion of text (valid UTF-8) to out.
  void Convert(std::string_view text, std::string& out);

  CsvEncoding encoding_;
  iconv_t cd_;  // (iconv_t)-1 for UTF-8, which needs no conversion
};

}  // namespace viewer
