// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it, on the offscreen platform.
#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

#include "About.h"
#include "LogoMain.h"
#include "ModalAnswerer.h"
#include "ScopedJobs.h"
#include "TempTree.h"

using trasvex::TLogoAppForm;
using trasvex::test::ScopedJobs;
using trasvex::test::TempTree;

// The window, telling the test each file name that panel 1 shows.
class WatchedForm : public TLogoAppForm {
 public:
  void SetStatus(int panel, const std::string& text) override {
    TLogoAppForm::SetStatus(panel, text);
    if (panel == 1 && onFile && !text.starts_with("Archs ("))
      onFile(QString::fromStdString(text));
  }
  std::function<void(const QString&)> onFile;
};


class TestLogoMain : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void layoutFollowsTheDesign();
  void everyControlHasAnAccessibleName();
  void applicationTitleComesFromTheExecutableName();
  void listingRunThroughCopiarFillsTableAndStatusBar();
  void checkBoxChangedBetweenRunsTakesEffect();
  void doubleClickSortsByTheSelectedColumn();
  void messageBoxesHaveTheTitleAndOneOkThatEnterAndEscPress();
  void cambiarSwapsTheLines();
  void hintsReachPanelZero();
  void duringARunHintsChangeOnlyWhileABoxWaits();
  void copiarDuringARunIsIgnored();
  void altXDuringARunEndsTheProgramAfterTheRun();
  void altXOutsideARunClosesAtOnce();
  void escAndDetenerStopARun();
  void tickedBoxHidesTheRunsLaterMessagesAndListsThem();
  void checkBoxClickedDuringAListingCountsFromItsFile();
  void keysReachTheCommands();
  void menuItemsWithoutKeysReachTheirCommands();
  void saveAsTwiceToANewNameDuringARunAsksTheSecondTime();
  void aboutBoxClosesWithEnterNotEsc();
  void screenshot();
  void benchmarkListing();

 private:
  template <typename T>
  T* Find(const char* name) {
    T* found = form_->findChild<T*>(name);
    if (!found)
      qFatal("no component %s", name);
    return found;
  }
  QString Panel(int panel) { return Find<QLabel>(panel ? "StatusPanel1" : "StatusPanel0")->text(); }
  QAbstractItemModel* Grid() { return Find<QTableView>("SGresults")->model(); }
  QString Cell(int row, int column) { return Grid()->index(row - 1, column).data().toString(); }
  // Writes |lines| into the editor, "@" standing for the tree's root.
  void SetParams(const QStringList& lines) {
    QString text = lines.join('\n');
    text.replace('@', QString::fromStdString(tree_->Root()));
    Find<QPlainTextEdit>("Mparams")->setPlainText(text);
  }
  void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
  QAction* ArchivoItem(const QString& text) {
    for (QAction* item : form_->menuBar()->actions().first()->menu()->actions())
      if (item->text() == text)
        return item;
    return nullptr;
  }
  QAction* Detener() { return ArchivoItem("&Detener"); }
  // Adds |count| files of |size| bytes to |folder|: f001.txt, f002.txt...
  void AddFiles(const char* folder, int count, int size) {
    for (int i = 1; i <= count; ++i)
      tree_->Add(QString("%1/f%2.txt 2020-01-02 10:00:00 %3").arg(folder).arg(i, 3, 10, QChar('0'))
                     .arg(size).toStdString());
  }

  std::unique_ptr<TempTree> tree_;
  std::unique_ptr<WatchedForm> form_;
  std::unique_ptr<ModalAnswerer> boxes_;  // no test waits on a box forever
};

