// SPDX-License-Identifier: GPL-3.0-or-later
// The About box: product name, version and credits, created once at start-up
// and shown again each time it is asked for.
#pragma once

#include <QDialog>

class QKeyEvent;

namespace trasvex {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

 protected:
  // Esc does nothing; Enter presses "OK".
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

}  // namespace trasvex
