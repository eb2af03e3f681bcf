// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's configuration commands and its start-up from a command
// line, on the offscreen platform (under Wine on Windows' own); every dialog
// and box is answered by the test.
#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <filesystem>
#include <memory>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

#include "console/CommandLine.h"
#include "LogoMain.h"
#include "ModalAnswerer.h"
#include "TempTree.h"

using trasvex::TLogoAppForm;
using trasvex::test::TempTree;

class TestLogoFiles : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void savedListOpensBackWithTheSameLines();
  void saveAsOverAnExistingFileAsksFirst();
  void saveAsTwiceToANewNameAsksTheSecondTime();
  void saveOfANewListAsksForAName();
  void dialogsShowEveryFileAndStartWithTheLastName();
  void failedReadLeavesEditorAndCaption();
  void failedWriteLeavesTheOldFileWhole();
  void saveOnAFullDiskLeavesTheOldFileWhole();
  void saveInAFolderThatTakesNoNewFileWritesInPlace();
  void fileIsWrittenBackInTheEncodingItWasReadIn_data();
  void fileIsWrittenBackInTheEncodingItWasReadIn();
  void saveKeepsTheModeAndNeverReplacesAReadOnlyFile();
  void startUpAppliesTheSwitches();
  void startUpIgnoresSixArgumentsAndTakesAutoAsAName();
  void startUpWithAMissingFileAndAutoOpensNormally();
  void startUpWithAnUnreadableFileKeepsTheInitialTable();
  void autoRunEndsTheProgramWithItsStatus();
  void autoRunOfTheProgramExitsOnItsOwn();
  void programWithoutAUsableDisplayEndsWithALine();

 private:
  void Command(const char* slot) { QVERIFY(QMetaObject::invokeMethod(form_.get(), slot)); }
  QPlainTextEdit* Editor() { return form_->findChild<QPlainTextEdit*>("Mparams"); }
  QString Path(const char* relative) { return QString::fromStdString(tree_->Path(relative)); }
  void Start(const std::vector<std::string>& arguments) { form_->FormCreate(arguments); }

  std::unique_ptr<TempTree> tree_;
  std::unique_ptr<ModalAnswerer> answerer_;
  std::unique_ptr<TLogoAppForm> form_;
};

void TestLogoFiles::initTestCase() {
  // The dialogs the test drives are Qt's own: on Windows the program opens
  // the system's.
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
}

void TestLogoFiles::init() {
  tree_ = std::make_unique<TempTree>(
      std::vector<std::string>{"src/a.txt 2020-01-02 10:00:00 5", "dst/"});
  answerer_ = std::make_unique<ModalAnswerer>();
  form_ = std::make_unique<TLogoAppForm>();
}

void TestLogoFiles::cleanup() {
  form_.reset();
  answerer_.reset();
  tree_.reset();
}

void TestLogoFiles::savedListOpensBackWithTheSameLines() {
  const QString text = "txt doc\ncopia = datos\n\nñandú = dir\n";
  Editor()->setPlainText(text);
  answerer_->fileName = Path("lista");  // the dialog adds the extension
  Command("FileSaveAs");
  QCOMPARE(tree_->Read("lista.rtf"), std::string("txt doc\r\ncopia = datos\r\n\r\nñandú = dir\r\n"));
  QCOMPARE(form_->windowTitle(), "Trasvex: " + Path("lista.rtf"));
  Command("FileNew");
  QCOMPARE(Editor()->toPlainText(), QString());
  QCOMPARE(form_->windowTitle(), QString("Trasvex: Untitled"));
  answerer_->fileName = Path("lista.rtf");
  Command("FileOpen");
  QCOMPARE(Editor()->toPlainText(), text);
  QCOMPARE(form_->windowTitle(), "Trasvex: " + Path("lista.rtf"));
  QVERIFY(!Editor()->isReadOnly());
  // "Salvar" now writes to the open file without asking.
  Editor()->setPlainText("otra");
  Command("FileSave");
  QCOMPARE(tree_->Read("lista.rtf"), std::string("otra"));
  QCOMPARE(answerer_->dialogs, 2);
  QVERIFY(answerer_->seen.empty());
}

