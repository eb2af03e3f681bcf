// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/MappingWalk.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "run/ListingRow.h"
#include "run/MappingTrees.h"

namespace trasvex {

namespace {

const std::string kUnexaminable = "ERROR: No se pudo examinar el archivo ";

// Why a copy left its target as it was.
std::string KeptReason(FileSystem::TargetState target) {
  switch (target) {
    case FileSystem::TargetState::kFolder:
      return "el destino es una carpeta";
    case FileSystem::TargetState::kReadOnly:
      return "el destino es de solo lectura";
    case FileSystem::TargetState::kHidden:
      return "el destino está oculto";
    default:
      return "el destino no es un archivo";
  }
}

std::string CreationFailure(const std::string& folder) {
  return "ERROR: No se ha podido crear el directorio " + folder + ".";
}

}  // namespace

MappingWalk::MappingWalk(FileSystem& fileSystem, RunShow& show, RunWatch& watch,
                         const std::vector<std::string>& extensions, const std::string& source,
                         const std::string& destination)
    : fs_(fileSystem),
      show_(show),
      watch_(watch),
      extensions_(extensions),
      separator_(fileSystem.Style().separator),
      dateSeparator_(fileSystem.DateSeparator()),
      timeSeparator_(fileSystem.TimeSeparator()),
      queue_(fileSystem, Workers(destination), [this] { watch_.Pump(); }),
      ledger_(queue_, fileSystem.Style(),
              {[this](const Batch& batch, File& file) { return Examine(batch, file); },
               [this](FileSystem& fs, const Batch& batch, File& file) {
                 CopiarArchivo(fs, batch, file);
               },
               [this](const Batch& batch, const File& file) { CountCopy(batch, file); },
               [this](const std::string& folder) { return creations_.Dropped(folder); }}) {
  const MappingTrees trees =
      MappingTrees::Of(fs_, ParentPath(source, fs_.Style()), destination);
  // The walk passes over the destination when it comes to it in the source.
  if (trees.destinationInSource)
    ownDestination_ = destination;
  // A source that lies in the destination, or holds it, may gain files and
  // folders from the walk itself: its scans wait for their turn.
  if (queue_.Parallel() && !trees.meet)
    scanAhead_ = std::make_unique<ScanAhead>(queue_);
}

int MappingWalk::Workers(const std::string& destination) {
  if (const std::optional<int> asked = WorkerPool::Asked())
    return *asked;
  return WorkerPool::Unasked(fs_.IsRemote(destination));
}

void MappingWalk::Run(const std::string& source, const std::string& destination) {
  ProceseCopiado(source, destination);
  ledger_.Flush();
  queue_.Drain();
}

void MappingWalk::QueueFailure(const std::string& destination, std::string message,
                               std::string reason, std::string file) {
  ledger_.InOrder(nullptr, [this, destination, message = std::move(message),
                            reason = std::move(reason),
                            file = std::move(file)]() -> WalkLedger::Show {
    if (creations_.Dropped(destination))
      return {};  // the walk was never there
    return [this, message, reason, file] { show_.Failure(message, reason, file); };
  });
}

std::string MappingWalk::ReasonOf(const FileSystem::CopyResult& copy) const {
  switch (copy.end) {
    case FileSystem::CopyEnd::kChanged:
      return "el archivo cambió mientras se copiaba";
    case FileSystem::CopyEnd::kKept:
      return KeptReason(copy.target);
    default:
      return copy.error ? fs_.ErrorText(copy.error) : std::string();
  }
}

bool MappingWalk::EnterDestination(const std::string& destination, const std::string& model,
                                   bool& created, FolderCreations::Made& made) {
  if (insideCreated_ && scanAhead_) {
    // A worker makes a folder inside one this walk made, while the walk
    // goes on into it; a folder the walk comes to again is there, or fails
    // again.
    RunQueue::Work request;
    if (const FolderCreations::Made* earlier = creations_.Earlier(destination)) {
      made = *earlier;
      created = false;
    } else {
      request = FolderCreations::Request(folderMade_, destination, model, made);
      creations_.Started(destination, made);
    }
    ledger_.InOrder(std::move(request), [this, made, destination]() -> WalkLedger::Show {
      // Made, inside a folder that was not, or made by another run meanwhile.
      if (made.get() || creations_.Dropped(ParentPath(destination, fs_.Style())) ||
          fs_.IsDirectory(destination))
        return {};
      creations_.Failed(destination);
      return [this, destination] { show_.Failure(CreationFailure(destination), {}, {}); };
    });
  } else {
    // Inside a folder this walk made it is made without asking first; one
    // that another run made meanwhile is taken as it is.
    const bool missing = insideCreated_ || !fs_.IsDirectory(destination);
    created = missing && fs_.CreateDirectory(destination, model);
    if (missing && !created && !fs_.IsDirectory(destination)) {
      QueueFailure(destination, CreationFailure(destination));
      return false;
    }
  }
  return true;
}

void MappingWalk::ProceseCopiado(const std::string& source, const std::string& destination) {
  if (watch_.Stopping())
    return;
  const std::string sourceDirectory = ParentPath(source, fs_.Style());
  FolderCreations::Made made = FolderCreations::Present();
  bool created = true;
  if (!EnterDestination(destination, sourceDirectory, created, made))
    return;
  const bool outer = std::exchange(insideCreated_, created);
  const FolderCreations::Made outerMade = std::exchange(folderMade_, made);
  // A destination just made holds nothing until its first scan's files come.
  bool empty = created;
  bool complete = true;
  for (const ScanStep& scan : ScansOf(source)) {
    const bool read = scan.attributeSet == kDirectories
                          ? RecorraDirectorios(scan.pattern, destination)
                          : RecorraArchivos(scan.pattern, destination, empty);
    complete = read && complete;
    empty = false;
  }
  insideCreated_ = outer;
  folderMade_ = outerMade;
  if (!complete)
    QueueFailure(destination, "ERROR: No se ha podido leer el directorio " + sourceDirectory + ".");
}

// A source that names a directory (and ends in a separator) is scanned for
// every file, or for each extension and then for its subdirectories.
std::vector<MappingWalk::ScanStep> MappingWalk::ScansOf(const std::string& source) {
  if (source.empty() || source.back() != separator_)
    return {{source, kFilesAndDirectories}};
  if (extensions_.empty())
    return {{source + "*.*", kFilesAndDirectories}};
  std::vector<ScanStep> scans;
  for (const std::string& mask : extensions_)
    scans.push_back({source + mask, kFilesAndDirectories});
  if (show_.Options().subDirs)
    scans.push_back({source + "*.*", kDirectories});
  return scans;
}

bool MappingWalk::Scan(const std::string& pattern, unsigned attributeSet,
                       std::vector<SearchEntry>& entries) {
  return scanAhead_ ? scanAhead_->Scan(fs_, pattern, attributeSet, entries)
                    : fs_.Scan(pattern, attributeSet, entries);
}

void MappingWalk::ScanAheadFrom(const std::vector<SearchEntry>& entries, std::size_t& next,
                                const std::string& directory) {
  if (!scanAhead_)
    return;
  for (; next < entries.size() && scanAhead_->HasRoom(); ++next) {
    const SearchEntry& entry = entries[next];
    if (!entry.IsDirectory() || entry.IsDotOrDotDot() || !show_.Options().subDirs)
      continue;
    for (const ScanStep& scan : ScansOf(Join(directory, entry.name) + separator_))
      scanAhead_->Start(scan.pattern, scan.attributeSet);
  }
}

// The names a scan finds are joined to the directory it actually scanned,
// which is the source directory unless the mask has a directory part. Its
// files go to the ledger, a subdirectory's files after those found before
// it.
bool MappingWalk::RecorraArchivos(const std::string& pattern, const std::string& destination,
                                  bool emptyDestination) {
  const std::string directory = ParentPath(pattern, fs_.Style());
  WalkLedger::Scan scan = ledger_.BeginScan(directory, destination, emptyDestination);
  std::vector<SearchEntry> entries;
  const bool complete = Scan(pattern, kFilesAndDirectories, entries);
  // Two names that differ at most in case may be one file: the second is
  // looked up (and its folder made) once everything before it has been
  // dealt with, so it finds what the first made, as one worker does.
  const bool twinsMatter = queue_.Parallel() || emptyDestination;
  std::unordered_set<std::string> names;
  std::size_t ahead = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SearchEntry& entry = entries[i];
    if (entry.IsDotOrDotDot())
      continue;
    if (twinsMatter && !names.insert(UpperAscii(entry.name)).second)
      ledger_.Drain(scan);
    if (entry.error != 0) {
      QueueFailure(destination, kUnexaminable + Join(directory, entry.name),
                   fs_.ErrorText(entry.error), entry.name);
      continue;
    }
    if (entry.IsDirectory() && show_.Options().subDirs) {
      ledger_.Flush();
      ScanAheadFrom(entries, ahead = std::max(ahead, i), directory);
      Descend(directory, entry, destination);
      continue;
    }
    std::string target = Join(destination, entry.name);
    ledger_.Add(scan, std::move(entry), std::move(target));
  }
  ledger_.Flush();
  return complete;
}