void TestLogoMain::init() {
  tree_ = std::make_unique<TempTree>(std::vector<std::string>{
      "src/b.txt 2020-01-02 10:00:00 1536", "src/A.doc 2021-05-06 07:08:10 10",
      "src/sub/c.txt 2019-12-31 23:59:58 3", "dst/"});
  boxes_ = std::make_unique<ModalAnswerer>();
  form_ = std::make_unique<WatchedForm>();
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestLogoMain::cleanup() {
  form_.reset();
  boxes_.reset();
  tree_.reset();
}

void TestLogoMain::layoutFollowsTheDesign() {
  QCOMPARE(form_->windowTitle(), QString("Trasvex"));
  QCOMPARE(form_->size(), QSize(575, 410));
  const struct {
    const char* name;
    int x;
  } buttons[] = {{"OpenBtn", 10}, {"SaveBtn", 42}, {"CopyBtn", 74}, {"CambiarBtn", 106}, {"ExitBtn", 138}};
  for (const auto& b : buttons)
    QCOMPARE(Find<QToolButton>(b.name)->geometry(), QRect(b.x, 3, 25, 25));
  const struct {
    const char* name;
    const char* text;
    QRect geometry;
    bool ticked;
  } boxes[] = {{"CBrecursivo", "SubDirs", {184, 8, 73, 17}, true},
               {"CBListado", "Listado", {276, 8, 73, 17}, false},
               {"CBRecientes", "Recientes", {368, 8, 89, 17}, false}};
  for (const auto& b : boxes) {
    auto* box = Find<QCheckBox>(b.name);
    QCOMPARE(box->text(), QString(b.text));
    QCOMPARE(box->geometry(), b.geometry);
    QCOMPARE(box->isChecked(), b.ticked);
  }
  QCOMPARE(Find<QWidget>("SpeedPanel")->height(), 30);
  QVERIFY(!Find<QPlainTextEdit>("MExts")->isVisible());
  auto* pages = Find<QTabWidget>("PageControl1");
  QCOMPARE(pages->count(), 2);
  QCOMPARE(pages->tabText(0), QString("Parámetros"));
  QCOMPARE(pages->tabText(1), QString("Resultado"));
  QCOMPARE(pages->currentIndex(), 0);
  QCOMPARE(Find<QStatusBar>("StatusBar")->height(), 19);
  QCOMPARE(Find<QLabel>("StatusPanel0")->width(), 240);
  QCOMPARE(Find<QLabel>("StatusPanel1")->x(), Find<QLabel>("StatusPanel0")->geometry().right() + 3);
  const QStringList menus = {"A&rchivo", "A&yuda"};
  QStringList titles;
  for (QAction* action : form_->menuBar()->actions())
    titles << action->text();
  QCOMPARE(titles, menus);
  // The item that ends the program comes last, after a separator.
  QStringList items;
  for (QAction* action : form_->menuBar()->actions().first()->menu()->actions())
    items << (action->isSeparator() ? "-" : action->text());
  QCOMPARE(items, QStringList({"&Nueva", "&Abrir...", "&Salvar", "Salvar &Como...", "&Detener", "-",
                               "&Terminar"}));
  // The table before its first reset.
  auto* grid = Find<QTableView>("SGresults");
  QCOMPARE(Grid()->rowCount(), 99);
  QCOMPARE(grid->horizontalHeader()->sectionSize(1), 238);
  QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 24);
  QCOMPARE(grid->font().pixelSize(), 11);
  QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TestLogoMain::everyControlHasAnAccessibleName() {
  auto accessible = [](QWidget* widget, QAccessible::Text text) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(text) : QString();
  };
  for (QWidget* widget : form_->findChildren<QWidget*>()) {
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith("qt_"))
      continue;
    QVERIFY2(!accessible(widget, QAccessible::Name).isEmpty(), qPrintable(name));
  }
  QCOMPARE(accessible(Find<QToolButton>("CambiarBtn"), QAccessible::Name), QString("Cambiar"));
  // A screen reader reads what the status panels show.
  SetParams({"@/dst = @/src"});
  Click("CopyBtn");
  for (const char* panel : {"StatusPanel0", "StatusPanel1"}) {
    auto* label = Find<QLabel>(panel);
    QVERIFY(!label->text().isEmpty());
    QCOMPARE(accessible(label, QAccessible::Name), label->text());
    QVERIFY(!accessible(label, QAccessible::Description).isEmpty());
  }
}

void TestLogoMain::applicationTitleComesFromTheExecutableName() {
  QCOMPARE(TLogoAppForm::ApplicationTitle("C:/Programas/TRASVEX.EXE"), QString("Trasvex"));
  QCOMPARE(TLogoAppForm::ApplicationTitle("/usr/bin/trasvex"), QString("trasvex"));
  QCOMPARE(TLogoAppForm::ApplicationTitle("Mi.Prog.exe"), QString("Mi"));
}

