// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: tool-bar panel, parameter editor, results table, status
// bar and menu. It lays them out, shows the hints and carries out the
// commands; its run host, its configuration commands and its menu are
// classes of their own.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "WindowRunHost.h"
#include "fs/FileSystem.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;

namespace trasvex {

class ConfigCommands;
class Distribuidor;
class ResultsGridModel;
class ResultsGridView;
class TAboutBox;

// Creates the application, the main window and the About box, shows the
// window and runs the event loop; returns the loop's exit code. |program| is
// the program's name as started, |arguments| the command line after it.
int RunWindow(char* program, const std::vector<std::string>& arguments);

class TLogoAppForm : public QMainWindow {
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

  // Writes |text| into status panel 0, or panel 1 for any other |panel|;
  // a run's status texts arrive here.
  virtual void SetStatus(int panel, const std::string& text);
  // The run host through which the window's runs reach it.
  WindowRunHost& Host() { return *host_; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // On the first show and each later one asked for: the window kept inside
  // its screen's free area.
  void showEvent(QShowEvent* event) override;

 private slots:
  // The commands, by the names the menu calls them; the four configuration
  // commands are ConfigCommands' own.
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

  void CreateSpeedPanel();
  void CreatePages();
  void AddPage(const char* name, const QString& title, QWidget* content);
  void CreateStatusBar();
  // Shows |text| in status panel |panel| and gives it to screen readers.
  void SetPanelText(int panel, const QString& text);
  QToolButton* AddButton(const char* name, const char* hint, const char* image, int x);
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
  ResultsGridView* SGresults = nullptr;
  QLabel* statusPanels_[2] = {};
  QAction* DetenerItem = nullptr;  // enabled only during a run

  ResultsGridModel* grid_ = nullptr;
  TAboutBox* aboutBox_ = nullptr;
  std::unique_ptr<FileSystem> fileSystem_;  // the runs'
  std::unique_ptr<WindowRunHost> host_;
  std::unique_ptr<Distribuidor> distribuidor_;
  std::unique_ptr<ConfigCommands> commands_;
  bool autoEjecutar_ = false;
  QString hint_;
};

}  // namespace trasvex
