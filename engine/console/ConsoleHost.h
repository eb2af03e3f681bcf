// SPDX-License-Identifier: GPL-3.0-or-later
// The run host of an unattended run without a display: messages go to the
// error stream as single lines and the run goes on at once, listing rows go
// to the output stream with their six cells joined by tabs.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "run/RunHost.h"
#include "fs/FileSystem.h"

namespace trasvex {

class ConsoleHost final : public RunHost {
 public:
  // Exit statuses of an unattended run.
  static constexpr int kClean = 0;         // no message was shown
  static constexpr int kMessagesShown = 1;
  static constexpr int kNotRun = 2;        // the configuration could not be read

  ConsoleHost(std::vector<std::string> lines, RunOptions options, std::ostream& out,
              std::ostream& err);

  // Loads the configuration the command line names, performs one run and
  // writes the summary to |err| as the last line.
  static int RunUnattended(const CommandLine& commandLine, FileSystem& fileSystem,
                           std::ostream& out, std::ostream& err);

  // A cell (or a message) with tab, CR and LF written as "\t", "\r" and
  // "\n", so that every row and every message stays one line.
  static std::string EscapeCell(const std::string& cell);

  void SetStatus(int panel, const std::string& text) override;
  // The message, then its reason, if any, in brackets.
  void ShowMessage(const std::string& text, const std::string& reason) override;
  void ProcessEvents() override {}
  RunOptions Options() override { return options_; }
  void Encabezados() override {}
  void ListarArchivo(int row, const ResultRow& cells) override;
  void SetRowCount(int) override {}
  void SetBusy(bool) override {}
  int LineCount() override { return int(lines_.size()); }
  std::string Line(int index) override;
  void SetLine(int index, const std::string& text) override;

  int MessagesShown() const { return messages_; }
  const std::string& Status(int panel) const { return status_[panel == 0 ? 0 : 1]; }

 private:
  std::vector<std::string> lines_;
  RunOptions options_;
  std::ostream& out_;
  std::ostream& err_;
  std::string status_[2];
  int messages_ = 0;
};

}  // namespace trasvex
