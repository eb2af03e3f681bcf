// SPDX-License-Identifier: GPL-3.0-or-later
#include "HeldRepaints.h"

#include <QApplication>
#include <QWidget>

namespace trasvex {

HeldRepaints::HeldRepaints(QWidget* window) : window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

HeldRepaints::~HeldRepaints() {
  QCoreApplication::instance()->removeEventFilter(this);
  Release();
}

void HeldRepaints::Release() {
  for (const Held& held : held_)
    if (held.receiver)
      QCoreApplication::postEvent(held.receiver, new QEvent(held.type), Qt::LowEventPriority);
  held_.clear();
}

bool HeldRepaints::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::UpdateRequest && type != QEvent::LayoutRequest)
    return false;
  // A box opened meanwhile waits for the user: the window paints as usual.
  if (QApplication::activeModalWidget()) {
    Release();
    return false;
  }
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != window_)
    return false;
  for (const Held& held : held_)
    if (held.receiver == watched && held.type == type)
      return true;
  held_.push_back({watched, type});
  return true;
}

}  // namespace trasvex
