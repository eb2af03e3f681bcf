// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/LiveShow.h"

namespace trasvex {

void LiveShow::Begin() {
  counters_ = {};
  copiedInto_.clear();
}

RunOptions LiveShow::Options() {
  const RunOptions options = host_.Options();
  published_.Set(options);
  return options;
}

void LiveShow::Copied(const std::string& folder) {
  ++counters_.hechos;
  // Copies come folder by folder: a folder is noted again only when the
  // copies went elsewhere in between.
  if (copiedInto_.empty() || copiedInto_.back() != folder)
    copiedInto_.push_back(folder);
}

// The box about a file comes with the name of its file, which may not be
// the one panel 1 shows last.
void LiveShow::Failure(const std::string& message, const std::string& reason,
                       const std::string& file) {
  ++counters_.fallidos;
  if (!file.empty())
    watch_.Show(file);
  host_.ShowMessage(message, reason);
}

}  // namespace trasvex
