// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: tool-bar panel, parameter editor, results table, status
// bar and menu. It carries out the commands and is the run host through
// which the engine reaches the user.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "ConfigFile.h"
#include "run/Distribuidor.h"
#include "run/RunHost.h"
#include "fs/FileSystem.h"

class QAction;
class QCheckBox;
class QKeySequence;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QTableView;
class QToolButton;

namespace trasvex {

class ResultsGridModel;
class TAboutBox;

// Creates the application, the main window and the About box, shows the
// window and runs the event loop; returns the loop's exit code. |program| is
// the program's name as started, |arguments| the command line after it.
int RunWindow(char* program, const std::vector<std::string>& arguments);

class TLogoAppForm : public QMainWindow, public RunHost {
  Q_OBJECT

 public:
  explicit TLogoAppForm(std::unique_ptr<FileSystem> fileSystem = FileSystem::CreateNative(),
                        QWidget* parent = nullptr);
  ~TLogoAppForm() override;

  // The creation handler, run once after construction: installs the hint
  // handler, reads the command line |arguments| (those after the program
  // name) and loads the configuration; with "AUTO" it performs the run and
  // asks the application to end with exit status 0, or 1 when the run
  // showed a message or was stopped.
  void FormCreate(const std::vector<std::string>& arguments);

  // The box that "&Acerca de..." shows; created once by the caller.
  void SetAboutBox(TAboutBox* aboutBox) { aboutBox_ = aboutBox; }

  // The application's title for an executable file name: cut at its first
  // ".", every letter after the first in lower case ("TRASVEX.EXE" gives
  // "Trasvex").
  static QString ApplicationTitle(const QString& executableName);

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

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // On the first show and each later one asked for: the window kept inside
  // its screen's free area.
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void FileNew();
  void FileOpen();
  void FileSave();
  void FileSaveAs();
  void FileExit();
  void About();
  void CopyBtnClick();
  void CambiarBtnClick();
  // "&Detener" and Esc during a run: asks the run to stop.
  void Detener();
  void SGresultsDblClick();
  // The idle step of the hints: whenever the event loop wakes outside a
  // run's own event pumps, the current hint becomes the hint of the control
  // under the pointer or of its nearest container that has one (only the
  // tool-bar buttons have hints), or the empty text.
  void MouseIdle();
  // Writes the application's current hint into status panel 0; does
  // nothing when the hint has not changed.
  void ShowHint(const QString& hint);

 private:
  // Command line and initial load; false when the configuration exists but
  // cannot be read.
  bool Inicio(const std::vector<std::string>& arguments);
  void SetCaption();
  // The box of a run's message, with the check box that hides the run's
  // later messages.
  void ShowRunMessage(const QString& text, const QString& reason);
  // After a run whose later messages were hidden: one box that counts them
  // and lists them in its details.
  void ShowHiddenMessages();
  // The general error box: stop icon, the application's title, "OK".
  void GeneralError(const QString& message);
  // Shows the open or save dialog starting at |last|; the chosen name, or
  // an empty one when the user cancels.
  QString ChooseFile(bool save, QString& last);
  // Writes the editor's text to |name|; false after an error box.
  bool SaveTo(const QString& name);
  // The editor's lines as its document holds them: unlike its plain text,
  // they keep no-break spaces and line separators.
  QStringList EditorLines() const;

  // Processes the pending events but leaves the window's repaint to the
  // next full pump.
  void ProcessInput();

  void CreateSpeedPanel();
  void CreatePages();
  void AddPage(const char* name, const QString& title, QWidget* content);
  void CreateStatusBar();
  // Shows |text| in status panel |panel| and gives it to screen readers.
  void SetPanelText(int panel, const QString& text);
  void CreateMenu();
  QToolButton* AddButton(const char* name, const char* hint, const char* image, int x);
  // A key that clicks |button| from anywhere in the window, named in its
  // tooltip.
  void AddButtonKey(QToolButton* button, const QKeySequence& key);
  void ApplyGridGeometry();
  // Moves the window, with its frame, into its screen's free area, and
  // shrinks it when it is larger.
  void KeepOnScreen();

  // Components, top to bottom.
  QFrame* SpeedPanel = nullptr;
  QToolButton* OpenBtn = nullptr;
  QToolButton* SaveBtn = nullptr;
  QToolButton* CopyBtn = nullptr;
  QToolButton* CambiarBtn = nullptr;
  QToolButton* ExitBtn = nullptr;
  QCheckBox* CBrecursivo = nullptr;
  QCheckBox* CBListado = nullptr;
  QCheckBox* CBRecientes = nullptr;
  QPlainTextEdit* MExts = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QPlainTextEdit* Mparams = nullptr;
  QTableView* SGresults = nullptr;
  QLabel* statusPanels_[2] = {};
  QAction* DetenerItem = nullptr;  // enabled only during a run

  ResultsGridModel* grid_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  std::unique_ptr<FileSystem> fileSystem_;  // the runs'
  Distribuidor distribuidor_;
  // The file commands' own: a run's instance answers from what it has seen
  // while a mapping runs, and a file saved during a run is news to it.
  std::unique_ptr<FileSystem> files_ = FileSystem::CreateNative();
  ConfigFile config_;
  QString nombreConfig_;
  QString lastOpened_;  // the names last chosen in the two dialogs
  QString lastSaved_;
  bool autoEjecutar_ = false;
  bool listaCopia_ = false;
  int messagesShown_ = 0;
  bool stopRequested_ = false;
  bool hideMessages_ = false;   // the run's later messages are not shown
  QStringList hiddenMessages_;  // each with its reason
  bool newFileShown_ = false;   // panel 1 has named a file since the last pump
  bool quitRequested_ = false;  // the window was closed during a run
  int sortColumn_ = 0;          // column of the grid's selected cell
  QString hint_;
  QElapsedTimer pumpClock_;
};

}  // namespace trasvex
