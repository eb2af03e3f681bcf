// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ListingRow.h"

#include <cinttypes>
#include <cstdio>

#include "text/PathText.h"

namespace trasvex {

namespace {

// The size in KiB, halves rounded away from zero, right-aligned in six
// places and followed by "K".
std::string SizeText(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%6" PRId64 "K", (bytes + 512) / 1024);
  return text;
}

}  // namespace

char ListingRow::Tag(const SearchEntry& source, DosDateTime destination, std::int64_t instant,
                     std::int64_t size) {
  if (destination == kNoFile)
    return '0';
  if (source.instant == instant)
    return source.size == size ? '=' : '*';
  return source.instant > instant ? '+' : '-';
}

ResultRow ListingRow::Listed(const SearchEntry& entry, char tag, const std::string& directory,
                             std::string date) {
  const std::size_t dot = entry.name.rfind('.');
  const std::string_view name = entry.name;
  const std::string_view extension = dot == std::string::npos ? "" : name.substr(dot);
  return {std::move(date),           directory,          std::string(name.substr(0, dot)),
          UpperAscii(extension),     SizeText(entry.size), std::string("  ") + tag};
}

ResultRow ListingRow::Copied(const std::string& name, const std::string& directory,
                             const std::string& destination) {
  return {"Copy", directory + "/", name, destination, "", ""};
}

}  // namespace trasvex
