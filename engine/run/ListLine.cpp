// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/ListLine.h"

#include <optional>

#include "run/ParameterLine.h"

namespace trasvex {

namespace {

constexpr std::size_t kMaxMessagePrefix = 254;

}  // namespace

ListLine ListLine::Read(FileSystem& fs, std::string_view line) {
  const std::optional<ParameterLine::Mapping> mapping = ParameterLine::MappingOf(line);
  if (!mapping)
    return {};
  ListLine read{Kind::kMapping, mapping->destination, mapping->source, {}};
  if (read.destination == read.source) {
    read.kind = Kind::kSameSides;
    read.error = "ERROR: los directorios fuente y destino son iguales!";
  } else if (fs.IsDirectory(read.source)) {
    read.source += fs.Style().separator;
  } else if (!fs.IsDirectory(ParentPath(read.source, fs.Style()))) {
    read.kind = Kind::kNoSource;
    read.error = CutText("ERROR: el directorio " + read.source, kMaxMessagePrefix) + " no existe!";
  }
  return read;
}

}  // namespace trasvex
