// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogoMain.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "About.h"
#include "console/CommandLine.h"
#include "console/ConsoleHost.h"
#include "console/GeneralError.h"
#include "HeldRepaints.h"
#include "HintStyle.h"
#include "LogoStrs.h"
#include "ProgramIcon.h"
#include "ResultsGridModel.h"
#include "WindowPlacement.h"

namespace trasvex {

namespace {

// A run pumps events after every status change; processing them at most this
// often keeps the window responsive and lets the panels repaint at a human
// rate instead of once per file.
constexpr qint64 kPumpIntervalMs = 20;

QIcon ButtonIcon(const QString& image) {
  QIcon icon(":/images/" + image + ".png");
  icon.addFile(":/images/" + image + "-disabled.png", {}, QIcon::Disabled);
  return icon;
}

// A box of a run: no icon, the application's title, |text| as it is, and one
// "OK" that both Enter and Esc press.
void SetUpRunBox(QMessageBox& box, const QString& text) {
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
}

}  // namespace

TLogoAppForm::TLogoAppForm(std::unique_ptr<FileSystem> fileSystem, QWidget* parent)
    : QMainWindow(parent),
      fileSystem_(std::move(fileSystem)),
      distribuidor_(*this, *fileSystem_),
      config_(*files_),
      nombreConfig_(LoadLogoStr(SUntitled)) {
  setObjectName("LogoAppForm");
  setWindowTitle("Trasvex");
  setAccessibleName("Trasvex");
  QFont systemFont = QApplication::font();
  systemFont.setPixelSize(13);
  setFont(systemFont);

  auto* client = new QWidget(this);
  auto* column = new QVBoxLayout(client);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  setCentralWidget(client);

  CreateSpeedPanel();
  CreatePages();
  column->addWidget(SpeedPanel);
  column->addWidget(PageControl1, 1);
  CreateStatusBar();
  CreateMenu();

  resize(575, 410);
  move(246, 280);
  SpeedPanel->setFocus();
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, this,
          &TLogoAppForm::MouseIdle);
}

TLogoAppForm::~TLogoAppForm() = default;

QString TLogoAppForm::ApplicationTitle(const QString& executableName) {
  const QString name = QFileInfo(executableName).fileName().section('.', 0, 0);
  return name.left(1) + name.mid(1).toLower();
}

void TLogoAppForm::CreateSpeedPanel() {
  SpeedPanel = new QFrame;
  SpeedPanel->setObjectName("SpeedPanel");
  SpeedPanel->setAccessibleName("Botones");
  SpeedPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  SpeedPanel->setFixedHeight(30);
  SpeedPanel->setFocusPolicy(Qt::StrongFocus);

  OpenBtn = AddButton("OpenBtn", "Abrir", "open", 10);
  SaveBtn = AddButton("SaveBtn", "Salvar", "save", 42);
  CopyBtn = AddButton("CopyBtn", "Copiar", "copy", 74);
  CambiarBtn = AddButton("CambiarBtn", "Cambiar", "swap", 106);
  ExitBtn = AddButton("ExitBtn", "Salir", "exit", 138);
  connect(OpenBtn, &QToolButton::clicked, this, &TLogoAppForm::FileOpen);
  connect(SaveBtn, &QToolButton::clicked, this, &TLogoAppForm::FileSave);
  connect(CopyBtn, &QToolButton::clicked, this, &TLogoAppForm::CopyBtnClick);
  connect(CambiarBtn, &QToolButton::clicked, this, &TLogoAppForm::CambiarBtnClick);
  connect(ExitBtn, &QToolButton::clicked, this, &TLogoAppForm::FileExit);
  AddButtonKey(CopyBtn, Qt::Key_F5);
  AddButtonKey(CambiarBtn, Qt::Key_F6);

  const struct {
    QCheckBox*& box;
    const char* name;
    const char* text;
    int x;
    int width;
    bool ticked;
  } boxes[] = {
      {CBrecursivo, "CBrecursivo", "SubDirs", 184, 73, true},
      {CBListado, "CBListado", "Listado", 276, 73, false},
      {CBRecientes, "CBRecientes", "Recientes", 368, 89, false},
  };
  for (const auto& b : boxes) {
    b.box = new QCheckBox(b.text, SpeedPanel);
    b.box->setObjectName(b.name);
    b.box->setAccessibleName(b.text);
    b.box->setGeometry(b.x, 8, b.width, 17);
    b.box->setChecked(b.ticked);
  }

  MExts = new QPlainTextEdit(SpeedPanel);
  MExts->setObjectName("MExts");
  MExts->setAccessibleName("Extensiones");
  MExts->hide();
}

