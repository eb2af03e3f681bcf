// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfigCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTabWidget>
#include <QTextBlock>

#include "console/GeneralError.h"
#include "LogoStrs.h"

namespace trasvex {

ConfigCommands::ConfigCommands(QWidget& window, QPlainTextEdit& editor, QTabWidget& pages)
    : window_(window),
      editor_(editor),
      pages_(pages),
      config_(*files_),
      nombreConfig_(LoadLogoStr(SUntitled)) {}

ConfigCommands::Loaded ConfigCommands::Load(const std::string& name) {
  nombreConfig_ = QString::fromStdString(name);
  if (!files_->FileExists(name)) {
    nombreConfig_ = LoadLogoStr(SUntitled);
    return Loaded::kMissing;
  }
  QString text;
  if (!config_.Read(nombreConfig_, text)) {
    GeneralError("Cannot open file " + nombreConfig_);
    return Loaded::kUnreadable;
  }
  editor_.setPlainText(text);
  return Loaded::kRead;
}

void ConfigCommands::SetCaption() { window_.setWindowTitle("Trasvex: " + nombreConfig_); }

void ConfigCommands::GeneralError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                  QString::fromStdString(GeneralErrorText(message.toStdString())),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QString ConfigCommands::ChooseFile(bool save, QString& last) {
  QFileDialog dialog(&window_);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter("All Files (*.*)");
  // "*.*" means every file, those without an extension too; Qt's own
  // dialog, used where the system has none, is told so.
  if (auto* files = dialog.findChild<QFileSystemModel*>())
    files->setNameFilters({"*"});
  dialog.setDefaultSuffix("rtf");
  if (!last.isEmpty())
    dialog.selectFile(last);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  // The dialog writes "/" on every system; the name is shown and kept as the
  // system writes it.
  last = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
  return last;
}

bool ConfigCommands::SaveTo(const QString& name) {
  switch (config_.Write(name, EditorLines())) {
    case ConfigFile::WriteResult::kWritten:
      return true;
    case ConfigFile::WriteResult::kCannotCreate:
      GeneralError("Cannot create file " + name);
      return false;
    case ConfigFile::WriteResult::kWriteError:
      GeneralError("Stream write error");
      return false;
  }
  return false;
}

QStringList ConfigCommands::EditorLines() const {
  QStringList lines;
  for (QTextBlock block = editor_.document()->begin(); block.isValid(); block = block.next())
    lines << block.text();
  return lines;
}

void ConfigCommands::FileNew() {
  nombreConfig_ = LoadLogoStr(SUntitled);
  config_.StartNew();
  editor_.clear();
  SetCaption();
}

void ConfigCommands::FileOpen() {
  const QString name = ChooseFile(false, lastOpened_);
  if (name.isEmpty())
    return;
  QString text;
  if (!config_.Read(name, text)) {
    GeneralError("Cannot open file " + name);
    return;
  }
  editor_.setPlainText(text);
  nombreConfig_ = name;
  if (pages_.currentIndex() == 0)
    editor_.setFocus();
  editor_.setReadOnly(false);
  SetCaption();
}

void ConfigCommands::FileSave() {
  if (nombreConfig_ != LoadLogoStr(SUntitled)) {
    if (SaveTo(nombreConfig_))
      SetCaption();
    return;
  }
  FileSaveAs();
}

void ConfigCommands::FileSaveAs() {
  const QString name = ChooseFile(true, lastSaved_);
  if (name.isEmpty() || !MayOverwrite(name) || !SaveTo(name))
    return;
  nombreConfig_ = name;
  SetCaption();
}

bool ConfigCommands::MayOverwrite(const QString& name) {
  if (!files_->FileExists(name.toStdString()))
    return true;
  QMessageBox confirm(QMessageBox::Question, "Confirm", LoadLogoStr(SOverwrite).replace("%s", name),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  confirm.setTextFormat(Qt::PlainText);
  confirm.setDefaultButton(QMessageBox::Yes);
  confirm.setEscapeButton(QMessageBox::Cancel);
  return confirm.exec() == QMessageBox::Yes;
}

}  // namespace trasvex