bool MappingWalk::RecorraDirectorios(const std::string& pattern, const std::string& destination) {
  std::vector<SearchEntry> entries;
  const bool complete = Scan(pattern, kDirectories, entries);
  const std::string directory = ParentPath(pattern, fs_.Style());
  std::size_t ahead = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SearchEntry& entry = entries[i];
    if (entry.IsDirectory() && !entry.IsDotOrDotDot() && show_.Options().subDirs) {
      ScanAheadFrom(entries, ahead = std::max(ahead, i), directory);
      Descend(directory, entry, destination);
    }
  }
  return complete;
}

void MappingWalk::Descend(const std::string& directory, const SearchEntry& entry,
                          const std::string& destination) {
  const std::string folder = Join(directory, entry.name);
  if (!ownDestination_.empty() && fs_.SameFolder(folder, ownDestination_))
    return;
  ProceseCopiado(folder + separator_, Join(destination, entry.name));
}

WalkLedger::Decision MappingWalk::Examine(const Batch& batch, File& file) {
  watch_.Pump();
  if (watch_.Stopping())  // no file is examined after a stop
    return {};
  show_.Examined();
  const SearchEntry& entry = file.entry;
  if (file.age == kLookUpFailed) {
    // Neither missing nor present: nothing is listed or copied over it.
    return {false, [this, &file] {
              show_.Failure(kUnexaminable + file.target, fs_.ErrorText(file.error),
                            file.entry.name);
            }};
  }
  const char tag = ListingRow::Tag(entry, file.age, file.instant, file.size);
  const bool qualifies =
      tag == '+' || tag == '0' || tag == '*' || (tag == '-' && !show_.Options().recientes);
  if (!qualifies)
    return {};
  show_.Acting(entry.name);
  const RunOptions options = show_.Options();
  if (!options.listado)
    return {true, {}};
  // A row is numbered after the copies picked before it (in a run whose
  // "Listado" was ticked part of the way), as one worker numbers it.
  return {false, [this, &batch, &entry, tag, options] {
            show_.Row(options.listaCopia
                          ? ListingRow::Copied(entry.name, batch.directory, batch.destination)
                          : ListingRow::Listed(entry, tag, batch.directory,
                                               FormateeFecha(entry.stamp)));
          }};
}