QToolButton* TLogoAppForm::AddButton(const char* name, const char* hint, const char* image, int x) {
  auto* button = new QToolButton(SpeedPanel);
  button->setObjectName(name);
  button->setAccessibleName(hint);
  button->setStatusTip(hint);
  button->setToolTip(hint);
  button->setToolTipDuration(2500);
  button->setIcon(ButtonIcon(image));
  button->setIconSize({18, 18});
  button->setGeometry(x, 3, 25, 25);
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

void TLogoAppForm::AddButtonKey(QToolButton* button, const QKeySequence& key) {
  auto* action = new QAction(this);
  action->setShortcut(key);
  addAction(action);
  connect(action, &QAction::triggered, button, &QToolButton::click);
}

void TLogoAppForm::CreatePages() {
  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  PageControl1->setAccessibleName("Páginas");

  Mparams = new QPlainTextEdit;
  Mparams->setObjectName("Mparams");
  Mparams->setAccessibleName("Parámetros");
  Mparams->setLineWrapMode(QPlainTextEdit::NoWrap);
  Mparams->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Mparams->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Mparams->setFrameStyle(QFrame::NoFrame);
  AddPage("TabSheet1", "Parámetros", Mparams);

  grid_ = new ResultsGridModel(this);
  SGresults = new QTableView;
  SGresults->setObjectName("SGresults");
  SGresults->setAccessibleName("Resultado");
  SGresults->setModel(grid_);
  SGresults->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SGresults->setSelectionMode(QAbstractItemView::ContiguousSelection);
  SGresults->setWordWrap(false);
  SGresults->setTextElideMode(Qt::ElideNone);
  SGresults->setCornerButtonEnabled(false);
  QFont cellFont("Arial");
  cellFont.setPixelSize(11);
  SGresults->setFont(cellFont);
  SGresults->horizontalHeader()->setFont(cellFont);
  SGresults->verticalHeader()->hide();
  for (QHeaderView* header : {SGresults->horizontalHeader(), SGresults->verticalHeader()}) {
    header->setMinimumSectionSize(0);
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
  }
  SGresults->horizontalHeader()->setSectionsClickable(false);
  SGresults->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  SGresults->setCurrentIndex(grid_->index(0, 0));
  SGresults->viewport()->installEventFilter(this);
  SGresults->horizontalHeader()->viewport()->installEventFilter(this);
  connect(SGresults->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              sortColumn_ = current.column();
          });
  connect(grid_, &ResultsGridModel::GeometryChanged, this, &TLogoAppForm::ApplyGridGeometry);
  ApplyGridGeometry();
  AddPage("TabSheet2", "Resultado", SGresults);
  PageControl1->setCurrentIndex(0);
}

void TLogoAppForm::AddPage(const char* name, const QString& title, QWidget* content) {
  auto* page = new QWidget;
  page->setObjectName(name);
  page->setAccessibleName(title);
  auto* fill = new QVBoxLayout(page);
  fill->setContentsMargins(0, 0, 0, 0);
  fill->addWidget(content);
  PageControl1->addTab(page, title);
}

void TLogoAppForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName("StatusBar");
  bar->setAccessibleName("Estado");
  bar->setFixedHeight(19);
  // The two panels share one row of their own: panel 0 keeps its width,
  // panel 1 takes the rest whatever its text.
  auto* panels = new QWidget;
  auto* row = new QHBoxLayout(panels);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  const char* descriptions[] = {"Línea en curso", "Archivo y resumen"};
  for (int panel = 0; panel < 2; ++panel) {
    auto* label = new QLabel;
    label->setObjectName(QString("StatusPanel%1").arg(panel));
    label->setAccessibleDescription(descriptions[panel]);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(2, 0, 2, 0);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(label, panel);
    statusPanels_[panel] = label;
    SetPanelText(panel, {});
  }
  statusPanels_[0]->setFixedWidth(240);
  statusPanels_[0]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  bar->addWidget(panels, 1);
}

