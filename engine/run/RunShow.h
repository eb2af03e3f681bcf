// SPDX-License-Identifier: GPL-3.0-or-later
// What a mapping's walk shows and counts, and the options it reads: the one
// seam between the walk and its run's host. LiveShow passes everything on
// to the host as it comes.
#pragma once

#include <string>

#include "run/RunHost.h"

namespace trasvex {

class RunShow {
 public:
  virtual ~RunShow() = default;

  // The options as they stand at the moment of the call.
  virtual RunOptions Options() = 0;
  // A file examined.
  virtual void Examined() = 0;
  // Panel 1 names |name|, a file the walk acts on.
  virtual void Acting(const std::string& name) = 0;
  // A file copied into the folder |folder|.
  virtual void Copied(const std::string& folder) = 0;
  // A row of a listing, numbered by the rows and copies before it.
  virtual void Row(const ResultRow& cells) = 0;
  // A failure, shown with |reason| (the system's words, if any); panel 1
  // names |file| first, when given.
  virtual void Failure(const std::string& message, const std::string& reason,
                       const std::string& file) = 0;
};

}  // namespace trasvex