void TestLogoFiles::saveAsOverAnExistingFileAsksFirst() {
  tree_->Write("vieja.rtf", "antes");
  Editor()->setPlainText("nueva");
  answerer_->fileName = Path("vieja.rtf");
  for (Qt::Key key : {Qt::Key_N, Qt::Key_Escape}) {
    answerer_->key = key;
    Command("FileSaveAs");
    QCOMPARE(tree_->Read("vieja.rtf"), std::string("antes"));
    QCOMPARE(form_->windowTitle(), QString("Trasvex"));
  }
  answerer_->key = Qt::Key_Return;
  Command("FileSaveAs");
  QCOMPARE(tree_->Read("vieja.rtf"), std::string("nueva"));
  QCOMPARE(form_->windowTitle(), "Trasvex: " + Path("vieja.rtf"));
  QCOMPARE(answerer_->seen.size(), std::size_t(3));
  const ModalAnswerer::Seen& confirm = answerer_->seen[0];
  QCOMPARE(confirm.title, QString("Confirm"));
  QCOMPARE(confirm.text, "OK to overwrite " + Path("vieja.rtf"));
  QCOMPARE(confirm.icon, QMessageBox::Question);
  QStringList buttons = confirm.buttons;
  buttons.sort();
  QCOMPARE(buttons, QStringList({"&No", "&Yes", "Cancel"}));
  QCOMPARE(confirm.defaultButton, QString("&Yes"));
}

void TestLogoFiles::saveAsTwiceToANewNameAsksTheSecondTime() {
  answerer_->fileName = Path("tres.rtf");
  Editor()->setPlainText("first");
  Command("FileSaveAs");  // the file is new: no question
  Editor()->setPlainText("second");
  for (const auto& [key, kept] : {std::pair{Qt::Key_N, "first"}, std::pair{Qt::Key_Y, "second"}}) {
    answerer_->key = key;
    Command("FileSaveAs");
    QCOMPARE(tree_->Read("tres.rtf"), std::string(kept));
    QCOMPARE(form_->windowTitle(), "Trasvex: " + Path("tres.rtf"));
  }
  QCOMPARE(answerer_->seen.size(), std::size_t(2));
  QCOMPARE(answerer_->seen[1].text, "OK to overwrite " + Path("tres.rtf"));
}

void TestLogoFiles::saveOfANewListAsksForAName() {
  // A name literally "Untitled" is a new list too: only "Salvar &Como..."
  // writes such a file.
  Editor()->setPlainText("x");
  Command("FileSave");
  QCOMPARE(answerer_->dialogs, 1);  // cancelled: nothing written
  answerer_->fileName = Path("Untitled");
  Command("FileSaveAs");
  QCOMPARE(tree_->Read("Untitled.rtf"), std::string("x"));
}

void TestLogoFiles::dialogsShowEveryFileAndStartWithTheLastName() {
  tree_->Write("sin-extension", "x");
  tree_->Write("lista.rtf", "y");
  QStringList filters, shown, started;
  answerer_->inspect = [&](QFileDialog* dialog) {
    QVERIFY(!dialog->testOption(QFileDialog::DontUseNativeDialog));
    filters = dialog->nameFilters();
    started << QDir::toNativeSeparators(dialog->selectedFiles().value(0));
    if (started.size() < 2)
      return;  // the second dialog starts in the tree
    auto* files = dialog->findChild<QFileSystemModel*>();
    const QString directory = QString::fromStdString(tree_->Root());
    QTRY_VERIFY(files && files->rowCount(files->index(directory)) >= 4);
    const QModelIndex root = files->index(directory);
    for (int row = 0; row < files->rowCount(root); ++row) {
      const QModelIndex entry = files->index(row, 0, root);
      if (files->flags(entry) & Qt::ItemIsEnabled)
        shown << entry.data().toString();
    }
  };
  answerer_->fileName = Path("lista.rtf");
  Command("FileOpen");
  Command("FileOpen");
  QCOMPARE(filters, QStringList({"All Files (*.*)"}));
  shown.sort();
  QVERIFY2(shown.contains("sin-extension"), qPrintable(shown.join(',')));
  QCOMPARE(started.value(1), Path("lista.rtf"));
}

void TestLogoFiles::failedReadLeavesEditorAndCaption() {
  Editor()->setPlainText("sin tocar");
  answerer_->fileName = Path("falta.rtf");
  Command("FileOpen");
  QCOMPARE(Editor()->toPlainText(), QString("sin tocar"));
  QCOMPARE(form_->windowTitle(), QString("Trasvex"));
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(answerer_->seen[0].text, "Cannot open file " + Path("falta.rtf") + ".");
  QCOMPARE(answerer_->seen[0].icon, QMessageBox::Critical);
  QCOMPARE(answerer_->seen[0].buttons, QStringList({"OK"}));
}