void TestLogoMain::listingRunThroughCopiarFillsTableAndStatusBar() {
  Find<QCheckBox>("CBListado")->setChecked(true);
  SetParams({"txt doc", "@/dst = @/src"});
  Click("CopyBtn");
  QCOMPARE(Panel(1), QString("Archs (3): 3 exitos, 0 fallos."));
  QCOMPARE(Panel(0), QString::fromStdString(tree_->Root()) + "/dst = " +
                         QString::fromStdString(tree_->Root()) + "/src");
  QCOMPARE(Grid()->rowCount(), 19);  // 20 rows, the header row included
  QCOMPARE(Grid()->headerData(2, Qt::Horizontal).toString(), QString("   Nombre "));
  QStringList names;
  for (int row = 1; row <= 3; ++row)
    names << Cell(row, 2) + Cell(row, 3);
  names.sort();
  QCOMPARE(names, QStringList({"A.DOC", "b.TXT", "c.TXT"}));
  QVERIFY(!tree_->Exists("dst/b.txt"));  // a listing copies nothing
  QCOMPARE(Find<QPlainTextEdit>("MExts")->toPlainText(), QString("*.txt\n*.doc"));
  QCOMPARE(Find<QTabWidget>("PageControl1")->currentIndex(), 0);
}

void TestLogoMain::checkBoxChangedBetweenRunsTakesEffect() {
  SetParams({"txt doc", "@/dst = @/src"});
  Find<QCheckBox>("CBrecursivo")->setChecked(false);
  Click("CopyBtn");
  QCOMPARE(Panel(1), QString("Archs (2): 2 copias, 0 fallos."));
  QVERIFY(tree_->Exists("dst/b.txt"));
  QVERIFY(!tree_->Exists("dst/sub"));
  Find<QCheckBox>("CBrecursivo")->setChecked(true);
  Click("CopyBtn");
  QCOMPARE(Panel(1), QString("Archs (3): 1 copias, 0 fallos."));
  QVERIFY(tree_->Exists("dst/sub/c.txt"));
  QVERIFY(boxes_->seen.empty());
}

void TestLogoMain::doubleClickSortsByTheSelectedColumn() {
  Find<QCheckBox>("CBListado")->setChecked(true);
  SetParams({"@/dst = @/src"});
  Click("CopyBtn");
  Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
  auto* grid = Find<QTableView>("SGresults");
  auto cellCenter = [&](int row, int column) {
    return grid->visualRect(Grid()->index(row - 1, column)).center();
  };
  // Until a cell is selected the sort uses column 0: oldest first.
  QTest::mouseDClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                     {grid->horizontalHeader()->sectionPosition(2) + 5, 5});
  QCOMPARE(Cell(1, 2) + Cell(2, 2) + Cell(3, 2), QString("cbA"));
  // The first click selects a name cell, the double-click sorts by name.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(2, 2));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCenter(2, 2));
  QCOMPARE(Cell(1, 2) + Cell(2, 2) + Cell(3, 2), QString("Abc"));
  QCOMPARE(Cell(1, 3), QString(".DOC"));
}

void TestLogoMain::messageBoxesHaveTheTitleAndOneOkThatEnterAndEscPress() {
  QCoreApplication::setApplicationName("Trasvex");
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    ModalAnswerer& answerer = *boxes_;
    answerer.seen.clear();
    answerer.key = key;
    const QString same = QString::fromStdString(tree_->Path("x"));
    const QString missing = QString::fromStdString(tree_->Path("falta/x"));
    SetParams({same + " = " + same, QString::fromStdString(tree_->Path("dst")) + " = " + missing});
    Click("CopyBtn");
    QCOMPARE(answerer.seen.size(), std::size_t(2));
    QCOMPARE(answerer.seen[0].text, QString("ERROR: los directorios fuente y destino son iguales!"));
    QCOMPARE(answerer.seen[1].text, "ERROR: el directorio " + missing + " no existe!");
    QCOMPARE(answerer.seen[0].title, QString("Trasvex"));
    QCOMPARE(answerer.seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(answerer.seen[0].buttons, QStringList({"OK"}));
    QCOMPARE(Panel(1), QString("Archs (0): 0 copias, 0 fallos."));
  }
}

