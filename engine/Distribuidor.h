// The distribution engine: interprets the parameter list, walks the source
// trees, compares stamps, and copies or lists what qualifies.
//
// It reaches its caller only through RunHost and the file system only
// through FileSystem.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "RunHost.h"
#include "fs/FileSystem.h"

namespace trasvex {

// What a run did: files examined, files copied (rows listed in a listing
// run) and failures: copies, and directories that could not be read or
// created.
struct RunCounters {
  int examinados = 0;
  int hechos = 0;
  int fallidos = 0;
};

class Distribuidor {
 public:
  Distribuidor(RunHost& host, FileSystem& fileSystem);

  // One run over the whole parameter list. A request made while a run is in
  // progress (from an event the run pumped) is ignored.
  void CopyBtnClick();
  // Swaps the two sides of every mapping line of the parameter list.
  void CambiarBtnClick();

  // Decides whether |line| (already cut to 255 bytes) is a mapping and
  // validates it; may show one error message.
  bool AnaliceLinea(std::string_view line, std::string& destination, std::string& source);
  // Rebuilds the extension list from an extension line.
  void Extensiones(std::string_view line);
  // The swapped form of one parameter line.
  static std::string InviertaLinea(std::string_view line);
  // Carries out one mapping, descending into subdirectories when asked.
  void ProceseCopiado(const std::string& source, const std::string& destination);
  // A stamp as "yyyy/mm/dd hh:nn:ss" with the system's separators.
  std::string FormateeFecha(DosDateTime stamp) const;

  const RunCounters& Counters() const { return counters_; }
  const std::vector<std::string>& Extensions() const { return extensions_; }
  bool Running() const { return running_; }

 private:
  // Each answers false when the directory scanned could not be read to its
  // end.
  bool RecorraArchivos(const std::string& pattern, const std::string& destination);
  bool RecorraDirectorios(const std::string& pattern, const std::string& destination);
  void ExamineFile(const SearchEntry& entry, const std::string& directory,
                   const std::string& destination);
  void CopiarArchivo(const std::string& source, const std::string& destination);
  void ListarArchivo(ResultRow cells);
  void Fail(const std::string& message);
  void Descend(const std::string& directory, const SearchEntry& entry,
               const std::string& destination);
  std::string Join(const std::string& directory, std::string_view name) const;
  void FinishRun();

  RunHost& host_;
  FileSystem& fs_;
  const char separator_;
  const std::string dateSeparator_;
  const std::string timeSeparator_;
  RunCounters counters_;
  std::vector<std::string> extensions_;
  bool running_ = false;
};

}  // namespace trasvex
