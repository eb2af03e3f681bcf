// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRunHost.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <utility>

#include "HeldRepaints.h"
#include "ResultsGridModel.h"

namespace trasvex {

namespace {

// A run pumps events after every status change; processing them at most this
// often keeps the window responsive and lets the panels repaint at a human
// rate instead of once per file.
constexpr qint64 kPumpIntervalMs = 20;

// A box of a run: no icon, the application's title, |text| as it is, and one
// "OK" that both Enter and Esc press.
void SetUpRunBox(QMessageBox& box, const QString& text) {
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
}

}  // namespace

void WindowRunHost::StartRun() {
  stopRequested_ = false;
  hideMessages_ = false;
}

void WindowRunHost::SetStatus(int panel, const std::string& text) {
  newFileShown_ = newFileShown_ || panel != 0;
  parts_.setStatus(panel, text);
}

void WindowRunHost::ShowMessage(const std::string& text, const std::string& reason) {
  ++messagesShown_;
  if (quitRequested_)
    return;  // the application is ending: the box closes at once
  const QString message = QString::fromStdString(text);
  const QString why = QString::fromStdString(reason);
  if (hideMessages_)
    hiddenMessages_ << (why.isEmpty() ? message : message + " (" + why + ")");
  else
    ShowRunMessage(message, why);
}

void WindowRunHost::ShowRunMessage(const QString& text, const QString& reason) {
  QMessageBox box;
  SetUpRunBox(box, text);
  box.setInformativeText(reason);
  // The reason is the system's text: shown as it is, never as markup.
  if (auto* informative = box.findChild<QLabel*>("qt_msgbox_informativelabel"))
    informative->setTextFormat(Qt::PlainText);
  box.setCheckBox(new QCheckBox("No mostrar más errores en esta ejecución"));
  box.exec();
  hideMessages_ = box.checkBox()->isChecked();
}

void WindowRunHost::ShowHiddenMessages() {
  const int hidden = int(hiddenMessages_.size());
  if (hidden == 0 || quitRequested_) {
    hiddenMessages_.clear();
    return;
  }
  QMessageBox box;
  SetUpRunBox(box, hidden == 1 ? QString("No se mostró 1 error más.")
                               : QString("No se mostraron %1 errores más.").arg(hidden));
  box.setDetailedText(hiddenMessages_.join('\n'));
  hiddenMessages_.clear();
  box.exec();
}

void WindowRunHost::ProcessEvents() {
  const bool newFile = std::exchange(newFileShown_, false);
  if (pumpClock_.isValid() && pumpClock_.elapsed() < kPumpIntervalMs) {
    if (newFile)
      ProcessInput();
    return;
  }
  QCoreApplication::processEvents();
  pumpClock_.start();
}

void WindowRunHost::ProcessInput() {
  const HeldRepaints held(parts_.window);
  QCoreApplication::processEvents();
}

RunOptions WindowRunHost::Options() {
  return {parts_.subDirs->isChecked(), parts_.listado->isChecked(), parts_.recientes->isChecked(),
          listaCopia_};
}

void WindowRunHost::Encabezados() { parts_.grid->Encabezados(listaCopia_); }

void WindowRunHost::ListarArchivo(int row, const ResultRow& cells) {
  parts_.grid->ListarArchivo(row, cells);
}

void WindowRunHost::SetRowCount(int rows) { parts_.grid->SetRowCount(rows); }

void WindowRunHost::SetBusy(bool busy) {
  if (busy) {
    pumpClock_.invalidate();  // a run's first pump always processes events
    parts_.speedPanel->setCursor(Qt::WaitCursor);
    parts_.params->viewport()->setCursor(Qt::WaitCursor);
  } else {
    parts_.speedPanel->unsetCursor();
    parts_.params->viewport()->setCursor(Qt::IBeamCursor);
  }
}

int WindowRunHost::LineCount() {
  const QTextDocument* document = parts_.params->document();
  const int blocks = document->blockCount();
  return document->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

std::string WindowRunHost::Line(int index) {
  return parts_.params->document()->findBlockByNumber(index).text().toStdString();
}

void WindowRunHost::SetLine(int index, const std::string& text) {
  const QTextBlock block = parts_.params->document()->findBlockByNumber(index);
  if (!block.isValid())
    return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(QString::fromStdString(text));
}

}  // namespace trasvex