void TestLogoMain::cambiarSwapsTheLines() {
  Find<QPlainTextEdit>("Mparams")->setPlainText("txt doc\nD:\\copia = C:\\datos\n");
  Click("CambiarBtn");
  QCOMPARE(Find<QPlainTextEdit>("Mparams")->toPlainText(), QString("txt doc\nC:\\datos=D:\\copia\n"));
  QCOMPARE(form_->Host().LineCount(), 2);
}

void TestLogoMain::hintsReachPanelZero() {
  QTest::mouseMove(Find<QToolButton>("CopyBtn"));
  QTRY_COMPARE(Panel(0), QString("Copiar"));
  QCOMPARE(Find<QToolButton>("CopyBtn")->toolTip(), QString("Copiar"));
  QTest::mouseMove(Find<QPlainTextEdit>("Mparams")->viewport());
  QTRY_COMPARE(Panel(0), QString());
  QTest::mouseMove(Find<QToolButton>("ExitBtn"));
  QTRY_COMPARE(Panel(0), QString("Salir"));
  // Menu titles none, items each its hint, "&Acerca de..." none, and none
  // once closed.
  QMenuBar* bar = form_->menuBar();
  auto openMenu = [bar](int index) {
    QAction* title = bar->actions()[index];
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
    return title->menu();
  };
  QMenu* archivo = openMenu(0);
  QCOMPARE(Panel(0), QString());
  QVERIFY(QTest::qWaitForWindowExposed(archivo));
  QTest::mouseMove(archivo, archivo->actionGeometry(archivo->actions()[3]).center());
  QTRY_COMPARE(Panel(0), QString("Salvar con un nombre diferente"));
  QTest::qWait(50);  // idle steps, with the pointer on the open menu
  QCOMPARE(Panel(0), QString("Salvar con un nombre diferente"));
  QMenu* ayuda = openMenu(1);
  QVERIFY(QTest::qWaitForWindowExposed(ayuda));
  QTest::mouseMove(ayuda, ayuda->actionGeometry(ayuda->actions()[0]).center());
  QTRY_COMPARE(Panel(0), QString());
  archivo = openMenu(0);
  QTest::mouseMove(archivo, archivo->actionGeometry(ArchivoItem("&Terminar")).center());
  QTRY_COMPARE(Panel(0), QString("Salir de la aplicación"));
  archivo->hide();
  QTRY_COMPARE(Panel(0), QString());
  // A status text written by a run stays while the pointer moves between
  // places without a hint.
  form_->SetStatus(0, "linea");
  QTest::mouseMove(Find<QCheckBox>("CBListado"));
  QTest::qWait(20);
  QCOMPARE(Panel(0), QString("linea"));
}

void TestLogoMain::duringARunHintsChangeOnlyWhileABoxWaits() {
  // The run's own event pumps leave panel 0 to the run...
  QTest::mouseMove(Find<QPlainTextEdit>("Mparams")->viewport());
  SetParams({"@/dst = @/src"});
  QString before, after;
  QTimer::singleShot(0, this, [&] {
    before = Panel(0);
    QTest::mouseMove(Find<QToolButton>("OpenBtn"));
    QCoreApplication::processEvents();
    after = Panel(0);
  });
  Click("CopyBtn");
  QCOMPARE(after, before);
  QTRY_COMPARE(Panel(0), QString("Abrir"));  // and the loop's idle time shows it
  // ...while an error box waits, the pointer's place gives the hint; the box
  // itself has none.
  boxes_.reset();
  form_->move(0, 0);  // clear of the box in the screen's middle
  QWidget* editor = Find<QPlainTextEdit>("Mparams")->viewport();
  QWidget* cambiar = Find<QToolButton>("CambiarBtn");
  const QPoint places[] = {cambiar->mapToGlobal(cambiar->rect().center()),
                           editor->mapToGlobal(QPoint(10, 10)), cambiar->mapToGlobal(QPoint(5, 5))};
  QStringList seen;
  int moves = 0;
  bool covered = false;
  QTimer steps;
  connect(&steps, &QTimer::timeout, this, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
      return;
    if (moves > 0)
      seen << Panel(0);
    if (moves == 4) {
      QTest::keyClick(box, Qt::Key_Return);
      return;
    }
    for (const QPoint& place : places)
      covered = covered || box->frameGeometry().contains(place);
    QCursor::setPos(moves < 3 ? places[moves] : box->mapToGlobal(box->rect().center()));
    ++moves;
  });
  steps.start(50);
  SetParams({"@/x = @/x"});
  Click("CopyBtn");
  QVERIFY(!covered);
  QCOMPARE(seen, QStringList({"Cambiar", "", "Cambiar", ""}));
}

