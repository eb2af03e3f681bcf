// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/ConsoleHost.h"

#include "text/ConfigLines.h"
#include "run/Distribuidor.h"
#include "console/GeneralError.h"

namespace trasvex {

ConsoleHost::ConsoleHost(std::vector<std::string> lines, RunOptions options, std::ostream& out,
                         std::ostream& err)
    : lines_(std::move(lines)), options_(options), out_(out), err_(err) {}

int ConsoleHost::RunUnattended(const CommandLine& commandLine, FileSystem& fileSystem,
                               std::ostream& out, std::ostream& err) {
  std::string bytes;
  if (!fileSystem.FileExists(commandLine.nombreConfig) ||
      !fileSystem.ReadWholeFile(commandLine.nombreConfig, bytes)) {
    err << GeneralErrorText("Cannot open file " + commandLine.nombreConfig) << '\n';
    return kNotRun;
  }
  ConsoleHost host(ReadConfigLines(bytes).lines, commandLine.options, out, err);
  Distribuidor engine(host, fileSystem);
  engine.CopyBtnClick();
  out.flush();
  err << host.Status(1) << '\n';
  err.flush();
  return host.MessagesShown() == 0 ? kClean : kMessagesShown;
}

std::string ConsoleHost::EscapeCell(const std::string& cell) {
  if (cell.find_first_of("\t\r\n") == std::string::npos)
    return cell;
  std::string escaped;
  for (const char c : cell) {
    if (c == '\t')
      escaped += "\\t";
    else if (c == '\r')
      escaped += "\\r";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

void ConsoleHost::SetStatus(int panel, const std::string& text) {
  status_[panel == 0 ? 0 : 1] = text;
}

void ConsoleHost::ShowMessage(const std::string& text, const std::string& reason) {
  ++messages_;
  err_ << EscapeCell(text);
  if (!reason.empty())
    err_ << " (" << EscapeCell(reason) << ')';
  err_ << '\n';
}

void ConsoleHost::ListarArchivo(int /*row*/, const ResultRow& cells) {
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0)
      out_ << '\t';
    out_ << EscapeCell(cells[i]);
  }
  out_ << '\n';
}

std::string ConsoleHost::Line(int index) {
  return index >= 0 && index < LineCount() ? lines_[std::size_t(index)] : std::string();
}

void ConsoleHost::SetLine(int index, const std::string& text) {
  if (index >= 0 && index < LineCount())
    lines_[std::size_t(index)] = text;
}

}  // namespace trasvex
