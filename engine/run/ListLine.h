// SPDX-License-Identifier: GPL-3.0-or-later
// One line of the parameter list as a run takes it: masks, a mapping whose
// source is there, or a mapping that cannot be carried out, with the
// message that tells why.
#pragma once

#include <string>
#include <string_view>

#include "fs/FileSystem.h"

namespace trasvex {

struct ListLine {
  enum class Kind {
    kMasks,      // no mapping: the masks of the mappings after it
    kMapping,    // a mapping to carry out
    kSameSides,  // a mapping whose two sides are one directory
    kNoSource,   // a mapping whose source directory is not there
  };

  Kind kind = Kind::kMasks;
  // A mapping's sides; a source that names a directory ends in a separator.
  std::string destination;
  std::string source;
  // What a mapping that cannot be carried out shows.
  std::string error;

  // |line| (already cut to 255 bytes), its source checked through |fs|.
  static ListLine Read(FileSystem& fs, std::string_view line);
};

}  // namespace trasvex