void MappingWalk::CopiarArchivo(FileSystem& fileSystem, const Batch& batch, File& file) {
  if (watch_.Stopped()) {  // a copy not yet begun when the run was stopped is dropped
    file.copy = {FileSystem::CopyEnd::kCancelled, 0};
    return;
  }
  CopyProgress::Copy progress = watch_.Progress().Begin(file.entry.name, file.entry.size);
  const bool walking = watch_.OnWalkThread();
  file.copy = fileSystem.CopyFile(Join(batch.directory, file.entry.name), file.target,
                                  batch.emptyDestination,
                                  [&](std::int64_t copied, std::int64_t) {
                                    progress.Advance(copied);
                                    if (walking)
                                      watch_.Pump();
                                    return !watch_.Stopped();
                                  });
}

void MappingWalk::CountCopy(const Batch& batch, const File& file) {
  if (file.copy.Copied())
    show_.Copied(batch.destination);
  else if (file.copy.end != FileSystem::CopyEnd::kCancelled)
    show_.Failure("ERROR: No se pudo copiar el archivo " + Join(batch.directory, file.entry.name),
                  ReasonOf(file.copy), file.entry.name);
}

std::string MappingWalk::FormateeFecha(DosDateTime stamp) const {
  return FormatDosDateTime(stamp, dateSeparator_, timeSeparator_);
}

std::string MappingWalk::Join(const std::string& directory, std::string_view name) const {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path += directory;
  path += separator_;
  path += name;
  return path;
}

}  // namespace trasvex
