// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of a run: the run host through which the engine reaches
// the main window's status panels, check boxes, results table and parameter
// editor, shows the run's message boxes and keeps the window answering.
#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <string>
#include <utility>

#include "run/RunHost.h"

class QCheckBox;
class QPlainTextEdit;
class QWidget;

namespace trasvex {

class ResultsGridModel;

class WindowRunHost : public RunHost {
 public:
  // The parts of the window that a run reads and writes.
  struct Parts {
    QWidget* window;  // whose repaints wait while input is processed
    QWidget* speedPanel;
    QPlainTextEdit* params;
    QCheckBox* subDirs;
    QCheckBox* listado;
    QCheckBox* recientes;
    ResultsGridModel* grid;
    // Writes the text of status panel 0 or 1.
    std::function<void(int panel, const std::string& text)> setStatus;
  };

  explicit WindowRunHost(Parts parts) : parts_(std::move(parts)) {}

  // Before a run: no stop asked for, every message shown.
  void StartRun();
  // After a run whose later messages were hidden: one box that counts them
  // and lists them in its details.
  void ShowHiddenMessages();
  void RequestStop() { stopRequested_ = true; }
  // The window was closed during a run: the application is ending, and the
  // run's later boxes close at once.
  void RequestQuit() { quitRequested_ = true; }
  bool QuitRequested() const { return quitRequested_; }
  // The messages of every run so far, those not shown included.
  int MessagesShown() const { return messagesShown_; }
  // The list-copy layout of the results table, set once at start-up.
  void SetListaCopia(bool listaCopia) { listaCopia_ = listaCopia; }

  void SetStatus(int panel, const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& reason) override;
  // Processes the pending window events at most every few hundredths of a
  // second; events already waiting when panel 1 has named a new file are
  // always processed, so a click takes effect from that file on.
  void ProcessEvents() override;
  bool StopRequested() override { return stopRequested_; }
  RunOptions Options() override;
  void Encabezados() override;
  void ListarArchivo(int row, const ResultRow& cells) override;
  void SetRowCount(int rows) override;
  void SetBusy(bool busy) override;
  int LineCount() override;
  std::string Line(int index) override;
  void SetLine(int index, const std::string& text) override;

 private:
  // The box of a run's message, with the check box that hides the run's
  // later messages.
  void ShowRunMessage(const QString& text, const QString& reason);
  // Processes the pending events but leaves the window's repaint to the
  // next full pump.
  void ProcessInput();

  Parts parts_;
  bool listaCopia_ = false;
  int messagesShown_ = 0;
  bool stopRequested_ = false;
  bool hideMessages_ = false;   // the run's later messages are not shown
  QStringList hiddenMessages_;  // each with its reason
  bool newFileShown_ = false;   // panel 1 has named a file since the last pump
  bool quitRequested_ = false;
  QElapsedTimer pumpClock_;
};

}  // namespace trasvex