void TestLogoFiles::failedWriteLeavesTheOldFileWhole() {
  tree_->Write("lista.rtf", "vieja");
  answerer_->fileName = Path("lista.rtf");
  Command("FileOpen");
  // The file gives way to a directory that cannot be replaced by a file.
  std::filesystem::remove(tree_->Path("lista.rtf"));
  tree_->Add("lista.rtf/dentro.txt 2020-01-02 10:00:00 4");
  Editor()->setPlainText("nueva");
  Command("FileSave");
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(answerer_->seen[0].text, "Cannot create file " + Path("lista.rtf") + ".");
  QCOMPARE(answerer_->seen[0].icon, QMessageBox::Critical);
  QCOMPARE(tree_->List("lista.rtf"), std::vector<std::string>{"dentro.txt"});
  QCOMPARE(tree_->Read("lista.rtf/dentro.txt"), std::string(4, 'x'));
  QCOMPARE(tree_->List(""), (std::vector<std::string>{"dst", "lista.rtf", "src"}));
}

void TestLogoFiles::saveOnAFullDiskLeavesTheOldFileWhole() {
#ifdef Q_OS_WIN
  QSKIP("a limit on the size of the files a process writes is POSIX's");
#else
  tree_->Write("lista.rtf", "vieja");
  answerer_->fileName = Path("lista.rtf");
  Command("FileOpen");
  const QString caption = form_->windowTitle();
  Editor()->setPlainText(QString(4000, 'x'));  // held in the device's buffer until the flush
  // Past 1000 bytes a write fails with EFBIG, as on a full disk.
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit lowered{1000, saved.rlim_max};
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &lowered);
  Command("FileSave");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(answerer_->seen[0].text, QString("Stream write error."));
  QCOMPARE(form_->windowTitle(), caption);
  QCOMPARE(tree_->Read("lista.rtf"), std::string("vieja"));
  QCOMPARE(tree_->List(""), (std::vector<std::string>{"dst", "lista.rtf", "src"}));
  Command("FileSave");  // with room again, to the same name
  QCOMPARE(tree_->Read("lista.rtf"), std::string(4000, 'x'));
#endif
}

void TestLogoFiles::saveInAFolderThatTakesNoNewFileWritesInPlace() {
#ifdef Q_OS_WIN
  QSKIP("the folder's mode that refuses new files is POSIX's");
#else
  tree_->Add("compartida/");
  tree_->Write("compartida/lista.rtf", "vieja");
  const std::string folder = tree_->Path("compartida");
  ::chmod(tree_->Root().c_str(), 0755);
  ::chmod(folder.c_str(), 0555);
  ::chmod(tree_->Path("compartida/lista.rtf").c_str(), 0666);
  answerer_->fileName = Path("compartida/lista.rtf");
  Command("FileOpen");
  // root may create files anywhere: the save is made as another user, with
  // root kept as the saved user to come back to.
#ifdef Q_OS_LINUX
  const bool asNobody = ::geteuid() == 0 && ::setresuid(65534, 65534, 0) == 0;
#else
  const bool asNobody = false;
  if (::geteuid() == 0)
    QSKIP("root creates files in any folder");
#endif
  for (const auto& [text, failure] :
       {std::pair{"nueva", ""}, std::pair{"mucho más larga que el tope", "Stream write error."}}) {
    Editor()->setPlainText(text);
    rlimit saved;  // the second text meets a full disk
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{*failure ? 10 : saved.rlim_cur, saved.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
    Command("FileSave");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    QCOMPARE(answerer_->seen.empty() ? QString() : answerer_->seen.back().text, QString(failure));
    if (!*failure)
      QCOMPARE(tree_->Read("compartida/lista.rtf"), std::string(text));
  }
  if (asNobody)
    QVERIFY(::setresuid(0, 0, 0) == 0);
  ::chmod(folder.c_str(), 0755);
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(tree_->List("compartida"), std::vector<std::string>{"lista.rtf"});
#endif
}

void TestLogoFiles::fileIsWrittenBackInTheEncodingItWasReadIn_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("firstLine");
  // A no-break space and a line separator are characters of a line like
  // any other.
  QTest::newRow("code page") << QByteArray("a\xF1" "o = d\xED" "a\r\ndst\xA0x = src\r\n")
                             << QString("año = día");
  QTest::newRow("utf8") << QByteArray("dst\xC2\xA0x = src\r\n\r\nl\xC3\xADnea\xE2\x80\xA8" "b")
                        << QString("dst\u00A0x = src");
  QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBF" "\xC3\xB1=\r\n") << QString("ñ=");
  QTest::newRow("utf16") << QByteArray("\xFF\xFE" "\xF1\0=\0\r\0\n\0", 10) << QString("ñ=");
}

