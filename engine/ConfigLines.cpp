#include "ConfigLines.h"

namespace trasvex {

ConfigText ReadConfigLines(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  ConfigText text;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      text.lines.emplace_back(bytes.substr(start));
      return text;
    }
    text.lines.emplace_back(bytes.substr(start, end - start));
    const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
  text.endsWithBreak = !bytes.empty();
  return text;
}

std::string WriteConfigLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      bytes += "\r\n";
    bytes += lines[i];
  }
  return bytes;
}

}  // namespace trasvex
