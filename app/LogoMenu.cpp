// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogoMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <cstring>

namespace trasvex {

namespace {

// An action of |window| that calls its slot |command| by name.
void Call(QMainWindow& window, QAction* action, const char* command) {
  QObject::connect(action, &QAction::triggered, &window,
                   [&window, command] { QMetaObject::invokeMethod(&window, command); });
}

}  // namespace

LogoMenu::LogoMenu(QMainWindow& window) : QObject(&window) {
  AddButtonKeys(window);
  QMenuBar* bar = window.menuBar();
  bar->setObjectName("LogoAppMenu");
  bar->setAccessibleName("Menú");
  AddArchivo(window);
  QMenu* ayuda = bar->addMenu("A&yuda");
  Call(window, ayuda->addAction("&Acerca de..."), "About");
  // A menu's title, highlighted as the menu opens, has no hint; neither has
  // a closed menu. The bar's highlight of a title under the pointer, with no
  // menu open, is left to the window's idle step.
  for (QAction* title : bar->actions()) {
    QMenu* menu = title->menu();
    connect(menu, &QMenu::hovered, this, [this](QAction* item) { emit Hint(item->statusTip()); });
    connect(menu, &QMenu::aboutToShow, this, [this] { emit Hint({}); });
    connect(menu, &QMenu::aboutToHide, this, [this] { emit Hint({}); });
  }
}

void LogoMenu::AddArchivo(QMainWindow& window) {
  QMenu* archivo = window.menuBar()->addMenu("A&rchivo");
  const struct {
    const char* text;
    const char* hint;
    QKeySequence key;
    const char* command;
  } items[] = {
      {"&Nueva", "Crear una nueva configuración", QKeySequence::New, "FileNew"},
      {"&Abrir...", "Abrir una configuración", QKeySequence::Open, "FileOpen"},
      {"&Salvar", "Salvar", QKeySequence::Save, "FileSave"},
      {"Salvar &Como...", "Salvar con un nombre diferente", {}, "FileSaveAs"},
      {"&Detener", "Detener la ejecución en curso", Qt::Key_Escape, "Detener"},
      {"&Terminar", "Salir de la aplicación", Qt::ALT | Qt::Key_X, "FileExit"},
  };
  for (const auto& item : items) {
    // The item that ends the program stands last, apart from the others.
    if (std::strcmp(item.command, "FileExit") == 0)
      archivo->addSeparator();
    QAction* action = archivo->addAction(item.text);
    action->setStatusTip(item.hint);
    action->setShortcut(item.key);
    Call(window, action, item.command);
    if (std::strcmp(item.command, "Detener") == 0)
      detener_ = action;
  }
  detener_->setEnabled(false);
}

void LogoMenu::AddButtonKeys(QMainWindow& window) {
  const struct {
    const char* button;
    QKeySequence key;
  } keys[] = {{"CopyBtn", Qt::Key_F5}, {"CambiarBtn", Qt::Key_F6}};
  for (const auto& key : keys) {
    auto* action = new QAction(&window);
    action->setShortcut(key.key);
    window.addAction(action);
    connect(action, &QAction::triggered, window.findChild<QToolButton*>(key.button),
            &QToolButton::click);
  }
}

}  // namespace trasvex