void TestLogoFiles::fileIsWrittenBackInTheEncodingItWasReadIn() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, firstLine);
  tree_->Write("lista.rtf", bytes.toStdString());
  answerer_->fileName = Path("lista.rtf");
  Command("FileOpen");
  QCOMPARE(Editor()->document()->firstBlock().text(), firstLine);
  Command("FileSave");
  QCOMPARE(QByteArray::fromStdString(tree_->Read("lista.rtf")), bytes);
  // A run sees the same characters: the no-break space names its own folder.
  Editor()->setPlainText(QString::fromStdString(tree_->Root()) + "/dst\u00A0x = " +
                         QString::fromStdString(tree_->Root()) + "/src");
  QVERIFY(QMetaObject::invokeMethod(form_.get(), "CopyBtnClick"));
  QVERIFY(tree_->Exists("dst\xC2\xA0x/a.txt"));
  QVERIFY(!tree_->Exists("dst x"));
  // A new list is UTF-8, whatever the file read before it was.
  Command("FileNew");
  Editor()->setPlainText("\u00F1=");
  answerer_->fileName = Path("nueva.rtf");
  Command("FileSaveAs");
  QCOMPARE(tree_->Read("nueva.rtf"), std::string("\xC3\xB1="));
}

void TestLogoFiles::saveKeepsTheModeAndNeverReplacesAReadOnlyFile() {
  // Also when the tests run as root, who may write any file.
  const QString name = Path("lista.rtf");
  const QFile::Permissions modeBits(0x7077);  // owner, group, others
  tree_->Write("lista.rtf", "vieja");
  answerer_->fileName = name;
  Command("FileOpen");
  Editor()->setPlainText("nueva");
  for (const QFile::Permissions permissions :
       {QFile::ReadOwner | QFile::ReadGroup,
        // writable by its owner only, readable by the group, run by others
        QFile::WriteOwner | QFile::ReadGroup | QFile::ExeOther}) {
    QVERIFY(QFile::setPermissions(name, permissions));
    const QFile::Permissions mode = QFile::permissions(name) & modeBits;
    Command("FileSave");
    QCOMPARE(QFile::permissions(name) & modeBits, mode);
  }
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(answerer_->seen[0].text, "Cannot create file " + name + ".");
  QVERIFY(QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner));
  QCOMPARE(tree_->Read("lista.rtf"), std::string("nueva"));
}

void TestLogoFiles::startUpAppliesTheSwitches() {
  tree_->Write("lista.txt", "txt\r\n@ = x");
  Start({tree_->Path("lista.txt"), "nodirs", "Nuevos", "LISTCOPY", "otra"});
  QCOMPARE(Editor()->toPlainText(), QString("txt\n@ = x"));
  QCOMPARE(form_->windowTitle(), "Trasvex: " + Path("lista.txt"));
  QVERIFY(!form_->findChild<QCheckBox*>("CBrecursivo")->isChecked());
  QVERIFY(form_->findChild<QCheckBox*>("CBRecientes")->isChecked());
  QVERIFY(form_->findChild<QCheckBox*>("CBListado")->isChecked());
  QVERIFY(form_->Host().Options().listaCopia);
  auto* grid = form_->findChild<QTableView*>("SGresults");
  QCOMPARE(grid->model()->rowCount(), 19);
  QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QString("Copy"));
  QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 16);
  QVERIFY(answerer_->seen.empty());
}

void TestLogoFiles::startUpIgnoresSixArgumentsAndTakesAutoAsAName() {
  Start({tree_->Path("src/a.txt"), "NODIRS", "AUTO", "LIST", "NUEVOS", "LIST"});
  QCOMPARE(form_->windowTitle(), QString("Trasvex: Untitled"));  // no remotos.rtf here
  QVERIFY(form_->findChild<QCheckBox*>("CBrecursivo")->isChecked());
  QVERIFY(!form_->findChild<QCheckBox*>("CBListado")->isChecked());
  form_ = std::make_unique<TLogoAppForm>();
  Start({"auto"});
  QCOMPARE(form_->windowTitle(), QString("Trasvex: Untitled"));
  QCOMPARE(form_->findChild<QLabel*>("StatusPanel1")->text(), QString());  // no run
}

