// SPDX-License-Identifier: GPL-3.0-or-later
// The line grammar over a small tree in the working folder: AnaliceLinea
// (which looks directories up), Extensiones and InviertaLinea, with what
// each promises about the texts it gives back.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "run/Distribuidor.h"
#include "run/ParameterLine.h"
#include "FuzzCheck.h"
#include "RecordingHost.h"

namespace {

struct Engine {
  trasvex::test::RecordingHost host;
  std::unique_ptr<trasvex::FileSystem> fs = trasvex::FileSystem::CreateNative();
  trasvex::Distribuidor distribuidor{host, *fs};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (const char* directory : {"arbol", "arbol/datos", "arbol/datos/sub", "arbol/copia"})
    ::mkdir(directory, 0755);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Engine engine;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string line = trasvex::CutText(input);

  engine.host.messages.clear();
  std::string destination, source;
  const bool accepted = engine.distribuidor.AnaliceLinea(line, destination, source);
  FUZZ_CHECK(engine.host.messages.size() <= 1);
  if (line.find('=') == std::string::npos)
    FUZZ_CHECK(!accepted && engine.host.messages.empty());
  if (accepted) {
    FUZZ_CHECK(destination.size() <= trasvex::kMaxText && source.size() <= trasvex::kMaxText);
    // The sides differ as written; the separator added to a directory
    // source may make them equal ('//=/' gives '//' and '//').
    FUZZ_CHECK(engine.host.messages.empty());
  }

  engine.distribuidor.Extensiones(line);
  for (const std::string& mask : engine.distribuidor.Extensions())
    FUZZ_CHECK(!mask.empty() && mask.size() <= trasvex::kMaxText &&
               mask.find(' ') == std::string::npos);

  const std::string swapped = trasvex::ParameterLine::InviertaLinea(input);
  FUZZ_CHECK(swapped.size() <= trasvex::kMaxText);
  if (line.find('=') == std::string::npos)
    FUZZ_CHECK(swapped == line);
  return 0;
}
