// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/WideConsoleBuffer.h"

#include <algorithm>

#include "text/Utf8.h"

namespace trasvex {

namespace {

// Pending text is written once it reaches this many bytes, and at most this
// many UTF-16 units go to one call.
constexpr std::size_t kChunk = 4096;

}  // namespace

bool WideConsoleBuffer::IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle && handle != INVALID_HANDLE_VALUE && ::GetFileType(handle) == FILE_TYPE_CHAR &&
         ::GetConsoleMode(handle, &mode);
}

WideConsoleBuffer::int_type WideConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize WideConsoleBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, std::size_t(count));
  return pending_.size() < kChunk || Write() ? count : 0;
}

int WideConsoleBuffer::sync() { return Write() ? 0 : -1; }

bool WideConsoleBuffer::Write() {
  const std::size_t whole = Utf8::WholePrefix(pending_);
  const std::wstring wide = WideText(std::string_view(pending_).substr(0, whole));
  pending_.erase(0, whole);
  for (std::size_t done = 0; done < wide.size();) {
    DWORD written = 0;
    std::size_t units = std::min(wide.size() - done, kChunk);
    if (units > 1 && IS_HIGH_SURROGATE(wide[done + units - 1]))
      --units;  // a pair of surrogates goes in one call
    if (!::WriteConsoleW(console_, wide.data() + done, DWORD(units), &written, nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

}  // namespace trasvex
