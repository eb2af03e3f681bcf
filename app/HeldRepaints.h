// SPDX-License-Identifier: GPL-3.0-or-later
// While it lives, the repaints and relayouts that the widgets of one window
// ask for are held back; it asks for them again as it ends. Events pumped
// meanwhile (clicks, keys, queued calls) are handled as usual, without the
// cost of laying out and painting the window each time.
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QVector>

class QWidget;

namespace trasvex {

class HeldRepaints : public QObject {
 public:
  explicit HeldRepaints(QWidget* window);
  ~HeldRepaints() override;
  HeldRepaints(const HeldRepaints&) = delete;
  HeldRepaints& operator=(const HeldRepaints&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Asks again for what was held.
  void Release();

  struct Held {
    QPointer<QObject> receiver;
    QEvent::Type type;
  };
  QWidget* window_;
  QVector<Held> held_;
};

}  // namespace trasvex
