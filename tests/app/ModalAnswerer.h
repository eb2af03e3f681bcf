// SPDX-License-Identifier: GPL-3.0-or-later
// Answers every modal box and file dialog that opens while a test waits on
// it, and keeps what each showed: message boxes get the key |key|, file
// dialogs the name |fileName| (or Cancel when it is empty). The box number
// |tickOn| (from 0) has its check box ticked first.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

class ModalAnswerer : public QObject {
 public:
  ModalAnswerer() {
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Answer);
    timer_.start(5);
  }
  struct Seen {
    QString title, text, informative, details;
    QMessageBox::Icon icon;
    QStringList buttons;
    QString defaultButton;
  };
  std::vector<Seen> seen;  // the message boxes
  int dialogs = 0;         // the file dialogs
  Qt::Key key = Qt::Key_Return;
  int tickOn = -1;
  QString fileName;
  std::function<void(QFileDialog*)> inspect;  // looks at each file dialog first

 private:
  void Answer() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == answered_)
      return;  // a key may close its box a moment later: answer once
    answered_ = modal;
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      ++dialogs;
      if (inspect)
        inspect(dialog);
      if (fileName.isEmpty()) {
        dialog->reject();
      } else {
        dialog->selectFile(fileName);
        QMetaObject::invokeMethod(dialog, "accept");
      }
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      QStringList buttons;
      for (QAbstractButton* button : box->buttons())
        buttons << button->text();
      if (int(seen.size()) == tickOn && box->checkBox())
        box->checkBox()->setChecked(true);
      seen.push_back({box->windowTitle(), box->text(), box->informativeText(),
                      box->detailedText(), box->icon(), buttons,
                      box->defaultButton() ? box->defaultButton()->text() : QString()});
      QTest::keyClick(box, key);
    }
  }
  QTimer timer_;
  QPointer<QWidget> answered_;
};
