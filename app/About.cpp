// SPDX-License-Identifier: GPL-3.0-or-later
#include "About.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ProgramIcon.h"

namespace trasvex {

namespace {

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& geometry, int pixels) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPixelSize(pixels);
  label->setFont(font);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  setAccessibleName("About");
  setModal(true);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);
  setFixedSize(298, 209);

  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 281, 161);

  auto* icon = new QLabel(panel);
  icon->setPixmap(ProgramIcon().pixmap(32));
  icon->setGeometry(24, 16, 32, 32);
  icon->setAccessibleName("Trasvex");
  AddLabel(panel, "Trasvex", {88, 16, 180, 20}, 16);
  AddLabel(panel, "Version 2.00", {136, 40, 130, 16}, 11);
  const struct {
    const char* text;
    int height;
  } credits[] = {
      {"Taller de Utilidades Trasvex", 20},
      {"Programa: el equipo de Trasvex", 16},
      {"trasvex@example.org", 16},
  };
  int bottom = panel->height() - 8;
  for (auto it = std::rbegin(credits); it != std::rend(credits); ++it) {
    bottom -= it->height;
    AddLabel(panel, it->text, {2, bottom, panel->width() - 4, it->height}, 11)
        ->setAlignment(Qt::AlignCenter);
  }

  auto* ok = new QPushButton("OK", this);
  ok->setGeometry(118, 178, 65, 26);
  ok->setDefault(true);
  ok->setAccessibleName("OK");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event) {
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  QDialog::showEvent(event);
}

}  // namespace trasvex
