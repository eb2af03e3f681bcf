// SPDX-License-Identifier: GPL-3.0-or-later
#include "fs/TemporaryName.h"

#include <charconv>

namespace trasvex {

namespace {

constexpr std::string_view kPrefix = ".trasvex-", kSuffix = ".tmp";

// The number that |digits| holds, when it holds nothing but one.
std::optional<unsigned long> Number(std::string_view digits) {
  unsigned long value = 0;
  const char* end = digits.data() + digits.size();
  if (digits.empty() || digits.size() > 9 || digits.front() == '+')
    return std::nullopt;
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  return error == std::errc() && stop == end ? std::optional(value) : std::nullopt;
}

}  // namespace

std::string TemporaryName::Make(unsigned long pid, unsigned counter) {
  std::string name(kPrefix);
  name += std::to_string(pid);
  name += '-';
  name += std::to_string(counter);
  name += kSuffix;
  return name;
}

std::optional<unsigned long> TemporaryName::Owner(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix))
    return std::nullopt;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || !Number(name.substr(dash + 1)))
    return std::nullopt;
  return Number(name.substr(0, dash));
}

}  // namespace trasvex