void TLogoAppForm::SetPanelText(int panel, const QString& text) {
  QLabel* label = statusPanels_[panel];
  label->setText(text);
  // Screen readers read the panel's text; an empty panel goes by what it is.
  label->setAccessibleName(text.isEmpty() ? label->accessibleDescription() : text);
}

void TLogoAppForm::CreateMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("LogoAppMenu");
  bar->setAccessibleName("Menú");
  QMenu* archivo = bar->addMenu("A&rchivo");
  const struct {
    const char* text;
    const char* hint;
    QKeySequence key;
    void (TLogoAppForm::*handler)();
  } items[] = {
      {"&Nueva", "Crear una nueva configuración", QKeySequence::New, &TLogoAppForm::FileNew},
      {"&Abrir...", "Abrir una configuración", QKeySequence::Open, &TLogoAppForm::FileOpen},
      {"&Salvar", "Salvar", QKeySequence::Save, &TLogoAppForm::FileSave},
      {"Salvar &Como...", "Salvar con un nombre diferente", {}, &TLogoAppForm::FileSaveAs},
      {"&Detener", "Detener la ejecución en curso", Qt::Key_Escape, &TLogoAppForm::Detener},
      {"&Terminar", "Salir de la aplicación", Qt::ALT | Qt::Key_X, &TLogoAppForm::FileExit},
  };
  for (const auto& item : items) {
    // The item that ends the program stands last, apart from the others.
    if (item.handler == &TLogoAppForm::FileExit)
      archivo->addSeparator();
    QAction* action = archivo->addAction(item.text);
    action->setStatusTip(item.hint);
    action->setShortcut(item.key);
    connect(action, &QAction::triggered, this, item.handler);
    if (item.handler == &TLogoAppForm::Detener)
      DetenerItem = action;
  }
  // Outside a run Esc is left to the focused control.
  DetenerItem->setEnabled(false);
  QMenu* ayuda = bar->addMenu("A&yuda");
  connect(ayuda->addAction("&Acerca de..."), &QAction::triggered, this, &TLogoAppForm::About);
  // A menu's title, highlighted as the menu opens, has no hint; neither has
  // a closed menu. The bar's highlight of a title under the pointer, with no
  // menu open, is left to the idle step.
  for (QMenu* menu : {archivo, ayuda}) {
    connect(menu, &QMenu::hovered, this, [this](QAction* item) { ShowHint(item->statusTip()); });
    connect(menu, &QMenu::aboutToShow, this, [this] { ShowHint({}); });
    connect(menu, &QMenu::aboutToHide, this, [this] { ShowHint({}); });
  }
}

void TLogoAppForm::ApplyGridGeometry() {
  const ResultsTable& table = grid_->Table();
  QHeaderView* header = SGresults->horizontalHeader();
  for (int column = 0; column < ResultsTable::kColumns; ++column) {
    const int width = table.ColumnWidth(column);
    SGresults->setColumnHidden(column, width == 0);
    if (width > 0)
      header->resizeSection(column, width);
  }
  SGresults->verticalHeader()->setDefaultSectionSize(table.RowHeight());
  header->setFixedHeight(table.RowHeight());
}

bool TLogoAppForm::event(QEvent* event) {
  // Hints come from MouseIdle and the menus' signals; the status tips that
  // controls send as the pointer enters them would also arrive during a run,
  // and the main window would write them over the status panels.
  if (event->type() == QEvent::StatusTip)
    return true;
  return QMainWindow::event(event);
}

