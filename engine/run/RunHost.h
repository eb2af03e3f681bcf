// SPDX-License-Identifier: GPL-3.0-or-later
// The operations through which a run reaches its caller: the window, or the
// console when the program runs unattended without a display.
#pragma once

#include <array>
#include <string>

namespace trasvex {

// The flags a run reads at their point of use.
struct RunOptions {
  bool subDirs = true;      // descend into subdirectories ("SubDirs")
  bool listado = false;     // list instead of copying ("Listado")
  bool recientes = false;   // never replace a newer destination file ("Recientes")
  bool listaCopia = false;  // the list-copy layout of the results table

  friend bool operator==(const RunOptions&, const RunOptions&) = default;
};

// The six texts of one results row.
using ResultRow = std::array<std::string, 6>;

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Status bar: panel 0 shows the mapping line, panel 1 files and the summary.
  virtual void SetStatus(int panel, const std::string& text) = 0;
  // Shows a modal message with one "OK" button and returns when it closes.
  // |reason|, when not empty, is why the file system failed, in its words.
  virtual void ShowMessage(const std::string& text, const std::string& reason) = 0;
  // Processes the pending window events, then returns. A run calls it after
  // the status text of each mapping and of each file it acts on.
  virtual void ProcessEvents() = 0;
  // Pumps the window's events while a run waits for its workers or copies a
  // large file, every few hundredths of a second; ProcessEvents by default.
  virtual void KeepAlive() { ProcessEvents(); }
  // True once the person at the window has asked the run in progress to
  // stop; read after each ProcessEvents.
  virtual bool StopRequested() { return false; }
  // The options as they stand at the moment of the call.
  virtual RunOptions Options() = 0;

  // Results table: reset to the layout the options select (Encabezados),
  // write data row |row| (numbered from 1), and set the number of rows.
  virtual void Encabezados() = 0;
  virtual void ListarArchivo(int row, const ResultRow& cells) = 0;
  virtual void SetRowCount(int rows) = 0;

  // The busy cursor over the tool-bar panel and the parameter editor.
  virtual void SetBusy(bool busy) = 0;

  // The lines of the parameter editor.
  virtual int LineCount() = 0;
  virtual std::string Line(int index) = 0;
  virtual void SetLine(int index, const std::string& text) = 0;
};

}  // namespace trasvex
