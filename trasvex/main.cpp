// The program's entry. The unattended run without a display is decided first,
// before anything of the window exists.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ConsoleHost.h"
#include "fs/FileSystem.h"

#ifdef TRASVEX_WITH_WINDOW
#include "LogoMain.h"
#endif

namespace {

bool DisplayAvailable() {
  for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (std::getenv(variable))
      return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const trasvex::CommandLine commandLine = trasvex::CommandLine::Parse(arguments);
  if (commandLine.autoEjecutar && !DisplayAvailable()) {
    std::ios::sync_with_stdio(false);
    const auto fileSystem = trasvex::FileSystem::CreateNative();
    return trasvex::ConsoleHost::RunUnattended(commandLine, *fileSystem, std::cout, std::cerr);
  }
#ifdef TRASVEX_WITH_WINDOW
  return trasvex::RunWindow(argc, argv);
#else
  std::cerr << "trasvex: the window is not available in this build\n";
  return trasvex::ConsoleHost::kNotRun;
#endif
}
