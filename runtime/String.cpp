#include "runtime/String.h"

namespace varnel {

String IntToStr(std::int64_t value) {
  const bool negative = value < 0;
  // Work in unsigned so that the most negative value has a magnitude.
  std::uint64_t magnitude =
      negative ? 0u - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  String digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits.insert(digits.begin(), u'-');
  return digits;
}

String IntToHex(std::uint64_t value, int digits) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String text;
  do {
    text.insert(text.begin(), kHex[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(text.size()) < digits) text.insert(text.begin(), u'0');
  return text;
}

std::string ToUtf8(StringView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

String FromUtf8(std::string_view text) {
  String out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07u;
    } else {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {  // truncated sequence
      out += u'\uFFFD';
      break;
    }
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cont = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((cont & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      cp = (cp << 6) | (cont & 0x3Fu);
    }
    if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += static_cast<std::size_t>(extra) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

String TrimRightControlAndPeriods(StringView text, bool periods) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] <= u' ' || (periods && text[end - 1] == u'.'))) --end;
  return String(text.substr(0, end));
}

}  // namespace varnel
