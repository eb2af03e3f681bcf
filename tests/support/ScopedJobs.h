// SPDX-License-Identifier: GPL-3.0-or-later
// TRASVEX_JOBS set for the life of the object, then as it was.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace trasvex::test {

class ScopedJobs {
 public:
  explicit ScopedJobs(const char* jobs) {
    if (const char* before = std::getenv("TRASVEX_JOBS"))
      before_ = before;
    Set(jobs);
  }
  ~ScopedJobs() { Set(before_ ? before_->c_str() : ""); }
  ScopedJobs(const ScopedJobs&) = delete;
  ScopedJobs& operator=(const ScopedJobs&) = delete;

 private:
  static void Set(const char* jobs) {
#ifdef _WIN32
    _putenv_s("TRASVEX_JOBS", jobs);
#else
    *jobs ? ::setenv("TRASVEX_JOBS", jobs, 1) : ::unsetenv("TRASVEX_JOBS");
#endif
  }

  std::optional<std::string> before_;
};

}  // namespace trasvex::test