void TestLogoFiles::startUpWithAMissingFileAndAutoOpensNormally() {
  Start({tree_->Path("falta.rtf"), "AUTO"});
  QCOMPARE(form_->windowTitle(), QString("Trasvex: Untitled"));
  QCOMPARE(Editor()->toPlainText(), QString());
  QTest::qWait(20);  // an exit request would end this wait's loop at once
  QCOMPARE(form_->findChild<QLabel*>("StatusPanel1")->text(), QString());
}

void TestLogoFiles::startUpWithAnUnreadableFileKeepsTheInitialTable() {
  // A file that exists and whose reading fails, even for root.
  const std::string unreadable = "/proc/self/mem";
  Start({unreadable, "NODIRS", "AUTO"});
  QCOMPARE(answerer_->seen.size(), std::size_t(1));
  QCOMPARE(answerer_->seen[0].text, "Cannot open file /proc/self/mem.");
  QCOMPARE(answerer_->seen[0].icon, QMessageBox::Critical);
  QCOMPARE(form_->windowTitle(), QString("Trasvex"));
  QVERIFY(!form_->findChild<QCheckBox*>("CBrecursivo")->isChecked());
  QCOMPARE(form_->findChild<QTableView*>("SGresults")->model()->rowCount(), 99);
}

void TestLogoFiles::autoRunEndsTheProgramWithItsStatus() {
  const struct {
    const char* line;
    bool stopped;
    int status;
  } runs[] = {{"@/dst = @/src", false, 0}, {"@/x = @/x", false, 1}, {"@/dst = @/src", true, 1}};
  for (const auto& [line, stopped, status] : runs) {
    QString text = line;
    tree_->Write("auto.rtf", text.replace('@', QString::fromStdString(tree_->Root())).toStdString());
    form_ = std::make_unique<TLogoAppForm>();
    if (stopped)  // at the run's first event pump
      QTimer::singleShot(0, form_.get(), [this] {
        for (QAction* item : form_->menuBar()->actions().first()->menu()->actions())
          if (item->text() == "&Detener")
            item->trigger();
      });
    Start({tree_->Path("auto.rtf"), "AUTO", "LIST"});
    QVERIFY(form_->findChild<QLabel*>("StatusPanel1")->text().startsWith("Archs ("));
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // never hang
    QCOMPARE(QApplication::exec(), status);
  }
}

void TestLogoFiles::autoRunOfTheProgramExitsOnItsOwn() {
  // Named as an option of the toolkit, which never sees the arguments.
  tree_->Write("-reverse", "dst = src");
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", QGuiApplication::platformName());
  program.setProcessEnvironment(environment);
  // Not to pipes: on Windows an AUTO run whose output goes to one runs in
  // the console.
  program.setStandardOutputFile(QProcess::nullDevice());
  program.setStandardErrorFile(QProcess::nullDevice());
  program.setWorkingDirectory(QString::fromStdString(tree_->Root()));
  program.start(QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(TRASVEX_PROGRAM),
                {"-reverse", "auto"});
  QVERIFY(program.waitForFinished(20000));
  QCOMPARE(program.exitStatus(), QProcess::NormalExit);
  QCOMPARE(program.exitCode(), 0);
  QCOMPARE(tree_->Read("dst/a.txt"), std::string(5, 'x'));
}

void TestLogoFiles::programWithoutAUsableDisplayEndsWithALine() {
#ifdef Q_OS_WIN
  QSKIP("X11's case; a window station without display is the engine suite's Program case");
#endif
  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("DISPLAY");
  environment.remove("WAYLAND_DISPLAY");
  environment.insert("QT_QPA_PLATFORM", "xcb");
  program.setProcessEnvironment(environment);
  program.start(TRASVEX_PROGRAM, {"lista.rtf"});
  QVERIFY(program.waitForFinished(20000));
  QCOMPARE(program.exitStatus(), QProcess::NormalExit);
  QCOMPARE(program.exitCode(), 2);
  QVERIFY(program.readAllStandardError().endsWith(
      QByteArray(trasvex::CommandLine::kNoDisplayText) + "\n"));
}

QTEST_MAIN(TestLogoFiles)
#include "tst_logofiles.moc"
