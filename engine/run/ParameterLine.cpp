// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ParameterLine.h"

#include "text/PathText.h"

namespace trasvex {

namespace {

std::string MaskOf(std::string_view word) {
  const std::size_t dot = word.find('.');
  const std::string_view prefix = dot == std::string_view::npos ? "*." : dot == 0 ? "*" : "";
  std::string mask;
  mask.reserve(prefix.size() + word.size());
  mask.append(prefix).append(word);
  return mask;
}

}  // namespace

std::optional<ParameterLine::Mapping> ParameterLine::MappingOf(std::string_view line) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos)
    return std::nullopt;
  return Mapping{CutText(Trim(line.substr(0, equals))), CutText(Trim(line.substr(equals + 1)))};
}

std::vector<std::string> ParameterLine::MasksOf(std::string_view line) {
  std::vector<std::string> masks;
  std::string_view rest = Trim(line);
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    masks.push_back(CutText(MaskOf(rest.substr(0, blank))));
    rest = blank == std::string_view::npos ? std::string_view() : Trim(rest.substr(blank + 1));
  }
  return masks;
}

std::string ParameterLine::InviertaLinea(std::string_view line) {
  const std::string cut = CutText(line);
  const std::size_t equals = cut.find('=');
  if (equals == std::string::npos)
    return cut;
  const std::string_view text = cut;
  std::string swapped(Trim(text.substr(equals + 1)));
  swapped += '=';
  swapped += Trim(text.substr(0, equals));
  return CutText(swapped);
}

}  // namespace trasvex
