// SPDX-License-Identifier: GPL-3.0-or-later
// The program's entry. The command line is read here once, as typed, and
// decides between the usage text, the unattended run (without a display, or
// with its output sent to a file or a pipe where the platform honours that)
// and the window, before anything of the window exists.
#include <iostream>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/ConsoleHost.h"
#include "Platform.h"
#include "Usage.h"
#include "fs/FileSystem.h"

#ifdef TRASVEX_WITH_WINDOW
#include "LogoMain.h"
constexpr bool kWindowBuilt = true;
#else
constexpr bool kWindowBuilt = false;  // an unattended run is all it can do
#endif

namespace {

// "--help" and "--version", each only as the sole argument; false for any
// other command line.
bool PrintInformation(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1 || (arguments[0] != "--help" && arguments[0] != "--version"))
    return false;
  trasvex::ConnectStandardStreams();
  if (arguments[0] == "--help")
    std::cout << trasvex::kUsage;
  else
    std::cout << "trasvex " << trasvex::kVersion << '\n';
  std::cout.flush();
  return true;
}

int RunInConsole(const trasvex::CommandLine& commandLine) {
  // Before the streams are connected: it would replace their buffers.
  std::ios::sync_with_stdio(false);
  trasvex::ConnectStandardStreams();
  const auto fileSystem = trasvex::FileSystem::CreateNative();
  return trasvex::ConsoleHost::RunUnattended(commandLine, *fileSystem, std::cout, std::cerr);
}

int NoWindow(const char* why) {
  trasvex::ConnectStandardStreams();
  std::cerr << why << '\n';
  return trasvex::ConsoleHost::kNotRun;
}

}  // namespace

int main(int argc, char** argv) {
  trasvex::CleanUpOnTermination();
  const std::vector<std::string> arguments = trasvex::ProgramArguments(argc, argv);
  if (PrintInformation(arguments))
    return 0;
  const trasvex::CommandLine commandLine = trasvex::CommandLine::Parse(arguments);
  const bool display = kWindowBuilt && trasvex::DisplayAvailable();
  if (commandLine.autoEjecutar && (!display || trasvex::OutputRedirected()))
    return RunInConsole(commandLine);
#ifdef TRASVEX_WITH_WINDOW
  if (!display)
    return NoWindow(trasvex::CommandLine::kNoDisplayText);
  return trasvex::RunWindow(argv[0], arguments);
#else
  return NoWindow("trasvex: this build has no window; \"trasvex CONFIG AUTO\" runs without one");
#endif
}
