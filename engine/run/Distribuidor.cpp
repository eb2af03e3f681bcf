// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/Distribuidor.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "run/MappingWalk.h"
#include "run/ParameterLine.h"

namespace trasvex {

namespace {

constexpr const char* kStoppedText = "Ejecución detenida por el usuario.";
const std::string kUnsynced = "ERROR: No se pudieron guardar en el disco los datos copiados a ";

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

Distribuidor::Distribuidor(RunHost& host, FileSystem& fileSystem)
    : host_(host), fs_(fileSystem) {}

void Distribuidor::CopyBtnClick() {
  if (running_)
    return;
  running_ = true;
  watch_.Begin();
  show_.Begin();
  extensions_.clear();
  fs_.ReleaseHandles();
  {
    BusyCursor busy(host_);
    if (host_.Options().listado)
      host_.Encabezados();
    const int count = host_.LineCount();
    ahead_.Begin();
    for (int i = 0; i < count && !watch_.Stopping(); ++i) {
      if (ahead_.Of(i)) {
        ahead_.StartBelow(i);
        FollowAhead(i);
        continue;
      }
      const std::string read = CutText(host_.Line(i), kMaxLine);
      const std::string line = CutText(read);
      std::string destination, source;
      const bool mapping = AnaliceLinea(line, destination, source);
      ahead_.Taken(i, mapping ? ListLine{ListLine::Kind::kMapping, destination, source, {}}
                              : ListLine{});
      ahead_.StartBelow(i);
      if (mapping)
        Map(read, source, destination);
      else
        Extensiones(line);
    }
    // After a stop, what the mappings ahead did before it is shown too.
    for (int line : ahead_.Started())
      FollowAhead(line);
    ahead_.End();
    FinishRun();
  }
  if (watch_.Stopped())
    host_.SetStatus(0, kStoppedText);
  fs_.ReleaseHandles();
  running_ = false;
}

void Distribuidor::ShowLine(const std::string& read) {
  host_.SetStatus(0, read);
  host_.ProcessEvents();
}

void Distribuidor::Map(const std::string& read, const std::string& source,
                       const std::string& destination) {
  ShowLine(read);
  fs_.SetDestinationRoot(destination);
  MappingWalk(fs_, show_, watch_, extensions_, source, destination).Run(source, destination);
  fs_.SetDestinationRoot("");  // the next line's paths are the user's
}

void Distribuidor::FollowAhead(int line) {
  ShowLine(ahead_.Text(line));
  ahead_.Of(line)->Follow(show_, [this] {
    show_.Options();  // the walk ahead reads the options the host gives now
    watch_.Pump();
  });
  ahead_.Done(line);
}

// One sync for each file system that the run's copies went to, named by the
// first folder copied into on it.
void Distribuidor::SyncCopies() {
  std::unordered_set<std::string> folders, volumes;
  for (const std::string& folder : show_.TakeCopiedFolders()) {
    if (!folders.insert(folder).second)
      continue;
    const std::string volume = fs_.VolumeOf(folder);
    if (!volume.empty() && !volumes.insert(volume).second)
      continue;
    if (!fs_.SyncVolume(folder))
      show_.Failure(kUnsynced + folder, fs_.ErrorText(fs_.LastError()), {});
  }
}

void Distribuidor::FinishRun() {
  SyncCopies();
  const RunCounters& counters = show_.Counters();
  const char* format = "Archs (%d): %d copias, %d fallos.";
  if (host_.Options().listado) {
    host_.SetRowCount(std::max(counters.hechos + 1, 20));
    format = "Archs (%d): %d exitos, %d fallos.";
  }
  char summary[96];
  std::snprintf(summary, sizeof summary, format, counters.examinados, counters.hechos,
                counters.fallidos);
  host_.SetStatus(1, summary);
}

void Distribuidor::CambiarBtnClick() {
  const int count = host_.LineCount();
  for (int i = 0; i < count; ++i)
    host_.SetLine(i, ParameterLine::InviertaLinea(host_.Line(i)));
}

bool Distribuidor::AnaliceLinea(std::string_view line, std::string& destination,
                                std::string& source) {
  ListLine read = ListLine::Read(fs_, line);
  if (!read.error.empty())
    host_.ShowMessage(read.error, {});
  destination = std::move(read.destination);
  source = std::move(read.source);
  return read.kind == ListLine::Kind::kMapping;
}

void Distribuidor::Extensiones(std::string_view line) {
  extensions_ = ParameterLine::MasksOf(line);
}

}  // namespace trasvex