void TLogoAppForm::closeEvent(QCloseEvent* event) {
  if (distribuidor_.Running()) {
    // The run goes on to its end; the window closes when it returns.
    quitRequested_ = true;
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void TLogoAppForm::showEvent(QShowEvent* event) {
  // The native window exists by now, and with it the frame's margins where
  // the system tells them before the window appears.
  if (!event->spontaneous())
    KeepOnScreen();
  QMainWindow::showEvent(event);
}

void TLogoAppForm::KeepOnScreen() {
  const QScreen* display = screen();
  if (!display)
    return;
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const QRect wanted(pos(), size().grownBy(frame));
  const QRect placed = PlaceInside(wanted, display->availableGeometry());
  if (placed.size() != wanted.size())
    resize(placed.size().shrunkBy(frame));
  move(placed.topLeft());
}

bool TLogoAppForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick)
    SGresultsDblClick();
  return QMainWindow::eventFilter(watched, event);
}

void TLogoAppForm::MouseIdle() {
  // An open menu keeps the hint of its highlighted item; a run's own event
  // pumps are no idle time, the modal boxes that wait during it are.
  if (QApplication::activePopupWidget() ||
      (distribuidor_.Running() && !QApplication::activeModalWidget()))
    return;
  const QWidget* control = QApplication::widgetAt(QCursor::pos());
  while (control && control->statusTip().isEmpty())
    control = control->parentWidget();
  ShowHint(control ? control->statusTip() : QString());
}

void TLogoAppForm::ShowHint(const QString& hint) {
  if (hint == hint_)
    return;
  hint_ = hint;
  SetPanelText(0, hint);
}

void TLogoAppForm::FormCreate(const std::vector<std::string>& arguments) {
  // Hints reach ShowHint from the moment the window exists.
  if (!Inicio(arguments))
    return;
  SetCaption();
  if (autoEjecutar_) {
    const int status = messagesShown_ == 0 && !distribuidor_.Stopped() ? 0 : 1;
    QTimer::singleShot(0, qApp, [status] { QCoreApplication::exit(status); });
  }
}

bool TLogoAppForm::Inicio(const std::vector<std::string>& arguments) {
  const CommandLine commandLine = CommandLine::Parse(arguments);
  autoEjecutar_ = commandLine.autoEjecutar;
  listaCopia_ = commandLine.options.listaCopia;
  CBrecursivo->setChecked(commandLine.options.subDirs);
  CBListado->setChecked(commandLine.options.listado);
  CBRecientes->setChecked(commandLine.options.recientes);
  nombreConfig_ = QString::fromStdString(commandLine.nombreConfig);
  if (files_->FileExists(commandLine.nombreConfig)) {
    QString text;
    if (!config_.Read(nombreConfig_, text)) {
      GeneralError("Cannot open file " + nombreConfig_);
      return false;
    }
    Mparams->setPlainText(text);
    if (autoEjecutar_)
      CopyBtnClick();
  } else {
    nombreConfig_ = LoadLogoStr(SUntitled);
    autoEjecutar_ = false;
  }
  grid_->SetRowHeight(16);
  grid_->Encabezados(listaCopia_);
  return true;
}

void TLogoAppForm::SetCaption() { setWindowTitle("Trasvex: " + nombreConfig_); }

void TLogoAppForm::GeneralError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                  QString::fromStdString(GeneralErrorText(message.toStdString())),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QString TLogoAppForm::ChooseFile(bool save, QString& last) {
  QFileDialog dialog(this);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilter("All Files (*.*)");
  // "*.*" means every file, those without an extension too; Qt's own
  // dialog, used where the system has none, is told so.
  if (auto* files = dialog.findChild<QFileSystemModel*>())
    files->setNameFilters({"*"});
  dialog.setDefaultSuffix("rtf");
  if (!last.isEmpty())
    dialog.selectFile(last);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  // The dialog writes "/" on every system; the name is shown and kept as the
  // system writes it.
  last = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
  return last;
}

bool TLogoAppForm::SaveTo(const QString& name) {
  switch (config_.Write(name, EditorLines())) {
    case ConfigFile::WriteResult::kWritten:
      return true;
    case ConfigFile::WriteResult::kCannotCreate:
      GeneralError("Cannot create file " + name);
      return false;
    case ConfigFile::WriteResult::kWriteError:
      GeneralError("Stream write error");
      return false;
  }
  return false;
}

