// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution engine's run over the parameter list: goes down its lines
// once, takes each extension line as the masks of the mappings after it,
// checks each mapping line and has a MappingWalk carry it out, and writes
// the summary of the run's counters.
//
// Mappings below the line whose turn it is that touch other trees run
// ahead of their turn, side by side (LinesAhead); what they show waits for
// their turn, so the run shows everything in line order, as one that does
// one line at a time.
//
// It reaches its caller only through RunHost (the walks through LiveShow)
// and the file system only through FileSystem. Everything the caller sees
// happens on the thread that started the run.
//
// Glossary (name: meaning; window label; switch):
//   ProceseCopiado: carry out one mapping, recursively (MappingWalk)
//   RecorraArchivos / RecorraDirectorios: go through the files / folders of
//     one scan of a level (MappingWalk)
//   CopiarArchivo / ListarArchivo: copy a file / add a row to the table
//   AnaliceLinea: tell a mapping line and check its directories
//   Extensiones: take an extension line as the masks that follow
//   InviertaLinea: swap the sides of a mapping line (CambiarBtnClick,
//     "Cambiar")
//   CopyBtnClick: one run over the whole list ("Copiar"; AUTO)
//   subDirs: descend into folders; "SubDirs" = CBrecursivo; NODIRS clears it
//   listado: list instead of copying; "Listado" = CBListado; LIST, LISTALL
//   recientes: only missing or newer files; "Recientes" = CBRecientes; NUEVOS
//   listaCopia: the copy layout of the listing; LISTCOPY
//   Examinados / Hechos / Fallidos: the run's counters, examined, done
//     (copied or listed), failed; the summary "Archs (%d): %d copias, %d
//     fallos."
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run/LinesAhead.h"
#include "run/LiveShow.h"
#include "run/RunHost.h"
#include "run/RunWatch.h"
#include "fs/FileSystem.h"

namespace trasvex {

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

  const RunCounters& Counters() const { return show_.Counters(); }
  // True when the last run was stopped at the request of its host.
  bool Stopped() const { return watch_.Stopped(); }
  const std::vector<std::string>& Extensions() const { return extensions_; }
  bool Running() const { return running_; }

 private:
  // Carries out the mapping of line |read| from |source| into
  // |destination|.
  void Map(const std::string& read, const std::string& source, const std::string& destination);
  // Shows the line of a mapping that begins.
  void ShowLine(const std::string& read);
  // Shows what the mapping of line |line|, which ran ahead, kept, then
  // what it shows until it ends.
  void FollowAhead(int line);
  // Forces to the disk the data of the copies the run made.
  void SyncCopies();
  void FinishRun();

  RunHost& host_;
  FileSystem& fs_;
  std::vector<std::string> extensions_;
  // After a stop no file is examined and no copy begun, and copies in
  // flight are dropped.
  RunWatch watch_{host_};
  LiveShow show_{host_, watch_};
  LinesAhead ahead_{host_, fs_, watch_, show_};
  bool running_ = false;
};

}  // namespace trasvex
