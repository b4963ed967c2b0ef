#include "mapview/JsonArgs.h"

#include <charconv>
#include <cmath>

namespace mapview {

namespace {

class ArgReader {
 public:
  explicit ArgReader(std::string_view text) : text_(text) {}

  std::optional<std::vector<JsonArg>> Read() {
    std::vector<JsonArg> args;
    SkipBlanks();
    if (!Take('[')) return std::nullopt;
    SkipBlanks();
    if (!Take(']')) {
      for (;;) {
        SkipBlanks();
        auto value = Value();
        if (!value) return std::nullopt;
        args.push_back(std::move(*value));
        SkipBlanks();
        if (Take(']')) break;
        if (!Take(',')) return std::nullopt;
      }
    }
    SkipBlanks();
    if (pos_ != text_.size()) return std::nullopt;
    return args;
  }

 private:
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool TakeWord(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  void SkipBlanks() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
      ++pos_;
    }
  }
  bool Digits() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
    return pos_ > start;
  }

  std::optional<JsonArg> Value() {
    if (TakeWord("null")) return JsonArg{nullptr};
    if (TakeWord("true")) return JsonArg{true};
    if (TakeWord("false")) return JsonArg{false};
    if (pos_ < text_.size() && text_[pos_] == '"') return String();
    return Number();
  }

  // JSON's number grammar checked here; from_chars alone would also take
  // "inf", "nan" and a leading zero run.
  std::optional<JsonArg> Number() {
    const std::size_t start = pos_;
    Take('-');
    if (Take('0')) {
      if (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') return std::nullopt;
    } else if (!Digits()) {
      return std::nullopt;
    }
    if (Take('.') && !Digits()) return std::nullopt;
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return std::nullopt;
    }
    double value = 0.0;
    const auto result = std::from_chars(text_.data() + start, text_.data() + pos_, value);
    if (result.ec != std::errc() || result.ptr != text_.data() + pos_ || !std::isfinite(value)) return std::nullopt;
    return JsonArg{value};
  }

  std::optional<unsigned> Hex4() {
    if (text_.size() - pos_ < 4) return std::nullopt;
    unsigned code = 0;
    const auto result = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
    if (result.ec != std::errc() || result.ptr != text_.data() + pos_ + 4) return std::nullopt;
    pos_ += 4;
    return code;
  }

  static void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | code >> 18);
      out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::optional<JsonArg> String() {
    ++pos_;
    std::string value;
    for (;;) {
      if (pos_ >= text_.size()) return std::nullopt;
      const char c = text_[pos_++];
      if (c == '"') return JsonArg{std::move(value)};
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        value += c;
        continue;
      }
      if (pos_ >= text_.size()) return std::nullopt;
      const char escape = text_[pos_++];
      static constexpr std::string_view kFrom = "\"\\/bfnrt";
      static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
      if (const auto at = kFrom.find(escape); at != std::string_view::npos) {
        value += kTo[at];
        continue;
      }
      if (escape != 'u') return std::nullopt;
      auto code = Hex4();
      if (!code) return std::nullopt;
      if (*code >= 0xDC00 && *code <= 0xDFFF) return std::nullopt;
      if (*code >= 0xD800 && *code <= 0xDBFF) {
        if (!TakeWord("\\u")) return std::nullopt;
        const auto low = Hex4();
        if (!low || *low < 0xDC00 || *low > 0xDFFF) return std::nullopt;
        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
      }
      AppendUtf8(value, *code);
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::vector<JsonArg>> ParseJsonArgs(std::string_view text) { return ArgReader(text).Read(); }

}  // namespace mapview
