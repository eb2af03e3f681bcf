// SPDX-License-Identifier: GPL-3.0-or-later
// A stream buffer that writes the program's UTF-8 text to a console window as
// UTF-16 (WriteConsoleW), so that the console shows every character whatever
// its code page. Text for a file or a pipe stays UTF-8 and needs no such
// buffer.
#pragma once

#include <streambuf>
#include <string>

#include "windows/WindowsApi.h"

namespace trasvex {

class WideConsoleBuffer final : public std::streambuf {
 public:
  explicit WideConsoleBuffer(HANDLE console) : console_(console) {}
  WideConsoleBuffer(const WideConsoleBuffer&) = delete;
  WideConsoleBuffer& operator=(const WideConsoleBuffer&) = delete;

  // True when |handle| writes to a console window; false for a file, a pipe,
  // a device such as NUL, or no handle at all.
  static bool IsConsole(HANDLE handle);

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  // Writes the pending text but for a character whose last bytes have not
  // come yet.
  bool Write();

  HANDLE console_;
  std::string pending_;
};

}  // namespace trasvex
