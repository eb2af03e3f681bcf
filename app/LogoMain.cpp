// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogoMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "About.h"
#include "ConfigCommands.h"
#include "console/CommandLine.h"
#include "console/ConsoleHost.h"
#include "HintStyle.h"
#include "LogoMenu.h"
#include "ProgramIcon.h"
#include "ResultsGridModel.h"
#include "ResultsGridView.h"
#include "run/Distribuidor.h"
#include "WindowPlacement.h"

namespace trasvex {

namespace {

QIcon ButtonIcon(const QString& image) {
  QIcon icon(":/images/" + image + ".png");
  icon.addFile(":/images/" + image + "-disabled.png", {}, QIcon::Disabled);
  return icon;
}

}  // namespace

TLogoAppForm::TLogoAppForm(std::unique_ptr<FileSystem> fileSystem, QWidget* parent)
    : QMainWindow(parent),
      fileSystem_(std::move(fileSystem)) {
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
  host_ = std::make_unique<WindowRunHost>(WindowRunHost::Parts{
      this, SpeedPanel, Mparams, CBrecursivo, CBListado, CBRecientes, grid_,
      [this](int panel, const std::string& text) { SetStatus(panel, text); }});
  distribuidor_ = std::make_unique<Distribuidor>(*host_, *fileSystem_);
  commands_ = std::make_unique<ConfigCommands>(*this, *Mparams, *PageControl1);
  auto* menu = new LogoMenu(*this);
  DetenerItem = menu->DetenerItem();
  connect(menu, &LogoMenu::Hint, this, &TLogoAppForm::ShowHint);

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
  SGresults = new ResultsGridView(*grid_);
  connect(SGresults, &ResultsGridView::DoubleClicked, this, &TLogoAppForm::SGresultsDblClick);
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

bool TLogoAppForm::event(QEvent* event) {
  // Hints come from MouseIdle and the menus' signals; the status tips that
  // controls send as the pointer enters them would also arrive during a run,
  // and the main window would write them over the status panels.
  if (event->type() == QEvent::StatusTip)
    return true;
  return QMainWindow::event(event);
}

void TLogoAppForm::closeEvent(QCloseEvent* event) {
  if (distribuidor_->Running()) {
    // The run goes on to its end; the window closes when it returns.
    host_->RequestQuit();
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

void TLogoAppForm::MouseIdle() {
  // An open menu keeps the hint of its highlighted item; a run's own event
  // pumps are no idle time, the modal boxes that wait during it are.
  if (QApplication::activePopupWidget() ||
      (distribuidor_->Running() && !QApplication::activeModalWidget()))
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
  commands_->SetCaption();
  if (autoEjecutar_) {
    const int status = host_->MessagesShown() == 0 && !distribuidor_->Stopped() ? 0 : 1;
    QTimer::singleShot(0, qApp, [status] { QCoreApplication::exit(status); });
  }
}

bool TLogoAppForm::Inicio(const std::vector<std::string>& arguments) {
  const CommandLine commandLine = CommandLine::Parse(arguments);
  autoEjecutar_ = commandLine.autoEjecutar;
  host_->SetListaCopia(commandLine.options.listaCopia);
  CBrecursivo->setChecked(commandLine.options.subDirs);
  CBListado->setChecked(commandLine.options.listado);
  CBRecientes->setChecked(commandLine.options.recientes);
  switch (commands_->Load(commandLine.nombreConfig)) {
    case ConfigCommands::Loaded::kUnreadable:
      return false;
    case ConfigCommands::Loaded::kRead:
      if (autoEjecutar_)
        CopyBtnClick();
      break;
    case ConfigCommands::Loaded::kMissing:
      autoEjecutar_ = false;
      break;
  }
  grid_->SetRowHeight(16);
  host_->Encabezados();
  return true;
}

void TLogoAppForm::FileNew() { commands_->FileNew(); }

void TLogoAppForm::FileOpen() { commands_->FileOpen(); }

void TLogoAppForm::FileSave() { commands_->FileSave(); }

void TLogoAppForm::FileSaveAs() { commands_->FileSaveAs(); }

void TLogoAppForm::FileExit() { close(); }

void TLogoAppForm::About() {
  if (aboutBox_)
    aboutBox_->exec();
}

void TLogoAppForm::CopyBtnClick() {
  if (distribuidor_->Running())
    return;  // a request from inside the run, which the engine would ignore
  host_->StartRun();
  DetenerItem->setEnabled(true);
  distribuidor_->CopyBtnClick();
  DetenerItem->setEnabled(false);
  host_->ShowHiddenMessages();
  QStringList masks;
  for (const std::string& mask : distribuidor_->Extensions())
    masks << QString::fromStdString(mask);
  MExts->setPlainText(masks.join('\n'));
  if (host_->QuitRequested())
    close();
}

void TLogoAppForm::CambiarBtnClick() { distribuidor_->CambiarBtnClick(); }

void TLogoAppForm::Detener() {
  if (distribuidor_->Running())
    host_->RequestStop();
}

void TLogoAppForm::SGresultsDblClick() {
  grid_->Sort(SGresults->SortColumn(), distribuidor_->Counters().hechos);
}

void TLogoAppForm::SetStatus(int panel, const std::string& text) {
  SetPanelText(panel == 0 ? 0 : 1, QString::fromStdString(text));
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