QStringList TLogoAppForm::EditorLines() const {
  QStringList lines;
  for (QTextBlock block = Mparams->document()->begin(); block.isValid(); block = block.next())
    lines << block.text();
  return lines;
}

void TLogoAppForm::FileNew() {
  nombreConfig_ = LoadLogoStr(SUntitled);
  config_.StartNew();
  Mparams->clear();
  SetCaption();
}

void TLogoAppForm::FileOpen() {
  const QString name = ChooseFile(false, lastOpened_);
  if (name.isEmpty())
    return;
  QString text;
  if (!config_.Read(name, text)) {
    GeneralError("Cannot open file " + name);
    return;
  }
  Mparams->setPlainText(text);
  nombreConfig_ = name;
  if (PageControl1->currentIndex() == 0)
    Mparams->setFocus();
  Mparams->setReadOnly(false);
  SetCaption();
}

void TLogoAppForm::FileSave() {
  if (nombreConfig_ != LoadLogoStr(SUntitled)) {
    if (SaveTo(nombreConfig_))
      SetCaption();
    return;
  }
  FileSaveAs();
}

void TLogoAppForm::FileSaveAs() {
  const QString name = ChooseFile(true, lastSaved_);
  if (name.isEmpty())
    return;
  if (files_->FileExists(name.toStdString())) {
    QMessageBox confirm(QMessageBox::Question, "Confirm",
                        LoadLogoStr(SOverwrite).replace("%s", name),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    confirm.setTextFormat(Qt::PlainText);
    confirm.setDefaultButton(QMessageBox::Yes);
    confirm.setEscapeButton(QMessageBox::Cancel);
    if (confirm.exec() != QMessageBox::Yes)
      return;
  }
  if (!SaveTo(name))
    return;
  nombreConfig_ = name;
  SetCaption();
}

void TLogoAppForm::FileExit() { close(); }

void TLogoAppForm::About() {
  if (aboutBox_)
    aboutBox_->exec();
}

void TLogoAppForm::CopyBtnClick() {
  if (distribuidor_.Running())
    return;  // a request from inside the run, which the engine would ignore
  stopRequested_ = false;
  hideMessages_ = false;
  DetenerItem->setEnabled(true);
  distribuidor_.CopyBtnClick();
  DetenerItem->setEnabled(false);
  ShowHiddenMessages();
  QStringList masks;
  for (const std::string& mask : distribuidor_.Extensions())
    masks << QString::fromStdString(mask);
  MExts->setPlainText(masks.join('\n'));
  if (quitRequested_)
    close();
}

void TLogoAppForm::CambiarBtnClick() { distribuidor_.CambiarBtnClick(); }

void TLogoAppForm::Detener() {
  if (distribuidor_.Running())
    stopRequested_ = true;
}

void TLogoAppForm::SGresultsDblClick() {
  grid_->Sort(sortColumn_, distribuidor_.Counters().hechos);
}

void TLogoAppForm::SetStatus(int panel, const std::string& text) {
  SetPanelText(panel == 0 ? 0 : 1, QString::fromStdString(text));
  newFileShown_ = newFileShown_ || panel != 0;
}

void TLogoAppForm::ShowMessage(const std::string& text, const std::string& reason) {
  ++messagesShown_;
  if (quitRequested_)
    return;  // the application is ending: the box closes at once
  const QString message = QString::fromStdString(text);
  const QString why = QString::fromStdString(reason);
  if (hideMessages_)
    hiddenMessages_ << (why.isEmpty() ? message : message + " (" + why + ")");
  else
    ShowRunMessage(message, why);
}

void TLogoAppForm::ShowRunMessage(const QString& text, const QString& reason) {
  QMessageBox box;
  SetUpRunBox(box, text);
  box.setInformativeText(reason);
  // The reason is the system's text: shown as it is, never as markup.
  if (auto* informative = box.findChild<QLabel*>("qt_msgbox_informativelabel"))
    informative->setTextFormat(Qt::PlainText);
  box.setCheckBox(new QCheckBox("No mostrar más errores en esta ejecución"));
  box.exec();
  hideMessages_ = box.checkBox()->isChecked();
}

void TLogoAppForm::ShowHiddenMessages() {
  const int hidden = int(hiddenMessages_.size());
  if (hidden == 0 || quitRequested_) {
    hiddenMessages_.clear();
    return;
  }
  QMessageBox box;
  SetUpRunBox(box, hidden == 1 ? QString("No se mostró 1 error más.")
                               : QString("No se mostraron %1 errores más.").arg(hidden));
  box.setDetailedText(hiddenMessages_.join('\n'));
  hiddenMessages_.clear();
  box.exec();
}

void TLogoAppForm::ProcessEvents() {
  const bool newFile = std::exchange(newFileShown_, false);
  if (pumpClock_.isValid() && pumpClock_.elapsed() < kPumpIntervalMs) {
    if (newFile)
      ProcessInput();
    return;
  }
  QCoreApplication::processEvents();
  pumpClock_.start();
}

void TLogoAppForm::ProcessInput() {
  const HeldRepaints held(this);
  QCoreApplication::processEvents();
}

RunOptions TLogoAppForm::Options() {
  return {CBrecursivo->isChecked(), CBListado->isChecked(), CBRecientes->isChecked(), listaCopia_};
}

void TLogoAppForm::Encabezados() { grid_->Encabezados(listaCopia_); }

void TLogoAppForm::ListarArchivo(int row, const ResultRow& cells) { grid_->ListarArchivo(row, cells); }

void TLogoAppForm::SetRowCount(int rows) { grid_->SetRowCount(rows); }

void TLogoAppForm::SetBusy(bool busy) {
  if (busy) {
    pumpClock_.invalidate();  // a run's first pump always processes events
    SpeedPanel->setCursor(Qt::WaitCursor);
    Mparams->viewport()->setCursor(Qt::WaitCursor);
  } else {
    SpeedPanel->unsetCursor();
    Mparams->viewport()->setCursor(Qt::IBeamCursor);
  }
}

int TLogoAppForm::LineCount() {
  const QTextDocument* document = Mparams->document();
  const int blocks = document->blockCount();
  return document->lastBlock().text().isEmpty() ? blocks - 1 : blocks;
}

std::string TLogoAppForm::Line(int index) {
  return Mparams->document()->findBlockByNumber(index).text().toStdString();
}

void TLogoAppForm::SetLine(int index, const std::string& text) {
  const QTextBlock block = Mparams->document()->findBlockByNumber(index);
  if (!block.isValid())
    return;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(QString::fromStdString(text));
}

namespace {

QtMessageHandler startUpHandler = nullptr;

// A platform that cannot start (no display to connect to, a plugin that
// cannot load) is fatal while the application is created: the program then
// ends with one line instead of an abort.
void NoDisplayHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    startUpHandler(type, context, message);
    return;
  }
  std::fprintf(stderr, "%s\n", CommandLine::kNoDisplayText);
  std::fflush(stderr);
  std::_Exit(ConsoleHost::kNotRun);
}

}  // namespace

int RunWindow(char* program, const std::vector<std::string>& arguments) {
  // The toolkit sees no argument: its options ("-style", "-reverse") would
  // otherwise be taken out of the user's.
  int toolkitArgc = 1;
  char* toolkitArgv[] = {program, nullptr};
  startUpHandler = qInstallMessageHandler(NoDisplayHandler);
  QApplication application(toolkitArgc, toolkitArgv);
  qInstallMessageHandler(startUpHandler);
  QApplication::setApplicationName(
      TLogoAppForm::ApplicationTitle(QCoreApplication::applicationFilePath()));
  QApplication::setWindowIcon(ProgramIcon());
  QApplication::setStyle(new HintStyle);
  TLogoAppForm form;
  form.FormCreate(arguments);
  TAboutBox aboutBox;
  form.SetAboutBox(&aboutBox);
  form.show();
  return QApplication::exec();
}

}  // namespace trasvex
