// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/PathText.h"

#include "text/Utf8.h"

namespace trasvex {

const PathStyle PathStyle::Posix{'/', '/', false};
const PathStyle PathStyle::Windows{'\\', '/', true};

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Wildcard matching with backtracking to the last '*' only, which is linear
// in practice and never recursive.
bool MatchesWildcards(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0;
  std::size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      ++m;
      n += Utf8::SequenceLength(name.substr(n));
    } else if (m < mask.size() && LowerAscii(mask[m]) == LowerAscii(name[n])) {
      ++m;
      ++n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      starName += Utf8::SequenceLength(name.substr(starName));
      n = starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

}  // namespace

std::string CutText(std::string_view text, std::size_t limit, TextLength length) {
  if (text.size() <= limit)
    return std::string(text);  // no encoding takes more bytes than UTF-8
  std::size_t cut = 0, counted = 0;
  while (cut < text.size()) {
    const std::size_t bytes = Utf8::SequenceLength(text.substr(cut));
    counted += bytes == 1 ? 1 : length(text.substr(cut, bytes));
    if (counted > limit)
      break;
    cut += bytes;
  }
  return std::string(text.substr(0, cut));
}

std::string_view Trim(std::string_view text) {
  auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string ParentPath(std::string_view path, const PathStyle& style) {
  std::size_t last = path.size();
  while (last > 0 && !style.EndsDirectoryPart(path[last - 1]))
    --last;
  if (last == 0)
    return {};
  const std::size_t end = last - 1;  // index of the separator or colon
  if (!style.IsSeparator(path[end]))
    return std::string(path.substr(0, last));  // "C:x" -> "C:"
  const bool keep = end == 0 || style.EndsDirectoryPart(path[end - 1]);
  return std::string(path.substr(0, keep ? last : end));
}

bool MatchesMask(std::string_view mask, std::string_view name) {
  if (mask == "*" || mask == "*.*")
    return true;  // the walk's usual mask: every name, without a look at it
  const bool nameHasDot = name.find('.') != std::string_view::npos;
  if (mask.ends_with('.'))
    return !nameHasDot && MatchesWildcards(mask.substr(0, mask.size() - 1), name);
  if (mask.ends_with(".*") && !nameHasDot)
    return MatchesWildcards(mask.substr(0, mask.size() - 2), name);
  return MatchesWildcards(mask, name);
}

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z')
      c = char(c - 'a' + 'A');
  return upper;
}

std::string FolderKey(std::string_view path, const PathStyle& style) {
  while (path.size() > 1 && style.IsSeparator(path.back()))
    path.remove_suffix(1);
  return UpperAscii(path);
}

bool FolderWithin(std::string_view inner, std::string_view outer, const PathStyle& style) {
  return inner.starts_with(outer) &&
         (inner.size() == outer.size() || outer.empty() || style.IsSeparator(outer.back()) ||
          style.IsSeparator(inner[outer.size()]));
}

}  // namespace trasvex
