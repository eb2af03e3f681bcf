// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Distribuidor.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>
#include <utility>

#include "run/CopyGroups.h"
#include "run/ListingRow.h"
#include "run/MappingTrees.h"
#include "run/ParameterLine.h"

namespace trasvex {

namespace {

constexpr std::size_t kMaxMessagePrefix = 254;
constexpr const char* kStoppedText = "Ejecución detenida por el usuario.";
const std::string kUnexaminable = "ERROR: No se pudo examinar el archivo ";
const std::string kUnsynced = "ERROR: No se pudieron guardar en el disco los datos copiados a ";

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

// Keeps the busy cursor up for the life of a run, whatever ends it.
class BusyCursor {
 public:
  explicit BusyCursor(RunHost& host) : host_(host) { host_.SetBusy(true); }
  ~BusyCursor() { host_.SetBusy(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  RunHost& host_;
};

}  // namespace

// One file of a scan, with what the look-up of its target found and what
// its copy did.
struct Distribuidor::FileWork {
  SearchEntry entry;
  std::string target;
  DosDateTime age = kNoFile;
  std::int64_t instant = 0;
  std::int64_t size = 0;
  int error = 0;  // why the look-up failed
  FileSystem::CopyResult copy;
};

// Files of one scan bound for one folder, in scan order.
struct Distribuidor::FileBatch {
  long scan;                // which scan of the run found them
  std::string directory;    // the folder the scan read
  std::string destination;  // the folder they go to
  bool emptyDestination;    // which holds none of them: no look-ups
  std::vector<FileWork> files;
  std::size_t unsettled = 0;
  bool copiedInto = false;  // one of them has been copied
};

Distribuidor::Distribuidor(RunHost& host, FileSystem& fileSystem)
    : host_(host),
      fs_(fileSystem),
      separator_(fileSystem.Style().separator),
      dateSeparator_(fileSystem.DateSeparator()),
      timeSeparator_(fileSystem.TimeSeparator()),
      queue_(std::make_unique<RunQueue>(fileSystem, 1, nullptr)),
      unsettled_(fileSystem.Style()) {}

Distribuidor::~Distribuidor() = default;

int Distribuidor::Workers(const std::string& destination) {
  if (const std::optional<int> asked = WorkerPool::Asked())
    return *asked;
  return WorkerPool::Unasked(fs_.IsRemote(destination));
}

void Distribuidor::CopyBtnClick() {
  if (running_)
    return;
  running_ = true;
  watch_.Begin();
  counters_ = {};
  extensions_.clear();
  fs_.ReleaseHandles();
  {
    BusyCursor busy(host_);
    if (host_.Options().listado)
      host_.Encabezados();
    const int count = host_.LineCount();
    for (int i = 0; i < count && !watch_.Stopping(); ++i) {
      const std::string read = CutText(host_.Line(i), kMaxLine);
      const std::string line = CutText(read);
      std::string destination, source;
      if (AnaliceLinea(line, destination, source)) {
        host_.SetStatus(0, read);
        host_.ProcessEvents();
        fs_.SetDestinationRoot(destination);
        StartMapping(source, destination);
        ProceseCopiado(source, destination);
        EndMapping();
        fs_.SetDestinationRoot("");  // the next line's paths are the user's
      } else {
        Extensiones(line);
      }
    }
    FinishRun();
  }
  if (watch_.Stopped())
    host_.SetStatus(0, kStoppedText);
  fs_.ReleaseHandles();
  running_ = false;
}

void Distribuidor::StartMapping(const std::string& source, const std::string& destination) {
  queue_ = std::make_unique<RunQueue>(fs_, Workers(destination), [this] { watch_.Pump(); });
  const MappingTrees trees = MappingTrees::Of(fs_, ParentPath(source, fs_.Style()), destination);
  // The walk passes over the destination when it comes to it in the source.
  ownDestination_ = trees.destinationInSource ? destination : std::string();
  // A source that lies in the destination, or holds it, may gain files and
  // folders from the walk itself: its scans wait for their turn.
  if (queue_->Parallel() && !trees.meet)
    scanAhead_ = std::make_unique<ScanAhead>(*queue_);
}

void Distribuidor::EndMapping() {
  queue_->Drain();
  creations_.Clear();
  ownDestination_.clear();
  scanAhead_.reset();
  queue_ = std::make_unique<RunQueue>(fs_, 1, nullptr);
}

// One sync for each file system that the run's copies went to, named by the
// first folder copied into on it.
void Distribuidor::SyncCopies() {
  std::unordered_set<std::string> folders, volumes;
  for (const std::string& folder : copiedInto_) {
    if (!folders.insert(folder).second)
      continue;
    const std::string volume = fs_.VolumeOf(folder);
    if (!volume.empty() && !volumes.insert(volume).second)
      continue;
    if (!fs_.SyncVolume(folder))
      Fail(kUnsynced + folder, fs_.ErrorText(fs_.LastError()));
  }
  copiedInto_.clear();
}

void Distribuidor::FinishRun() {
  SyncCopies();
  const char* format = "Archs (%d): %d copias, %d fallos.";
  if (host_.Options().listado) {
    host_.SetRowCount(std::max(counters_.hechos + 1, 20));
    format = "Archs (%d): %d exitos, %d fallos.";
  }
  char summary[96];
  std::snprintf(summary, sizeof summary, format, counters_.examinados, counters_.hechos,
                counters_.fallidos);
  host_.SetStatus(1, summary);
}

void Distribuidor::CambiarBtnClick() {
  const int count = host_.LineCount();
  for (int i = 0; i < count; ++i)
    host_.SetLine(i, ParameterLine::InviertaLinea(host_.Line(i)));
}

bool Distribuidor::AnaliceLinea(std::string_view line, std::string& destination,
                                std::string& source) {
  const std::optional<ParameterLine::Mapping> mapping = ParameterLine::MappingOf(line);
  if (!mapping)
    return false;
  destination = mapping->destination;
  source = mapping->source;
  if (destination == source) {
    host_.ShowMessage("ERROR: los directorios fuente y destino son iguales!", {});
    return false;
  }
  if (fs_.IsDirectory(source)) {
    source += separator_;
    return true;
  }
  if (fs_.IsDirectory(ParentPath(source, fs_.Style())))
    return true;
  host_.ShowMessage(CutText("ERROR: el directorio " + source, kMaxMessagePrefix) + " no existe!",
                    {});
  return false;
}

void Distribuidor::Extensiones(std::string_view line) {
  extensions_ = ParameterLine::MasksOf(line);
}

// A failure, counted with the failed copies; the box about a file comes with
// the name of its file, which may not be the one panel 1 shows last.
void Distribuidor::Fail(const std::string& message, const std::string& reason,
                        const std::string& file) {
  ++counters_.fallidos;
  if (!file.empty())
    watch_.Show(file);
  host_.ShowMessage(message, reason);
}

void Distribuidor::QueueFailure(const std::string& destination, std::string message,
                               std::string reason, std::string file) {
  queue_->Add(0, nullptr,
              [this, destination, message = std::move(message), reason = std::move(reason),
               file = std::move(file)] {
                if (creations_.Dropped(destination))
                  return;  // the walk was never there
                queue_->SettleAll();  // the copies before it show their failures first
                Fail(message, reason, file);
              });
}

void Distribuidor::SettleCreation(const FolderCreations::Made& made,
                                  const std::string& destination) {
  // Made, inside a folder that was not, or made by another run meanwhile.
  if (made.get() || creations_.Dropped(ParentPath(destination, fs_.Style())) ||
      fs_.IsDirectory(destination))
    return;
  creations_.Failed(destination);
  queue_->SettleAll();
  Fail(CreationFailure(destination));
}

std::string Distribuidor::ReasonOf(const FileSystem::CopyResult& copy) const {
  switch (copy.end) {
    case FileSystem::CopyEnd::kChanged:
      return "el archivo cambió mientras se copiaba";
    case FileSystem::CopyEnd::kKept:
      return KeptReason(copy.target);
    default:
      return copy.error ? fs_.ErrorText(copy.error) : std::string();
  }
}

bool Distribuidor::EnterDestination(const std::string& destination, const std::string& model,
                                   bool& created, FolderCreations::Made& made) {
  if (insideCreated_ && scanAhead_) {
    // A worker makes a folder inside one this run made, while the walk goes
    // on into it; a folder the walk comes to again is there, or fails again.
    RunQueue::Work request;
    if (const FolderCreations::Made* earlier = creations_.Earlier(destination)) {
      made = *earlier;
      created = false;
    } else {
      request = FolderCreations::Request(folderMade_, destination, model, made);
      creations_.Started(destination, made);
    }
    queue_->Add(0, std::move(request),
                [this, made, destination] { SettleCreation(made, destination); });
  } else {
    // Inside a folder this run made it is made without asking first; one
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

void Distribuidor::ProceseCopiado(const std::string& source, const std::string& destination) {
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
std::vector<Distribuidor::ScanStep> Distribuidor::ScansOf(const std::string& source) {
  if (source.empty() || source.back() != separator_)
    return {{source, kFilesAndDirectories}};
  if (extensions_.empty())
    return {{source + "*.*", kFilesAndDirectories}};
  std::vector<ScanStep> scans;
  for (const std::string& mask : extensions_)
    scans.push_back({source + mask, kFilesAndDirectories});
  if (host_.Options().subDirs)
    scans.push_back({source + "*.*", kDirectories});
  return scans;
}

bool Distribuidor::Scan(const std::string& pattern, unsigned attributeSet,
                        std::vector<SearchEntry>& entries) {
  return scanAhead_ ? scanAhead_->Scan(fs_, pattern, attributeSet, entries)
                    : fs_.Scan(pattern, attributeSet, entries);
}

void Distribuidor::ScanAheadFrom(const std::vector<SearchEntry>& entries, std::size_t& next,
                                 const std::string& directory) {
  if (!scanAhead_)
    return;
  for (; next < entries.size() && scanAhead_->HasRoom(); ++next) {
    const SearchEntry& entry = entries[next];
    if (!entry.IsDirectory() || entry.IsDotOrDotDot() || !host_.Options().subDirs)
      continue;
    for (const ScanStep& scan : ScansOf(Join(directory, entry.name) + separator_))
      scanAhead_->Start(scan.pattern, scan.attributeSet);
  }
}

void Distribuidor::AwaitCopiesInto(const std::string& directory,
                                   const std::string& destination) {
  if (unsettled_.Holds(directory) || unsettled_.Holds(destination))
    queue_->Drain();
}

// The names a scan finds are joined to the directory it actually scanned,
// which is the source directory unless the mask has a directory part. Its
// files go to the queue in batches, a subdirectory's files after those
// found before it.
bool Distribuidor::RecorraArchivos(const std::string& pattern, const std::string& destination,
                                   bool emptyDestination) {
  const std::string directory = ParentPath(pattern, fs_.Style());
  AwaitCopiesInto(directory, destination);
  std::vector<SearchEntry> entries;
  const bool complete = Scan(pattern, kFilesAndDirectories, entries);
  const long scan = ++scans_;
  // Two names that differ at most in case may be one file: the second is
  // looked up (and its folder made) once everything before it has been
  // dealt with, so it finds what the first made, as one worker does.
  const bool twinsMatter = queue_->Parallel() || emptyDestination;
  std::unordered_set<std::string> names;
  bool empty = emptyDestination;
  const std::size_t batchFiles = queue_->BatchItems();
  std::shared_ptr<FileBatch> batch;
  std::size_t ahead = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SearchEntry& entry = entries[i];
    if (entry.IsDotOrDotDot())
      continue;
    if (twinsMatter && !names.insert(UpperAscii(entry.name)).second) {
      Flush(batch);
      queue_->Drain();
      empty = false;
    }
    if (entry.error != 0) {
      Flush(batch);
      QueueFailure(destination, kUnexaminable + Join(directory, entry.name),
                   fs_.ErrorText(entry.error), entry.name);
      continue;
    }
    if (entry.IsDirectory() && host_.Options().subDirs) {
      Flush(batch);
      ScanAheadFrom(entries, ahead = std::max(ahead, i), directory);
      Descend(directory, entry, destination);
      continue;
    }
    if (!batch)
      batch = std::make_shared<FileBatch>(FileBatch{scan, directory, destination, empty, {}, 0});
    FileWork& file = batch->files.emplace_back();
    file.target = Join(destination, entry.name);
    file.entry = std::move(entry);
    if (batch->files.size() == batchFiles)
      Flush(batch);
  }
  Flush(batch);
  return complete;
}

bool Distribuidor::RecorraDirectorios(const std::string& pattern,
                                      const std::string& destination) {
  std::vector<SearchEntry> entries;
  const bool complete = Scan(pattern, kDirectories, entries);
  const std::string directory = ParentPath(pattern, fs_.Style());
  std::size_t ahead = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SearchEntry& entry = entries[i];
    if (entry.IsDirectory() && !entry.IsDotOrDotDot() && host_.Options().subDirs) {
      ScanAheadFrom(entries, ahead = std::max(ahead, i), directory);
      Descend(directory, entry, destination);
    }
  }
  return complete;
}

void Distribuidor::Descend(const std::string& directory, const SearchEntry& entry,
                           const std::string& destination) {
  const std::string folder = Join(directory, entry.name);
  if (!ownDestination_.empty() && fs_.SameFolder(folder, ownDestination_))
    return;
  ProceseCopiado(folder + separator_, Join(destination, entry.name));
}

void Distribuidor::Flush(std::shared_ptr<FileBatch>& batch) {
  if (!batch)
    return;
  batch->unsettled = batch->files.size();
  if (queue_->Parallel())
    unsettled_.Add(batch->destination);
  const int items = int(batch->files.size());
  queue_->Add(
      items, [this, batch](FileSystem& fileSystem) { LookUp(*batch, fileSystem); },
      [this, batch] {
        if (creations_.Dropped(batch->destination)) {  // its folder could not be made
          for (std::size_t file = 0; file < batch->files.size(); ++file)
            Settle(*batch);
          return;
        }
        std::vector<FileWork*> copies;
        for (FileWork& file : batch->files)
          Examine(batch, file, copies);
        StartCopies(batch, copies);
      });
  batch.reset();
}

void Distribuidor::LookUp(FileBatch& batch, FileSystem& fileSystem) const {
  if (batch.emptyDestination)
    return;  // every target is missing
  for (FileWork& file : batch.files) {
    file.age = fileSystem.FileAge(file.target, file.instant, file.size);
    if (file.age == kLookUpFailed)
      file.error = fileSystem.LastError();
  }
}

void Distribuidor::Settle(FileBatch& batch) {
  if (--batch.unsettled == 0 && queue_->Parallel())
    unsettled_.Settle(batch.destination);
}

void Distribuidor::Examine(const std::shared_ptr<FileBatch>& batch, FileWork& file,
                           std::vector<FileWork*>& copies) {
  watch_.Pump();
  if (watch_.Stopping()) {  // no file is examined after a stop
    Settle(*batch);
    return;
  }
  ++counters_.examinados;
  const SearchEntry& entry = file.entry;
  if (file.age == kLookUpFailed) {
    // Neither missing nor present: nothing is listed or copied over it.
    SettleCopiesBefore(batch, copies);
    Fail(kUnexaminable + file.target, fs_.ErrorText(file.error), entry.name);
    Settle(*batch);
    return;
  }
  const char tag = ListingRow::Tag(entry, file.age, file.instant, file.size);
  const bool qualifies =
      tag == '+' || tag == '0' || tag == '*' || (tag == '-' && !host_.Options().recientes);
  if (!qualifies) {
    Settle(*batch);
    return;
  }
  watch_.ShowExamined(entry.name);
  const RunOptions options = host_.Options();
  if (!options.listado) {
    copies.push_back(&file);
    return;
  }
  // A row is numbered after the copies picked before it (in a run whose
  // "Listado" was ticked part of the way), as one worker numbers it.
  SettleCopiesBefore(batch, copies);
  if (options.listaCopia)
    ListarArchivo(ListingRow::Copied(entry.name, batch->directory, batch->destination));
  else
    ListarArchivo(ListingRow::Listed(entry, tag, batch->directory, FormateeFecha(entry.stamp)));
  Settle(*batch);
}

void Distribuidor::SettleCopiesBefore(const std::shared_ptr<FileBatch>& batch,
                                      std::vector<FileWork*>& copies) {
  StartCopies(batch, copies);
  copies.clear();
  queue_->SettleAll();
}

// The copies may run on a worker, a few at a time (CopyGroups); they are
// counted on this thread, in the order they were started.
void Distribuidor::StartCopies(const std::shared_ptr<FileBatch>& batch,
                               const std::vector<FileWork*>& files) {
  std::vector<std::int64_t> sizes;
  for (const FileWork* file : files)
    sizes.push_back(file->entry.size);
  auto begin = files.begin();
  for (const std::size_t count : CopyGroups::Of(sizes, queue_->FollowUpItems())) {
    const std::vector<FileWork*> some(begin, begin + std::ptrdiff_t(count));
    begin += std::ptrdiff_t(count);
    queue_->AddFollowUp(
        batch->scan, int(some.size()),
        [this, batch, some](FileSystem& fileSystem) {
          for (FileWork* file : some)
            CopiarArchivo(fileSystem, *batch, *file);
        },
        [this, batch, some] {
          for (const FileWork* file : some)
            CountCopy(*batch, *file);
        });
  }
}

void Distribuidor::CopiarArchivo(FileSystem& fileSystem, const FileBatch& batch,
                                 FileWork& file) {
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

void Distribuidor::CountCopy(FileBatch& batch, const FileWork& file) {
  if (file.copy.Copied()) {
    ++counters_.hechos;
    if (!std::exchange(batch.copiedInto, true))
      copiedInto_.push_back(batch.destination);
  } else if (file.copy.end != FileSystem::CopyEnd::kCancelled) {
    Fail("ERROR: No se pudo copiar el archivo " + Join(batch.directory, file.entry.name),
         ReasonOf(file.copy), file.entry.name);
  }
  Settle(batch);
}

void Distribuidor::ListarArchivo(ResultRow cells) {
  host_.ListarArchivo(++counters_.hechos, cells);
}

std::string Distribuidor::FormateeFecha(DosDateTime stamp) const {
  return FormatDosDateTime(stamp, dateSeparator_, timeSeparator_);
}

std::string Distribuidor::Join(const std::string& directory, std::string_view name) const {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path += directory;
  path += separator_;
  path += name;
  return path;
}

}  // namespace trasvex
