// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "text/DosDateTime.h"

namespace trasvex {

// Attribute bits of a scanned entry.
enum Attribute : unsigned {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kVolumeLabel = 8,
  kDirectory = 16,
  kArchive = 32,
};

// The attribute sets the walk scans with: plain files and directories, and
// directories (files come back too; the caller keeps the directories).
inline constexpr unsigned kFilesAndDirectories = kReadOnly | kDirectory | kArchive;
inline constexpr unsigned kDirectories = kDirectory;

// True when a scan with |attributeSet| leaves out an entry with |attributes|:
// the entry has one of the attributes hidden, system, volume label or
// directory that the set lacks. Read-only and archive never leave one out.
inline bool LeftOutOfScan(unsigned attributes, unsigned attributeSet) {
  constexpr unsigned kFiltered = kHidden | kSystem | kVolumeLabel | kDirectory;
  return (attributes & kFiltered & ~attributeSet) != 0;
}

// An instant for SearchEntry::instant: |seconds| rounded down to an even
// number, so that times within one two-second slot are equal.
inline constexpr std::int64_t InstantOf(std::int64_t seconds) {
  return seconds & ~std::int64_t(1);
}

// One entry that a directory scan returns.
struct SearchEntry {
  std::string name;        // without directory
  std::int64_t size = 0;   // the true size in bytes; 0 for a directory
  unsigned attributes = 0;
  DosDateTime stamp = kNoFile;  // as the listing shows it, in local time
  // The write time on a clock that does not jump (seconds of UTC, rounded
  // down to an even number), which orders two stamps in time also across a
  // change of the local clock.
  std::int64_t instant = 0;
  // The system's error when the entry was listed but could not be examined;
  // the fields above then hold only its name.
  int error = 0;

  bool IsDirectory() const { return attributes & kDirectory; }
  bool IsDotOrDotDot() const { return name == "." || name == ".."; }
};

}  // namespace trasvex
