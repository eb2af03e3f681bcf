// SPDX-License-Identifier: GPL-3.0-or-later
// The names of the temporary files that copies write before they replace
// their target: ".trasvex-PID-N.tmp", hidden on every system, made unique by
// the process id and a counter that the run's instances share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace trasvex {

class TemporaryName {
 public:
  // How many names a copy tries before it gives up on a folder.
  static constexpr int kAttempts = 100;

  // The name of number |counter| of process |pid|.
  static std::string Make(unsigned long pid, unsigned counter);
  // The process that made |name|, or nothing when |name| is not such a name.
  static std::optional<unsigned long> Owner(std::string_view name);
};

}  // namespace trasvex
