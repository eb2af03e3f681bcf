// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ConfigLines.h"

#include "text/SystemCodePage.h"
#include "text/Utf8.h"

namespace trasvex {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

// UTF-16 |bytes| as UTF-8, up to the first U+0000; a lone surrogate becomes
// U+FFFD and an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  const auto unit = [&](std::size_t index) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[2 * index]);
    const auto second = static_cast<unsigned char>(bytes[2 * index + 1]);
    return bigEndian ? first << 8 | second : second << 8 | first;
  };
  const std::size_t units = bytes.size() / 2;
  std::string text;
  for (std::size_t i = 0; i < units; ++i) {
    char32_t code = unit(i);
    if (code == 0)
      break;
    const bool pairs = code >= 0xD800 && code < 0xDC00 && i + 1 < units &&
                       unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000;
    if (pairs)
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(++i) - 0xDC00);
    else if (code >= 0xD800 && code < 0xE000)
      code = kReplacement;
    Utf8::Append(text, code);
  }
  return text;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
  std::string bytes;
  const auto append = [&](char32_t unit) {
    bytes += char(bigEndian ? unit >> 8 : unit & 0xFF);
    bytes += char(bigEndian ? unit & 0xFF : unit >> 8);
  };
  for (std::size_t i = 0; i < text.size();) {
    const char32_t code = Utf8::Decode(text, i).value_or(kReplacement);
    if (code < 0x10000) {
      append(code);
    } else {
      append(0xD800 + ((code - 0x10000) >> 10));
      append(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

// The text of a configuration file as UTF-8, and how it was stored.
std::string DecodeConfig(std::string_view bytes, ConfigEncoding& encoding) {
  if (bytes.starts_with(kUtf16LeBom) || bytes.starts_with(kUtf16BeBom)) {
    encoding = bytes.starts_with(kUtf16LeBom) ? ConfigEncoding::kUtf16Le : ConfigEncoding::kUtf16Be;
    return Utf16ToUtf8(bytes.substr(2), encoding == ConfigEncoding::kUtf16Be);
  }
  bytes = bytes.substr(0, bytes.find('\0'));
  if (bytes.starts_with(kUtf8Bom)) {
    encoding = ConfigEncoding::kUtf8Bom;
    bytes.remove_prefix(kUtf8Bom.size());
  } else {
    encoding = Utf8::IsValid(bytes) ? ConfigEncoding::kUtf8 : ConfigEncoding::kCodePage;
  }
  return encoding == ConfigEncoding::kCodePage ? FromSystemCodePage(bytes) : std::string(bytes);
}

}  // namespace

ConfigText ReadConfigLines(std::string_view bytes) {
  ConfigText text;
  const std::string decoded = DecodeConfig(bytes, text.encoding);
  const std::string_view rest = decoded;
  std::size_t start = 0;
  while (start < rest.size()) {
    const std::size_t end = rest.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      text.lines.emplace_back(rest.substr(start));
      return text;
    }
    text.lines.emplace_back(rest.substr(start, end - start));
    const bool crLf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
  text.endsWithBreak = !rest.empty();
  return text;
}

std::string WriteConfigLines(const std::vector<std::string>& lines, ConfigEncoding encoding) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += lines[i];
  }
  switch (encoding) {
    case ConfigEncoding::kUtf8:
      return text;
    case ConfigEncoding::kUtf8Bom:
      return std::string(kUtf8Bom) + text;
    case ConfigEncoding::kUtf16Le:
      return std::string(kUtf16LeBom) + Utf8ToUtf16(text, false);
    case ConfigEncoding::kUtf16Be:
      return std::string(kUtf16BeBom) + Utf8ToUtf16(text, true);
    case ConfigEncoding::kCodePage:
      return ToSystemCodePage(text).value_or(text);
  }
  return text;
}

}  // namespace trasvex
