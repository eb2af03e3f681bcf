// SPDX-License-Identifier: GPL-3.0-or-later
// The distribution engine: interprets the parameter list, walks the source
// trees, compares stamps, and copies or lists what qualifies.
//
// It reaches its caller only through RunHost and the file system only
// through FileSystem. The look-ups and copies of a mapping may run on worker
// threads (RunQueue); the walk, every call to RunHost and everything the
// caller sees stay on the thread that started the run, in the order of a
// walk that does one thing at a time.
//
// The life of one file of a copy run:
//   1. RecorraArchivos finds it in a scan (ScanAhead may have made the scan
//      on a worker already) and puts it in a FileBatch with the files beside
//      it; Flush hands the batch to the RunQueue as one step.
//   2. The step's request, LookUp, runs on a worker (WorkerPool) through
//      that worker's FileSystem instance: FileAge of each target.
//   3. The step's effect, Examine, runs on the walk's thread in walk order:
//      it counts the file, tags it (ListingRow::Tag), shows its name, and
//      lists it or picks it for a copy.
//   4. StartCopies hands the picked files to the queue as follow-ups, a few
//      at a time, grouped by their scan (so by their destination folder);
//      CopiarArchivo runs FileSystem::CopyFile on a worker.
//   5. CountCopy runs on the walk's thread in the order the copies started:
//      it counts the copy or shows its failure; Settle tells the batch, and
//      UnsettledFolders, that the file is done. A later scan of that folder
//      (AwaitCopiesInto) waits until its copies have settled.
// A destination folder inside one the run made is made on a worker
// (FolderCreations) while the walk goes on into it; the steps queued inside
// it come after its creation and are dropped when it fails.
// With one worker every request runs at once on the walk's thread, and the
// steps above follow one another file by file.
//
// Glossary (name: meaning; window label; switch):
//   ProceseCopiado: carry out one mapping, recursively
//   RecorraArchivos / RecorraDirectorios: go through the files / folders of
//     one scan of a level
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

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "run/FolderCreations.h"
#include "run/RunHost.h"
#include "run/RunQueue.h"
#include "run/RunWatch.h"
#include "run/ScanAhead.h"
#include "run/UnsettledFolders.h"
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
  ~Distribuidor();

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
  // Carries out one mapping, descending into subdirectories when asked.
  void ProceseCopiado(const std::string& source, const std::string& destination);
  // A stamp as "yyyy/mm/dd hh:nn:ss" with the system's separators.
  std::string FormateeFecha(DosDateTime stamp) const;

  const RunCounters& Counters() const { return counters_; }
  // True when the last run was stopped at the request of its host.
  bool Stopped() const { return watch_.Stopped(); }
  const std::vector<std::string>& Extensions() const { return extensions_; }
  bool Running() const { return running_; }

 private:
  struct FileWork;
  struct FileBatch;
  // One scan that ProceseCopiado makes of a source.
  struct ScanStep {
    std::string pattern;
    unsigned attributeSet;
  };

  // The workers for a mapping into |destination|.
  int Workers(const std::string& destination);
  // Sets up the queue (and the scans ahead, unless the two trees meet) for a
  // mapping from |source| into |destination|.
  void StartMapping(const std::string& source, const std::string& destination);
  void EndMapping();
  // Makes the folder |destination| like |model| for the walk to go into,
  // or finds it there; false, with the failure queued, when it cannot be
  // made. |created| tells whether the run made it (or has a worker make it,
  // whose outcome |made| will hold).
  bool EnterDestination(const std::string& destination, const std::string& model,
                        bool& created, FolderCreations::Made& made);
  std::vector<ScanStep> ScansOf(const std::string& source);
  bool Scan(const std::string& pattern, unsigned attributeSet, std::vector<SearchEntry>& entries);
  // Starts the scans of the subdirectories among |entries| from |next| on,
  // while there is room, and moves |next| past those started.
  void ScanAheadFrom(const std::vector<SearchEntry>& entries, std::size_t& next,
                     const std::string& directory);
  // Each answers false when the directory scanned could not be read to its
  // end.
  bool RecorraArchivos(const std::string& pattern, const std::string& destination,
                       bool emptyDestination = false);
  bool RecorraDirectorios(const std::string& pattern, const std::string& destination);
  // Waits until the copies pending into |directory| or |destination| have
  // settled: a scan sees the files copied before it, a look-up the file
  // copied before it to the same target.
  void AwaitCopiesInto(const std::string& directory, const std::string& destination);
  // Hands the files gathered in |batch| to the queue and empties it.
  void Flush(std::shared_ptr<FileBatch>& batch);
  void LookUp(FileBatch& batch, FileSystem& fileSystem) const;
  // Counts |file|, tags it, and lists it or adds it to |copies|.
  void Examine(const std::shared_ptr<FileBatch>& batch, FileWork& file,
               std::vector<FileWork*>& copies);
  void StartCopies(const std::shared_ptr<FileBatch>& batch, const std::vector<FileWork*>& files);
  // Starts |copies| and waits until every copy started has been counted, so
  // that what comes next comes after them as with one worker.
  void SettleCopiesBefore(const std::shared_ptr<FileBatch>& batch, std::vector<FileWork*>& copies);
  // Copies one file, on whichever thread runs it, and notes the outcome,
  // which CountCopy then counts on the walk's thread.
  void CopiarArchivo(FileSystem& fileSystem, const FileBatch& batch, FileWork& file);
  void CountCopy(FileBatch& batch, const FileWork& file);
  // One file of |batch| has been dealt with.
  void Settle(FileBatch& batch);
  void ListarArchivo(ResultRow cells);
  // Shows a failure; panel 1 names |file| first, when given.
  void Fail(const std::string& message, const std::string& reason = {},
            const std::string& file = {});
  // Fail, in walk order, unless |destination| lies in a folder that could
  // not be made.
  void QueueFailure(const std::string& destination, std::string message,
                    std::string reason = {}, std::string file = {});
  // Reports, in walk order, a folder that a worker could not make.
  void SettleCreation(const FolderCreations::Made& made, const std::string& destination);
  // Why a copy failed, in the words of the system where it gave some.
  std::string ReasonOf(const FileSystem::CopyResult& copy) const;
  void Descend(const std::string& directory, const SearchEntry& entry,
               const std::string& destination);
  std::string Join(const std::string& directory, std::string_view name) const;
  // Forces to the disk the data of the copies the run made.
  void SyncCopies();
  void FinishRun();

  RunHost& host_;
  FileSystem& fs_;
  const char separator_;
  const std::string dateSeparator_;
  const std::string timeSeparator_;
  RunCounters counters_;
  std::vector<std::string> extensions_;
  std::unique_ptr<RunQueue> queue_;
  std::unique_ptr<ScanAhead> scanAhead_;  // null while scans run in walk order
  UnsettledFolders unsettled_;
  long scans_ = 0;  // the file scans of the run so far
  // The folders the run's copies went to, in the order of their first copy.
  std::vector<std::string> copiedInto_;
  // The mapping's destination when it lies in its source.
  std::string ownDestination_;
  // True while the walk is inside a destination folder it made itself (or
  // had a worker make), and the outcome of that folder's creation.
  bool insideCreated_ = false;
  FolderCreations::Made folderMade_ = FolderCreations::Present();
  FolderCreations creations_{fs_.Style()};
  // After a stop no file is examined and no copy begun, and copies in
  // flight are dropped.
  RunWatch watch_{host_};
  bool running_ = false;
};

}  // namespace trasvex
