#include "text/ConfigLines.h"

#include "text/SystemCodePage.h"

namespace trasvex {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

// The length of the UTF-8 sequence that |lead| starts; 0 for a byte that
// starts none.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80)
    return 1;
  if (lead < 0xC2)
    return 0;  // a continuation byte, or an overlong two-byte form
  if (lead < 0xE0)
    return 2;
  if (lead < 0xF0)
    return 3;
  return lead < 0xF5 ? 4 : 0;
}

// The character of the well-formed UTF-8 sequence at |text|[|i|], moving |i|
// past it; U+FFFD, with |i| moved by one byte, when there is none: a stray
// or missing continuation byte, an overlong form, a surrogate, a code past
// U+10FFFF.
char32_t NextCharacter(std::string_view text, std::size_t& i, bool& valid) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t length = SequenceLength(lead);
  valid = length != 0 && i + length <= text.size();
  char32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; valid && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    valid = (next & 0xC0) == 0x80;
    code = code << 6 | (next & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  valid = valid && code >= least[length] && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF;
  i += valid ? length : 1;
  return valid ? code : kReplacement;
}

bool IsValidUtf8(std::string_view text) {
  bool valid = true;
  for (std::size_t i = 0; valid && i < text.size();)
    NextCharacter(text, i, valid);
  return valid;
}

void AppendUtf8(std::string& text, char32_t code) {
  if (code < 0x80) {
    text += char(code);
  } else if (code < 0x800) {
    text += char(0xC0 | code >> 6);
    text += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += char(0xE0 | code >> 12);
    text += char(0x80 | (code >> 6 & 0x3F));
    text += char(0x80 | (code & 0x3F));
  } else {
    text += char(0xF0 | code >> 18);
    text += char(0x80 | (code >> 12 & 0x3F));
    text += char(0x80 | (code >> 6 & 0x3F));
    text += char(0x80 | (code & 0x3F));
  }
}

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
    AppendUtf8(text, code);
  }
  return text;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
  std::string bytes;
  const auto append = [&](char32_t unit) {
    bytes += char(bigEndian ? unit >> 8 : unit & 0xFF);
    bytes += char(bigEndian ? unit & 0xFF : unit >> 8);
  };
  bool valid = true;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t code = NextCharacter(text, i, valid);
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
    encoding = IsValidUtf8(bytes) ? ConfigEncoding::kUtf8 : ConfigEncoding::kCodePage;
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
