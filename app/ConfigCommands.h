// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration commands of the "A&rchivo" menu (new, open, save, save
// as) with their dialogs and boxes, the load at start-up, and the
// configuration name that the window's caption shows.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "ConfigFile.h"
#include "fs/FileSystem.h"

class QPlainTextEdit;
class QTabWidget;
class QWidget;

namespace trasvex {

class ConfigCommands {
 public:
  // What the load at start-up found.
  enum class Loaded { kRead, kMissing, kUnreadable };

  // |editor| holds the parameter list and stands on the first page of
  // |pages|; |window| is the dialogs' parent and shows the caption.
  ConfigCommands(QWidget& window, QPlainTextEdit& editor, QTabWidget& pages);

  // The configuration named on the command line: read into the editor when
  // the file exists; when it does not, the list is "Untitled". A file that
  // cannot be read gets the general error box and keeps its name.
  Loaded Load(const std::string& name);
  void FileNew();
  void FileOpen();
  void FileSave();
  void FileSaveAs();
  // The caption: "Trasvex: " and the configuration's name.
  void SetCaption();

 private:
  // The general error box: stop icon, the application's title, "OK".
  void GeneralError(const QString& message);
  // Shows the open or save dialog starting at |last|; the chosen name, or
  // an empty one when the user cancels.
  QString ChooseFile(bool save, QString& last);
  // True when |name| does not exist or the user lets it be overwritten.
  bool MayOverwrite(const QString& name);
  // Writes the editor's text to |name|; false after an error box.
  bool SaveTo(const QString& name);
  // The editor's lines as its document holds them: unlike its plain text,
  // they keep no-break spaces and line separators.
  QStringList EditorLines() const;

  QWidget& window_;
  QPlainTextEdit& editor_;
  QTabWidget& pages_;
  // The commands' own: a run's instance answers from what it has seen while
  // a mapping runs, and a file saved during a run is news to it.
  std::unique_ptr<FileSystem> files_ = FileSystem::CreateNative();
  ConfigFile config_;
  QString nombreConfig_;
  QString lastOpened_;  // the names last chosen in the two dialogs
  QString lastSaved_;
};

}  // namespace trasvex
