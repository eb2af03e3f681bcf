// SPDX-License-Identifier: GPL-3.0-or-later
// Where the main window opens and how sharp its icon is, on a small screen
// at double scale: natively on the offscreen platform's 1280x800 screen
// (small-screen.json), under Wine on the caller's display.
#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "LogoMain.h"
#include "WindowPlacement.h"

class TestWindowPlacement : public QObject {
  Q_OBJECT

 private slots:
  void placeInside_data();
  void placeInside();
  void windowOpensInsideItsScreen();
  void iconHasAPictureForEveryScale();
};

void TestWindowPlacement::placeInside_data() {
  QTest::addColumn<QRect>("wanted");
  QTest::addColumn<QRect>("available");
  QTest::addColumn<QRect>("placed");
  const QRect screen(0, 0, 640, 400);
  QTest::newRow("inside: kept") << QRect(10, 20, 300, 200) << screen << QRect(10, 20, 300, 200);
  QTest::newRow("the whole area: kept") << screen << screen << screen;
  QTest::newRow("past the right: moved left")
      << QRect(500, 20, 300, 200) << screen << QRect(340, 20, 300, 200);
  QTest::newRow("past the bottom: moved up")
      << QRect(10, 300, 300, 200) << screen << QRect(10, 200, 300, 200);
  QTest::newRow("above and left: moved in")
      << QRect(-50, -10, 300, 200) << screen << QRect(0, 0, 300, 200);
  QTest::newRow("taller: shrunk and moved")
      << QRect(246, 280, 575, 410) << screen << QRect(65, 0, 575, 400);
  QTest::newRow("larger both ways: the whole area")
      << QRect(100, 100, 900, 700) << screen << screen;
  QTest::newRow("second screen below a task bar")
      << QRect(1000, 0, 300, 200) << QRect(1280, 32, 1024, 736) << QRect(1280, 32, 300, 200);
  QTest::newRow("no screen: kept") << QRect(5, 5, 10, 10) << QRect() << QRect(5, 5, 10, 10);
}

void TestWindowPlacement::placeInside() {
  QFETCH(QRect, wanted);
  QFETCH(QRect, available);
  QFETCH(QRect, placed);
  QCOMPARE(trasvex::PlaceInside(wanted, available), placed);
}

void TestWindowPlacement::windowOpensInsideItsScreen() {
  trasvex::TLogoAppForm form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCOMPARE(form.devicePixelRatio(), 2.0);
  const QRect available = form.screen()->availableGeometry();
  if (QGuiApplication::platformName() == "offscreen")  // too small for the designed size
    QCOMPARE(available.size(), QSize(640, 400));
  QVERIFY2(available.contains(form.frameGeometry()),
           qPrintable(QString("window %1,%2 %3x%4 on %5x%6")
                          .arg(form.x())
                          .arg(form.y())
                          .arg(form.frameGeometry().width())
                          .arg(form.frameGeometry().height())
                          .arg(available.width())
                          .arg(available.height())));
}

void TestWindowPlacement::iconHasAPictureForEveryScale() {
  // At 200 % a 32-pixel icon is drawn from the 64-pixel picture.
  for (const int size : {16, 24, 32, 48, 64, 128, 256})
    QCOMPARE(QImage(QString(":/icons/trasvex-%1.png").arg(size)).size(), QSize(size, size));
}

int main(int argc, char** argv) {
  // The scale of a 200 % display, set here: Wine passes no QT_ variable on.
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication application(argc, argv);
  TestWindowPlacement test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "tst_windowplacement.moc"
