// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's menu bar and keys: each menu item with its hint and key
// calls the window's command of the same name, and F5 and F6 click the
// "Copiar" and "Cambiar" buttons from anywhere in the window.
#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QString;

namespace trasvex {

class LogoMenu : public QObject {
  Q_OBJECT

 public:
  // Builds the menu bar of |window|, whose slots carry the commands' names
  // ("FileNew", "Detener"...), and its button keys.
  explicit LogoMenu(QMainWindow& window);

  // "&Detener": disabled, so that outside a run Esc is left to the focused
  // control.
  QAction* DetenerItem() const { return detener_; }

 signals:
  // The hint of the menu item highlighted, or the empty text when a menu
  // opens or closes.
  void Hint(const QString& hint);

 private:
  void AddArchivo(QMainWindow& window);
  void AddButtonKeys(QMainWindow& window);

  QAction* detener_ = nullptr;
};

}  // namespace trasvex
