// SPDX-License-Identifier: GPL-3.0-or-later
// What a listing run shows of a file: its comparison tag and the six cells
// of its row, in the listing layout or in the copy layout.
#pragma once

#include <cstdint>
#include <string>

#include "fs/SearchEntry.h"
#include "run/RunHost.h"

namespace trasvex {

class ListingRow {
 public:
  // The tag of a source entry against the destination file's stamp,
  // instant and size: '0' no such file, '+' the source is newer, '-' older,
  // '=' the same, and '*' the same time with another size (a copy cut short,
  // as a crash leaves one); the order of the two instants, whatever the
  // local clock did.
  static char Tag(const SearchEntry& source, DosDateTime destination, std::int64_t instant,
                  std::int64_t size);
  // Date (as |date| gives it), directory, name without extension,
  // extension with its dot in upper case, size in KiB and the tag.
  static ResultRow Listed(const SearchEntry& entry, char tag, const std::string& directory,
                          std::string date);
  // "Copy", the source directory followed by "/", the name and the
  // destination directory.
  static ResultRow Copied(const std::string& name, const std::string& directory,
                          const std::string& destination);
};

}  // namespace trasvex
