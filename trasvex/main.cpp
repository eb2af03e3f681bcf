// The program's entry. The unattended run without a display is decided first,
// before anything of the window exists.
#include <iostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ConsoleHost.h"
#include "Platform.h"
#include "fs/FileSystem.h"

#ifdef TRASVEX_WITH_WINDOW
#include "LogoMain.h"
constexpr bool kWindowBuilt = true;
#else
constexpr bool kWindowBuilt = false;  // an unattended run is all it can do
#endif

int main(int argc, char** argv) {
  trasvex::CleanUpOnTermination();
  const trasvex::CommandLine commandLine =
      trasvex::CommandLine::Parse(trasvex::ProgramArguments(argc, argv));
  if (commandLine.autoEjecutar && (!kWindowBuilt || !trasvex::DisplayAvailable())) {
    trasvex::ConnectStandardStreams();
    std::ios::sync_with_stdio(false);
    const auto fileSystem = trasvex::FileSystem::CreateNative();
    return trasvex::ConsoleHost::RunUnattended(commandLine, *fileSystem, std::cout, std::cerr);
  }
#ifdef TRASVEX_WITH_WINDOW
  return trasvex::RunWindow(argc, argv);
#else
  trasvex::ConnectStandardStreams();
  std::cerr << "trasvex: the window is not available in this build\n";
  return trasvex::ConsoleHost::kNotRun;
#endif
}
