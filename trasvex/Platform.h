// SPDX-License-Identifier: GPL-3.0-or-later
// What the entry asks of the platform it runs on, one source file per
// platform (PlatformPosix.cpp, PlatformWindows.cpp).
#pragma once

#include <string>
#include <vector>

namespace trasvex {

// The arguments after the program name, as UTF-8 text.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// True when a window could reach a user; without one, an unattended run
// writes to the standard streams instead of showing message boxes.
bool DisplayAvailable();

// True when the caller sent the standard output or errors to a file or a
// pipe, as a script does: an unattended run then writes there even with a
// display (on Windows; elsewhere the display alone decides).
bool OutputRedirected();

// Makes the standard streams reach the caller's console when the program
// was started without them, and makes std::cout and std::cerr write to a
// console in a form it shows whole; to be called before anything is written,
// and after std::ios::sync_with_stdio(false), which would undo the latter.
void ConnectStandardStreams();

// Makes what ends the program from outside (the signals SIGTERM, SIGINT and
// SIGHUP; a console's Ctrl+C, Ctrl+Break or closing on Windows) remove the
// temporary files of the copies in progress first.
void CleanUpOnTermination();

}  // namespace trasvex