void TestLogoMain::copiarDuringARunIsIgnored() {
  SetParams({"@/dst = @/src"});
  int clicks = 0;
  Qt::CursorShape busy = Qt::ArrowCursor;
  QTimer::singleShot(0, this, [&] {
    ++clicks;
    busy = Find<QWidget>("SpeedPanel")->cursor().shape();
    Click("CopyBtn");
  });
  Click("CopyBtn");
  QCOMPARE(clicks, 1);
  QCOMPARE(busy, Qt::WaitCursor);  // over the panel while the run went on
  QCOMPARE(Find<QWidget>("SpeedPanel")->cursor().shape(), Qt::ArrowCursor);
  QCOMPARE(Find<QPlainTextEdit>("Mparams")->viewport()->cursor().shape(), Qt::IBeamCursor);
  QCOMPARE(Panel(1), QString("Archs (3): 3 copias, 0 fallos."));
}

void TestLogoMain::altXDuringARunEndsTheProgramAfterTheRun() {
  SetParams({"@/dst = @/src", "@/x = @/x"});
  QTimer::singleShot(0, this, [&] { QTest::keyClick(form_.get(), Qt::Key_X, Qt::AltModifier); });
  Click("CopyBtn");
  QVERIFY(boxes_->seen.empty());  // the message after Alt+X closed at once
  QCOMPARE(Panel(1), QString("Archs (3): 3 copias, 0 fallos."));
  QVERIFY(tree_->Exists("dst/sub/c.txt"));
  QVERIFY(!form_->isVisible());
}

void TestLogoMain::altXOutsideARunClosesAtOnce() {
  Find<QPlainTextEdit>("Mparams")->setPlainText("sin salvar");
  QTest::keyClick(form_.get(), Qt::Key_X, Qt::AltModifier);
  QVERIFY(!form_->isVisible());
}

void TestLogoMain::escAndDetenerStopARun() {
  AddFiles("many", 40, 300000);
  QCOMPARE(Detener()->statusTip(), QString("Detener la ejecución en curso"));
  for (const bool esc : {true, false}) {
    const QString dst = esc ? "esc" : "detener";
    SetParams({"@/" + dst + " = @/many"});
    int shown = 0;
    form_->onFile = [&](const QString&) {
      if (++shown == 10)
        QTimer::singleShot(0, this, [&] {
          esc ? QTest::keyClick(form_.get(), Qt::Key_Escape) : Detener()->trigger();
        });
    };
    QVERIFY(!Detener()->isEnabled());  // Esc outside a run stops no later run
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    Click("CopyBtn");
    QCOMPARE(Panel(0), QString("Ejecución detenida por el usuario."));
    // The files copied are whole, and no temporary file is left.
    const std::vector<std::string> copied = tree_->List(dst.toStdString());
    QCOMPARE(Panel(1), QString("Archs (10): %1 copias, 0 fallos.").arg(copied.size()));
    for (const std::string& name : copied)
      QCOMPARE(tree_->Read(dst.toStdString() + "/" + name), tree_->Read("many/" + name));
  }
  form_->onFile = nullptr;
  Click("CopyBtn");  // the next run is not stopped
  QCOMPARE(Panel(1), QString("Archs (40): 40 copias, 0 fallos."));
}

