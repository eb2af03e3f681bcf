// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "console/WideConsoleBuffer.h"
#include "fs/TemporaryCleanup.h"
#include "windows/WindowsApi.h"

#include <shellapi.h>

namespace trasvex {

namespace {

bool WindowStationVisible() {
  USEROBJECTFLAGS flags{};
  const HWINSTA station = ::GetProcessWindowStation();
  return station &&
         ::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
         (flags.dwFlags & WSF_VISIBLE);
}

bool Usable(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

// A stream that reaches a console window writes UTF-16 to it, which shows
// every character; one that reaches a file or a pipe keeps writing UTF-8.
void WriteWideToConsole(std::ostream& stream, std::FILE* file) {
  const int descriptor = _fileno(file);  // negative when there is none
  const HANDLE handle = descriptor >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(descriptor))
                                        : INVALID_HANDLE_VALUE;
  // The buffer stays to the end: the streams are flushed after every static
  // object is gone.
  if (WideConsoleBuffer::IsConsole(handle))
    stream.rdbuf(new WideConsoleBuffer(handle));
}

}  // namespace

// argv holds the arguments in the system code page: names outside it would
// arrive as '?'. The wide command line holds them whole.
std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide && i < count; ++i)
    arguments.push_back(Utf8Text(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

// A process of a window station that is not visible (a scheduled task that
// runs whether or not the user is logged on, a service) has no user to
// answer a message box.
bool DisplayAvailable() { return std::getenv("QT_QPA_PLATFORM") || WindowStationVisible(); }

// A program started from Explorer or the Start menu has no standard handles;
// one started from a console without redirection has the console's.
bool OutputRedirected() {
  for (const DWORD stream : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE handle = ::GetStdHandle(stream);
    const DWORD type = Usable(handle) ? ::GetFileType(handle) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE)
      return true;
  }
  return false;
}

// A window program gets standard handles only when its caller redirected
// them; the missing ones are taken from the caller's console, if it has one.
void ConnectStandardStreams() {
  const bool outMissing = !Usable(::GetStdHandle(STD_OUTPUT_HANDLE));
  const bool errMissing = !Usable(::GetStdHandle(STD_ERROR_HANDLE));
  if ((outMissing || errMissing) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (outMissing)
      std::freopen("CONOUT$", "w", stdout);
    if (errMissing)
      std::freopen("CONOUT$", "w", stderr);
  }
  WriteWideToConsole(std::cout, stdout);
  WriteWideToConsole(std::cerr, stderr);
}

// On Windows the console's Ctrl+C, Ctrl+Break and the closing of its window.
void CleanUpOnTermination() { TemporaryCleanup::Install(); }

}  // namespace trasvex
