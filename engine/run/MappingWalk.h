// SPDX-License-Identifier: GPL-3.0-or-later
// The walk of one mapping: makes sure each destination folder exists, scans
// the source for the files the extension list asks for, compares each with
// its counterpart in the destination, and copies or lists those that
// qualify, descending into subdirectories when asked.
//
// It shows and counts only through RunShow, and reaches the file system
// only through FileSystem. Its look-ups and copies may run on worker
// threads (RunQueue); WalkLedger keeps what it shows in the order of a walk
// that does one thing at a time.
//
// The life of one file of a copy run:
//   1. RecorraArchivos finds it in a scan (ScanAhead may have made the scan
//      on a worker already) and adds it to the ledger, which hands the
//      files of a scan to the queue a batch at a time.
//   2. A worker (WorkerPool) looks its target up through its own
//      FileSystem instance.
//   3. Examine, on the walk's thread in walk order, counts it, tags it
//      (ListingRow::Tag), shows its name, and lists it or picks it for a
//      copy.
//   4. The ledger hands the picked files to the workers a few at a time;
//      CopiarArchivo runs FileSystem::CopyFile on a worker.
//   5. CountCopy, on the walk's thread in the order the copies started,
//      counts the copy or shows its failure.
// A destination folder inside one the walk made is made on a worker
// (FolderCreations) while the walk goes on into it; the steps queued inside
// it are dropped when it fails.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "run/FolderCreations.h"
#include "run/RunQueue.h"
#include "run/RunShow.h"
#include "run/RunWatch.h"
#include "run/ScanAhead.h"
#include "run/WalkLedger.h"
#include "fs/FileSystem.h"

namespace trasvex {

class MappingWalk {
 public:
  // A walk from |source| into |destination| (as the mapping line resolves
  // them) that scans for |extensions|.
  MappingWalk(FileSystem& fileSystem, RunShow& show, RunWatch& watch,
              const std::vector<std::string>& extensions, const std::string& source,
              const std::string& destination);
  MappingWalk(const MappingWalk&) = delete;
  MappingWalk& operator=(const MappingWalk&) = delete;

  // Carries out the mapping, then waits for everything it handed out.
  void Run(const std::string& source, const std::string& destination);

  // Carries out one level of the mapping, descending into subdirectories
  // when asked.
  void ProceseCopiado(const std::string& source, const std::string& destination);
  // A stamp as "yyyy/mm/dd hh:nn:ss" with the system's separators.
  std::string FormateeFecha(DosDateTime stamp) const;

 private:
  using File = WalkLedger::File;
  using Batch = WalkLedger::Batch;
  // One scan that ProceseCopiado makes of a source.
  struct ScanStep {
    std::string pattern;
    unsigned attributeSet;
  };

  // The workers for a mapping into |destination|.
  int Workers(const std::string& destination);
  // Makes the folder |destination| like |model| for the walk to go into,
  // or finds it there; false, with the failure queued, when it cannot be
  // made. |created| tells whether the walk made it (or has a worker make it,
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
  void Descend(const std::string& directory, const SearchEntry& entry,
               const std::string& destination);
  // Counts |file|, tags it, and lists it or picks it for a copy.
  WalkLedger::Decision Examine(const Batch& batch, File& file);
  // Copies one file, on whichever thread runs it, and notes the outcome,
  // which CountCopy then counts on the walk's thread.
  void CopiarArchivo(FileSystem& fileSystem, const Batch& batch, File& file);
  void CountCopy(const Batch& batch, const File& file);
  // A failure shown in walk order, unless |destination| lies in a folder
  // that could not be made.
  void QueueFailure(const std::string& destination, std::string message,
                    std::string reason = {}, std::string file = {});
  // Why a copy failed, in the words of the system where it gave some.
  std::string ReasonOf(const FileSystem::CopyResult& copy) const;
  std::string Join(const std::string& directory, std::string_view name) const;

  FileSystem& fs_;
  RunShow& show_;
  RunWatch& watch_;
  const std::vector<std::string>& extensions_;
  const char separator_;
  const std::string dateSeparator_;
  const std::string timeSeparator_;
  RunQueue queue_;
  std::unique_ptr<ScanAhead> scanAhead_;  // null while scans run in walk order
  FolderCreations creations_{fs_.Style()};
  WalkLedger ledger_;
  // The mapping's destination when it lies in its source.
  std::string ownDestination_;
  // True while the walk is inside a destination folder it made itself (or
  // had a worker make), and the outcome of that folder's creation.
  bool insideCreated_ = false;
  FolderCreations::Made folderMade_ = FolderCreations::Present();
};

}  // namespace trasvex