void TestLogoMain::tickedBoxHidesTheRunsLaterMessagesAndListsThem() {
  AddFiles("bad", 5, 1);
  AddFiles("tres", 3, 1);
  for (int i = 1; i <= 5; ++i)  // no file can take a folder's place
    tree_->Add(QString("dst/f%1.txt/").arg(i, 3, 10, QChar('0')).toStdString());
  const auto& seen = boxes_->seen;
  // Three hidden, and one: the end box lists them, however many.
  for (const auto& [mapping, hidden] : {std::pair{"@/dst = @/bad", 3}, {"@/dst = @/tres", 1}}) {
    const std::size_t before = seen.size();
    boxes_->tickOn = int(before) + 1;
    SetParams({mapping});
    Click("CopyBtn");
    QCOMPARE(seen.size(), before + 3);
    QCOMPARE(seen[before + 2].text, hidden == 1 ? QString("No se mostró 1 error más.")
                                                : QString("No se mostraron 3 errores más."));
    const QString reason = seen[before].informative;
    QCOMPARE(reason, QString("el destino es una carpeta"));
    QSet<QString> failed = {seen[before].text, seen[before + 1].text};
    for (const QString& line : seen[before + 2].details.split('\n')) {
      QVERIFY2(line.endsWith(" (" + reason + ")"), qPrintable(line));
      failed << line.chopped(reason.size() + 3);
    }
    QCOMPARE(failed.size(), hidden + 2);
  }
  SetParams({"@/dst = @/bad"});
  Click("CopyBtn");  // the next run shows every message
  QCOMPARE(seen.size(), std::size_t(11));
}

void TestLogoMain::checkBoxClickedDuringAListingCountsFromItsFile() {
  AddFiles("ten", 10, 1);
  SetParams({"@/dst = @/ten"});
  auto* listado = Find<QCheckBox>("CBListado");
  for (const char* jobs : {"1", "8"}) {
    const ScopedJobs scoped(jobs);
    listado->setChecked(true);
    // Cleared as panel 1 names the 4th file, ticked at the 7th.
    QStringList shown, listed;
    form_->onFile = [&](const QString& name) {
      shown << name;
      if (shown.size() == 4 || shown.size() == 7)
        QMetaObject::invokeMethod(listado, "click", Qt::QueuedConnection);
    };
    Click("CopyBtn");
    for (int row = 1; row <= 10; ++row)
      if (!Cell(row, 2).isEmpty())
        listed << Cell(row, 2) + Cell(row, 3).toLower();
    QCOMPARE(listed, shown.mid(0, 3) + shown.mid(6));
  }
}

void TestLogoMain::saveAsTwiceToANewNameDuringARunAsksTheSecondTime() {
  // Qt's own save dialog, which the test answers, also on Windows.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  AddFiles("src", 3, 300000);
  SetParams({"@/dst = @/src"});
  boxes_->fileName = QString::fromStdString(tree_->Path("lista.rtf"));
  form_->onFile = [&](const QString&) {
    form_->onFile = nullptr;
    for (const char* text : {"primera", "segunda"}) {
      Find<QPlainTextEdit>("Mparams")->setPlainText(text);
      QVERIFY(QMetaObject::invokeMethod(form_.get(), "FileSaveAs"));
    }
  };
  Click("CopyBtn");
  QCOMPARE(tree_->Read("lista.rtf"), std::string("segunda"));
  QCOMPARE(boxes_->seen.size(), std::size_t(1));
  QCOMPARE(boxes_->seen[0].text, "OK to overwrite " + boxes_->fileName);
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
}

void TestLogoMain::keysReachTheCommands() {
  SetParams({"@/dst = @/src"});
  QCOMPARE(Find<QToolButton>("CambiarBtn")->toolTip(), QString("Cambiar"));
  const struct {
    QKeyCombination key;
    std::function<bool()> done;
  } keys[] = {
      {Qt::Key_F5, [&] { return Panel(1) == "Archs (3): 3 copias, 0 fallos."; }},
      {Qt::Key_F6, [&] { return form_->Host().Line(0).ends_with("/dst"); }},
      {Qt::CTRL | Qt::Key_O, [&] { return boxes_->dialogs == 1; }},
      {Qt::CTRL | Qt::Key_S, [&] { return boxes_->dialogs == 2; }},  // a new list asks a name
      {Qt::CTRL | Qt::Key_N, [&] { return form_->Host().LineCount() == 0; }},
  };
  for (const auto& k : keys) {
    form_->activateWindow();  // a dialog closed before may leave no window active
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QTest::keyClick(form_.get(), k.key.key(), k.key.keyboardModifiers());
    QVERIFY2(k.done(), qPrintable(QKeySequence(k.key).toString()));
  }
}

