// SPDX-License-Identifier: GPL-3.0-or-later
// What a walk shows, shown at once through the run's host, and counted in
// the run's counters.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "run/RunShow.h"
#include "run/RunWatch.h"
#include "run/SharedOptions.h"

namespace trasvex {

// What a run did: files examined, files copied (rows listed in a listing
// run) and failures: copies, and directories that could not be read or
// created.
struct RunCounters {
  int examinados = 0;
  int hechos = 0;
  int fallidos = 0;
};

class LiveShow : public RunShow {
 public:
  LiveShow(RunHost& host, RunWatch& watch) : host_(host), watch_(watch) {}

  // A run begins: nothing counted, nothing copied.
  void Begin();
  const RunCounters& Counters() const { return counters_; }
  // The folders copied into since the run began, each at least once, in
  // the order of their first copy; emptied by the call.
  std::vector<std::string> TakeCopiedFolders() { return std::move(copiedInto_); }

  // The options as the host last gave them, for the walks that cannot ask
  // it.
  SharedOptions& Published() { return published_; }

  // Asks the host, and publishes the answer.
  RunOptions Options() override;
  void Examined() override { ++counters_.examinados; }
  void Acting(const std::string& name) override { watch_.ShowExamined(name); }
  void Copied(const std::string& folder) override;
  void Row(const ResultRow& cells) override { host_.ListarArchivo(++counters_.hechos, cells); }
  void Failure(const std::string& message, const std::string& reason,
               const std::string& file) override;

 private:
  RunHost& host_;
  RunWatch& watch_;
  RunCounters counters_;
  std::vector<std::string> copiedInto_;
  SharedOptions published_;
};

}  // namespace trasvex