void TestLogoMain::menuItemsWithoutKeysReachTheirCommands() {
  trasvex::TAboutBox about;
  form_->SetAboutBox(&about);
  QAction* acerca = form_->menuBar()->actions().last()->menu()->actions().first();
  QCOMPARE(acerca->text(), QString("&Acerca de..."));
  bool aboutShown = false;
  QTimer::singleShot(50, &about, [&] {
    aboutShown = about.isVisible();
    about.accept();
  });
  acerca->trigger();
  QVERIFY(aboutShown);
  ArchivoItem("Salvar &Como...")->trigger();
  QCOMPARE(boxes_->dialogs, 1);  // the save dialog, cancelled
}

void TestLogoMain::aboutBoxClosesWithEnterNotEsc() {
  trasvex::TAboutBox about;
  form_->SetAboutBox(&about);
  QCOMPARE(about.size(), QSize(298, 209));
  QStringList pressed;
  QTimer::singleShot(50, this, [&] {
    QTest::keyClick(&about, Qt::Key_Escape);
    pressed << (about.isVisible() ? "open" : "closed");
    QTest::keyClick(&about, Qt::Key_Return);
    pressed << (about.isVisible() ? "open" : "closed");
  });
  QMetaObject::invokeMethod(form_.get(), "About");
  QCOMPARE(pressed, QStringList({"open", "closed"}));
}

// Under a real display (xvfb-run), with TRASVEX_SCREENSHOT naming a PNG file:
// the whole screen after a listing run, for a person to compare with the
// design.
void TestLogoMain::screenshot() {
  const QString file = qEnvironmentVariable("TRASVEX_SCREENSHOT");
  if (file.isEmpty() || QGuiApplication::platformName() == "offscreen")
    QSKIP("needs a display and TRASVEX_SCREENSHOT");
  form_->FormCreate({});
  Find<QCheckBox>("CBListado")->setChecked(true);
  SetParams({"txt doc", "@/dst = @/src"});
  Click("CopyBtn");
  QTest::mouseMove(Find<QToolButton>("CopyBtn"));
  QTest::qWait(300);
  auto* pages = Find<QTabWidget>("PageControl1");
  QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(file.arg("params")));
  pages->setCurrentIndex(1);
  QTest::qWait(300);
  QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(file.arg("results")));
}

// With TRASVEX_BENCH_TREE naming a directory that holds src/ and dst/: the
// time of a listing run of src in the window, then of a sort of its rows by
// each column. Run by bench/window_listing.sh, never timed as a test.
void TestLogoMain::benchmarkListing() {
  const QString root = qEnvironmentVariable("TRASVEX_BENCH_TREE");
  if (root.isEmpty())
    QSKIP("needs TRASVEX_BENCH_TREE");
  Find<QCheckBox>("CBListado")->setChecked(true);
  Find<QPlainTextEdit>("Mparams")->setPlainText(root + "/dst = " + root + "/src");
  Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
  QTest::qWait(50);
  QElapsedTimer clock;
  clock.start();
  Click("CopyBtn");
  qInfo("window listing: %lld ms, %s", clock.elapsed(), qPrintable(Panel(1)));
  auto* grid = Find<QTableView>("SGresults");
  for (int column = 0; column < 6; ++column) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(Grid()->index(0, column)).center());
    clock.start();
    QMetaObject::invokeMethod(form_.get(), "SGresultsDblClick");
    QCoreApplication::processEvents();
    qInfo("sort by column %d: %lld ms", column, clock.elapsed());
  }
}

QTEST_MAIN(TestLogoMain)
#include "tst_logomain.moc"
