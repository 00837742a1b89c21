#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QWhatsThis>
#include <fstream>
#include <sstream>

#include "BalimorDoc.h"
#include "BalimorEditView.h"
#include "GraphView.h"
#include "QtPlatform.h"
#include "QtText.h"
#include "SetupBalimorView.h"
#include "SetupGraphFrameDialog.h"
#include "SetupOptionDialog.h"
#include "SetupScaleDialog.h"
#include "VariousData.h"
#include "ViewSettings.h"

namespace {

const char* const kBarSettings = "BarSettings";
const char* const kRecentFiles = "Recent File List";

// A small picture for a toolbar button that has no icon of its own.
QIcon LetterIcon(const QString& letters, QColor colour) {
  QPixmap pixmap(24, 24);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour.darker(150), 1));
  p.setBrush(colour.lighter(170));
  p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 3, 3);
  QFont f = p.font();
  f.setPixelSize(letters.size() > 1 ? 10 : 14);
  f.setBold(true);
  p.setFont(f);
  p.setPen(colour.darker(200));
  p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, letters);
  return QIcon(pixmap);
}

// The caption without its mnemonic marks and accelerator text: the toolbar's tool tip.
QString PlainCaption(QString caption) {
  caption = caption.section(QLatin1Char('\t'), 0, 0);
  caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
  caption.remove(QLatin1Char('&'));
  return caption.trimmed();
}

}  // namespace

CMainFrame::CMainFrame(CBalimorDoc& doc_, QtPlatform& platform_, QSettings& profile_)
    : doc(doc_), platform(platform_), profile(profile_) {
  setObjectName(QStringLiteral("MainFrame"));
  setWindowIcon(LetterIcon(QStringLiteral("B"), QColor(40, 110, 200)));
  setAcceptDrops(true);
  platform.SetParent(this);

  setupView = new CSetupBalimorView(doc, this);
  auto* formScroll = new QScrollArea;
  formScroll->setObjectName(QStringLiteral("SetupPane"));
  formScroll->setWidget(setupView);
  formScroll->setWidgetResizable(true);
  formScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  graphView = new CGraphView(doc);
  reportView = new CBalimorEditView(doc.Ini());

  columns = new QSplitter(Qt::Horizontal);
  columns->setObjectName(QStringLiteral("Columns"));
  rows = new QSplitter(Qt::Vertical);
  rows->setObjectName(QStringLiteral("Rows"));
  rows->addWidget(graphView);
  rows->addWidget(reportView);
  columns->addWidget(formScroll);
  columns->addWidget(rows);
  // The last pane of each splitter takes what the window gains or loses.
  columns->setStretchFactor(0, 0);
  columns->setStretchFactor(1, 1);
  rows->setStretchFactor(0, 0);
  rows->setStretchFactor(1, 1);
  columns->setChildrenCollapsible(false);
  rows->setChildrenCollapsible(false);
  setCentralWidget(columns);

  MakeActions();
  MakeMenus();
  MakeToolBar();
  MakeStatusBar();

  auto* context = new QMenu(this);
  context->setObjectName(QStringLiteral("GraphContextMenu"));
  context->addAction(Action(kRedraw));
  context->addAction(Action(kScale));
  context->addAction(Action(kRestoreScale));
  graphView->SetContextMenu(context);

  doc.onRedrawAll = [this] { RedrawAll(); };
  doc.onReportChanged = [this] { reportView->SetReport(doc.ReportText()); };
  doc.onSetupFileNames = [this](const std::string& data, const std::string& pfc, const std::string& out) {
    CSetupForm& form = setupView->Form();
    form.inputPath = data;
    form.pfcPath = pfc;
    form.outputPath = out;
    setupView->ShowValues();
  };

  // F6 and Shift+F6 move between the panes.
  auto cycle = [this](int step) {
    QWidget* panes[] = {setupView, graphView, reportView};
    int at = 0;
    for (int i = 0; i < 3; ++i)
      if (panes[i]->isAncestorOf(QApplication::focusWidget()) || panes[i] == QApplication::focusWidget()) at = i;
    QWidget* next = panes[(at + step + 3) % 3];
    // The form takes the focus on its first field.
    if (next == setupView) next = setupView->nextInFocusChain();
    next->setFocus(Qt::ShortcutFocusReason);
  };
  connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this, [cycle] { cycle(1); });
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
          [cycle] { cycle(-1); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == reportView || now == graphView) lastView = now;
  });

  recentFiles = profile.value(QLatin1String(kRecentFiles)).toStringList();
  while (recentFiles.size() > CBalimorDoc::kMaxRecentFiles) recentFiles.removeLast();
  UpdateRecentMenu();
  RestoreWindowState();
  UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
  // Focus and visibility changes during the widgets' own destruction must not reach this
  // window, whose members are gone by then.
  disconnect(qApp, nullptr, this, nullptr);
  if (auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar"))) bar->disconnect(this);
  doc.onRedrawAll = nullptr;
  doc.onReportChanged = nullptr;
  doc.onSetupFileNames = nullptr;
  platform.SetParent(nullptr);
  delete printer;
}

QAction* CMainFrame::Make(Command c, const QString& caption, const QString& shortcut) {
  auto* a = new QAction(caption, this);
  // The accelerator is the one the caption shows after its tab, unless one is given.
  const QString keys = shortcut.isEmpty() ? caption.section(QLatin1Char('\t'), 1, 1) : shortcut;
  if (!keys.isEmpty()) a->setShortcut(QKeySequence(keys));
  a->setToolTip(PlainCaption(caption));
  actions[c] = a;
  return a;
}

void CMainFrame::MakeActions() {
  QStyle* st = style();
  auto on = [this](Command c, auto&& f) { connect(Action(c), &QAction::triggered, this, f); };

  Make(kNew, QStringLiteral("新規作成(&N)\tCtrl+N"))->setIcon(st->standardIcon(QStyle::SP_FileIcon));
  Make(kOpen, QStringLiteral("開く(&O)...\tCtrl+O"))->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
  Make(kSaveData, QStringLiteral("Save Data As..."));
  Make(kReadText, QStringLiteral("Read Text Files..."));
  Make(kReadRietan, QStringLiteral("Read Rietan Files..."));
  Make(kUpdate, QStringLiteral("&Update Current File"))->setIcon(st->standardIcon(QStyle::SP_BrowserReload));
  Action(kUpdate)->setStatusTip(QStringLiteral("Update Current File "));
  Make(kSaveRietan, QStringLiteral("Save As Rietan..."));
  Make(kPrint, QStringLiteral("印刷(&P)...\tCtrl+P"))->setIcon(LetterIcon(QStringLiteral("P"), Qt::darkGray));
  Make(kPrintPreview, QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"));
  Make(kPrintSetup, QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)..."));
  Make(kExportGraph, QStringLiteral("Export Graph..."));
  Make(kExit, QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"))->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));

  Make(kUndo, QStringLiteral("元に戻す(&U)\tCtrl+Z"));
  Make(kCut, QStringLiteral("切り取り(&T)\tCtrl+X"))->setIcon(LetterIcon(QStringLiteral("X"), QColor(200, 60, 60)));
  Make(kCopy, QStringLiteral("ｺﾋﾟｰ(&C)\tCtrl+C"))->setIcon(LetterIcon(QStringLiteral("C"), QColor(60, 140, 60)));
  Make(kPaste, QStringLiteral("貼り付け(&P)\tCtrl+V"))->setIcon(LetterIcon(QStringLiteral("V"), QColor(60, 90, 180)));
  Make(kPasteSpecial, QStringLiteral("形式を選択して貼り付け(&S)..."));
  Make(kSelectAll, QStringLiteral("すべて選択(&L)\tCtrl+A"));
  Make(kFind, QStringLiteral("検索(&F)...\tCtrl+F"));
  Make(kFindNext, QStringLiteral("次を検索(&I)\tF3"));
  Make(kReplace, QStringLiteral("置換(&E)\tCtrl+H"));

  Make(kToolBar, QStringLiteral("ﾂｰﾙ ﾊﾞｰ(&T)"))->setCheckable(true);
  Make(kStatusBar, QStringLiteral("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"))->setCheckable(true);
  Make(kRedraw, QStringLiteral("&Redraw"));
  Make(kScale, QStringLiteral("&Change View Scale"));
  Make(kRestoreScale, QStringLiteral("Re&store View Scale"));
  Make(kViewBackground, QStringLiteral("View Background"))->setIcon(LetterIcon(QStringLiteral("Bg"), QColor(0, 170, 170)));
  Make(kViewCalc, QStringLiteral("View Calc"))->setIcon(LetterIcon(QStringLiteral("Ca"), QColor(200, 40, 40)));
  Make(kViewCurves, QStringLiteral("View Curves"))->setIcon(LetterIcon(QStringLiteral("Cv"), QColor(40, 160, 40)));
  Make(kViewCurrentCurve, QStringLiteral("View Current Curve"))->setIcon(LetterIcon(QStringLiteral("Cc"), QColor(40, 40, 200)));
  Make(kKindXrd, QStringLiteral("Process XRD data"))->setIcon(LetterIcon(QStringLiteral("XR"), QColor(150, 100, 30)));
  Make(kKindRaman, QStringLiteral("Process Raman/IR Data"))->setIcon(LetterIcon(QStringLiteral("Ra"), QColor(130, 50, 160)));
  for (Command c : {kViewBackground, kViewCalc, kViewCurves, kViewCurrentCurve, kKindXrd, kKindRaman})
    Action(c)->setCheckable(true);
  Make(kSetupFrame, QStringLiteral("Setup Graph&Frame"));
  Make(kGraphFont, QStringLiteral("Select Graph &Font"));
  Make(kEditorFont, QStringLiteral("Select &Editor Font"));
  Make(kEditIni, QStringLiteral("Edit &IniFile"));
  Make(kSetupOption, QStringLiteral("Setup &Option"));
  Make(kLaunchEditor, QStringLiteral("Launch &Editor"));
  Make(kHelpTopics, QStringLiteral("ﾄﾋﾟｯｸの検索(&H)"), QStringLiteral("F1"));
  Make(kAbout, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Balimor) (&A)..."))->setIcon(st->standardIcon(QStyle::SP_MessageBoxInformation));
  QAction* whatsThis = QWhatsThis::createAction(this);
  whatsThis->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
  actions[kContextHelp] = whatsThis;

  on(kNew, [this] {
    doc.OnNewDocument();
    reportView->clear();
    RedrawAll();
  });
  on(kOpen, [this] {
    doc.OnFileOpen();
    if (!doc.GetDataFileName().empty()) AddRecentFile(Q(doc.GetDataFileName()));
    RedrawAll();
  });
  on(kSaveData, [this] { doc.OnFileSaveDataAs(); });
  on(kReadText, [this] { doc.OnReadTextFiles(); });
  on(kReadRietan, [this] { doc.OnReadRietanFiles(); });
  on(kUpdate, [this] {
    if (doc.OnFileUpdate() >= 0) AddRecentFile(Q(doc.GetDataFileName()));
  });
  on(kSaveRietan, [this] { doc.OnFileSaveAsRietan(); });
  on(kPrint, [this] { OnPrint(false); });
  on(kPrintPreview, [this] { OnPrint(true); });
  on(kPrintSetup, [this] {
    if (!printer) printer = new QPrinter(QPrinter::HighResolution);
    QPageSetupDialog(printer, this).exec();
  });
  on(kExportGraph, [this] { OnExportGraph(); });
  on(kExit, [this] { close(); });

  on(kUndo, [this] { reportView->undo(); });
  on(kCut, [this] { reportView->cut(); });
  // Copy belongs to the report view while it has the focus, else to the document's datum choice.
  on(kCopy, [this] {
    if (reportView->hasFocus())
      reportView->copy();
    else
      doc.OnEditCopy();
  });
  on(kPaste, [this] { reportView->paste(); });
  on(kPasteSpecial, [this] { reportView->paste(); });
  on(kSelectAll, [this] { reportView->selectAll(); });
  on(kFind, [this] { OnFind(false); });
  on(kFindNext, [this] { OnFind(true); });
  on(kReplace, [this] { OnReplace(); });

  on(kToolBar, [this](bool v) {
    if (auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar"))) bar->setVisible(v);
  });
  on(kStatusBar, [this](bool v) { statusBar()->setVisible(v); });
  on(kRedraw, [this] { RedrawAll(); });
  on(kScale, [this] { CSetupScaleDialog(doc, this).exec(); });
  on(kRestoreScale, [this] { doc.OnViewRestoreScale(); });
  on(kViewBackground, [this] { doc.ToggleSwitch(CBalimorDoc::kViewBackground); });
  on(kViewCalc, [this] { doc.ToggleSwitch(CBalimorDoc::kViewCalc); });
  on(kViewCurves, [this] { doc.ToggleSwitch(CBalimorDoc::kViewCurves); });
  on(kViewCurrentCurve, [this] { doc.ToggleSwitch(CBalimorDoc::kViewCurrentCurve); });
  on(kKindXrd, [this] { doc.SetDataKind(1); });
  on(kKindRaman, [this] { doc.SetDataKind(2); });
  on(kSetupFrame, [this] { CSetupGraphFrameDialog(doc, this).exec(); });
  on(kGraphFont, [this] { graphView->OnSelectGraphFont(); });
  on(kEditorFont, [this] { reportView->OnSelectEditorFont(); });
  on(kEditIni, [this] { doc.OnViewEditIniFile(); });
  on(kSetupOption, [this] { CSetupOptionDialog(doc, this).exec(); });
  on(kLaunchEditor, [this] { doc.OnOptionLaunchEditor(); });
  on(kHelpTopics, [this] {
    QMessageBox::information(this, QStringLiteral("Balimor"),
                             QStringLiteral("No help topics are installed.\nThe README of the suite describes "
                                            "the workbench, its files and its fitters."));
  });
  on(kAbout, [this] { OnAbout(); });
}

void CMainFrame::MakeMenus() {
  QMenuBar* bar = menuBar();
  fileMenu = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  for (Command c : {kNew, kOpen, kSaveData, kReadText, kReadRietan, kUpdate, kSaveRietan}) fileMenu->addAction(Action(c));
  fileMenu->addSeparator();
  for (Command c : {kPrint, kPrintPreview, kPrintSetup}) fileMenu->addAction(Action(c));
  fileMenu->addAction(Action(kExportGraph));
  fileMenu->addSeparator();
  recentAnchor = fileMenu->addSeparator();
  fileMenu->addAction(Action(kExit));

  QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->addAction(Action(kUndo));
  edit->addSeparator();
  for (Command c : {kCut, kCopy, kPaste, kPasteSpecial}) edit->addAction(Action(c));
  edit->addSeparator();
  edit->addAction(Action(kSelectAll));
  edit->addSeparator();
  for (Command c : {kFind, kFindNext, kReplace}) edit->addAction(Action(c));

  QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
  view->addAction(Action(kToolBar));
  view->addAction(Action(kStatusBar));
  view->addSeparator();
  for (Command c : {kRedraw, kScale, kRestoreScale}) view->addAction(Action(c));
  view->addSeparator();
  for (Command c : {kViewBackground, kViewCalc, kViewCurves, kViewCurrentCurve}) view->addAction(Action(c));
  view->addSeparator();
  view->addAction(Action(kKindXrd));
  view->addAction(Action(kKindRaman));
  view->addSeparator();
  for (Command c : {kSetupFrame, kGraphFont, kEditorFont, kEditIni}) view->addAction(Action(c));

  QMenu* option = bar->addMenu(QStringLiteral("&Option"));
  option->addAction(Action(kSetupOption));
  option->addAction(Action(kLaunchEditor));

  QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  help->addAction(Action(kHelpTopics));
  help->addSeparator();
  help->addAction(Action(kAbout));

  for (QMenu* m : {fileMenu, edit, view, option, help})
    connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::MakeToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("ToolBar"));
  bar->setObjectName(QStringLiteral("ToolBar"));
  bar->setIconSize(QSize(20, 20));
  const Command order[] = {kNew, kOpen, kUpdate, kCut, kCopy, kPaste, kGap, kViewBackground, kViewCalc,
                           kViewCurves, kViewCurrentCurve, kGap, kKindXrd, kKindRaman, kGap, kPrint, kAbout,
                           kContextHelp, kGap, kExit};
  for (Command c : order) {
    if (c == kGap)
      bar->addSeparator();
    else
      bar->addAction(Action(c));
  }
  connect(bar, &QToolBar::visibilityChanged, this, [this](bool v) { Action(kToolBar)->setChecked(v); });
}

void CMainFrame::MakeStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  // The lock indicators of the keyboard; the toolkit does not report the lock states, so they
  // are shown dimmed.
  for (const char* text : {"ｶﾅ", "CAP", "NUM", "SCRL"}) {
    auto* label = new QLabel(QString::fromUtf8(text));
    label->setObjectName(QStringLiteral("Indicator"));
    label->setEnabled(false);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
    bar->addPermanentWidget(label);
  }
  bar->showMessage(QStringLiteral("Ready"));
}

void CMainFrame::UpdateCommandUI() {
  Action(kViewBackground)->setChecked(doc.viewBackground);
  Action(kViewCalc)->setChecked(doc.viewCalc);
  Action(kViewCurves)->setChecked(doc.viewCurves);
  Action(kViewCurrentCurve)->setChecked(doc.viewCurrentCurve);
  Action(kKindXrd)->setChecked(doc.GetDataKind() == 1);
  Action(kKindRaman)->setChecked(doc.GetDataKind() != 1);
  if (auto* bar = findChild<QToolBar*>(QStringLiteral("ToolBar"))) Action(kToolBar)->setChecked(!bar->isHidden());
  Action(kStatusBar)->setChecked(!statusBar()->isHidden());
  const std::string title = doc.GetTitle();
  setWindowTitle((title.empty() ? QStringLiteral("無題") : Q(title)) + QStringLiteral(" - Balimor"));
}

void CMainFrame::RedrawAll() {
  graphView->update();
  UpdateCommandUI();
}

void CMainFrame::OpenDocumentFile(const QString& path) {
  const QString full = QFileInfo(path).absoluteFilePath();
  doc.OnNewDocument();
  doc.logFlag = 0;
  setupView->Form().logCaption = "Log";
  setupView->Form().OpenInputFile(S(full));
  // The file's own text goes to the report view, as a document's text does; a binary file
  // shows nothing rather than its bytes.
  if (!IsBinaryFile(S(full))) {
    std::ifstream in(S(full), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    reportView->SetReport(text.str());
  } else {
    reportView->clear();
  }
  AddRecentFile(full);
  RedrawAll();
}

void CMainFrame::AddRecentFile(const QString& path) {
  if (path.isEmpty()) return;
  recentFiles.removeAll(path);
  recentFiles.prepend(path);
  while (recentFiles.size() > CBalimorDoc::kMaxRecentFiles) recentFiles.removeLast();
  profile.setValue(QLatin1String(kRecentFiles), recentFiles);
  UpdateRecentMenu();
}

void CMainFrame::UpdateRecentMenu() {
  // The entries stand between the two separators before "Exit".
  const QList<QAction*> all = fileMenu->actions();
  const int anchor = all.indexOf(recentAnchor);
  for (int i = anchor - 1; i >= 0 && !all[i]->isSeparator(); --i) {
    fileMenu->removeAction(all[i]);
    all[i]->deleteLater();
  }
  if (recentFiles.isEmpty()) {
    auto* none = new QAction(QStringLiteral("最新のﾌｧｲﾙ"), fileMenu);
    none->setEnabled(false);
    fileMenu->insertAction(recentAnchor, none);
    return;
  }
  for (int i = 0; i < recentFiles.size(); ++i) {
    const QString path = recentFiles[i];
    auto* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1 < 10 ? QString::number(i + 1) : QStringLiteral("1&0"),
                                                       QString(path).replace(QLatin1Char('&'), QStringLiteral("&&"))),
                          fileMenu);
    connect(a, &QAction::triggered, this, [this, path] { OpenDocumentFile(path); });
    fileMenu->insertAction(recentAnchor, a);
  }
}

void CMainFrame::RestoreWindowState() {
  CWindowState state;
  state.Load(doc.Ini());
  if (state.hasPosition)
    setGeometry(state.left, state.top, state.width, state.height);
  else
    resize(1200, 800);
  restoreState(profile.value(QLatin1String(kBarSettings)).toByteArray());
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (paneSizesApplied) return;
  paneSizesApplied = true;
  CWindowState state;
  state.Load(doc.Ini());
  if (layout()) layout()->activate();
  // The first pane of each splitter gets its stored size, the second the rest.
  const int width = std::max(columns->width(), state.columnWidth[0] + 50);
  columns->setSizes({state.columnWidth[0], width - state.columnWidth[0] - columns->handleWidth()});
  const int height = std::max(rows->height(), state.rowHeight[0] + 50);
  const int graph = state.hasRowHeight ? state.rowHeight[0] : height * 7 / 10;
  rows->setSizes({graph, height - graph - rows->handleWidth()});
}

void CMainFrame::SaveWindowState() {
  CWindowState state;
  const QRect normal = isMaximized() || isMinimized() || isFullScreen() ? normalGeometry() : geometry();
  state.hasPosition = true;
  state.left = normal.left();
  state.top = normal.top();
  state.width = normal.width();
  state.height = normal.height();
  const QList<int> c = columns->sizes();
  const QList<int> r = rows->sizes();
  for (int i = 0; i < 2; ++i) {
    state.columnWidth[i] = i < c.size() ? c[i] : 0;
    state.rowHeight[i] = i < r.size() ? r[i] : 0;
  }
  state.Save(doc.Ini());
  profile.setValue(QLatin1String(kBarSettings), saveState());
  profile.sync();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // A fit in progress is ended through its own dialog first.
  if (platform.Running()) {
    event->ignore();
    return;
  }
  SaveWindowState();
  QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && !event->mimeData()->urls().isEmpty() &&
      event->mimeData()->urls().first().isLocalFile())
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  activateWindow();
  OpenDocumentFile(urls.first().toLocalFile());
}

bool CMainFrame::ReportViewActive() const { return lastView == reportView; }

void CMainFrame::PrintActiveView(QPrinter* p) {
  if (ReportViewActive()) {
    reportView->document()->print(p);
    return;
  }
  QPainter painter(p);
  graphView->PaintOn(painter);
}

void CMainFrame::OnPrint(bool preview) {
  if (!printer) printer = new QPrinter(QPrinter::HighResolution);
  if (preview) {
    QPrintPreviewDialog dialog(printer, this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintActiveView(p); });
    dialog.exec();
    return;
  }
  QPrintDialog dialog(printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintActiveView(printer);
}

void CMainFrame::OnExportGraph() { graphView->OnExportGraph(); }

void CMainFrame::OnFind(bool again) {
  if (!again || findText.isEmpty()) {
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("検索"), QStringLiteral("検索する文字列:"),
                                               QLineEdit::Normal, findText, &ok);
    if (!ok || text.isEmpty()) return;
    findText = text;
  }
  if (!reportView->find(findText)) {
    // From the top once the end is reached.
    reportView->moveCursor(QTextCursor::Start);
    if (!reportView->find(findText)) statusBar()->showMessage(QStringLiteral("Not found: ") + findText, 3000);
  }
}

void CMainFrame::OnReplace() {
  bool ok = false;
  const QString what = QInputDialog::getText(this, QStringLiteral("置換"), QStringLiteral("検索する文字列:"),
                                             QLineEdit::Normal, findText, &ok);
  if (!ok || what.isEmpty()) return;
  const QString with = QInputDialog::getText(this, QStringLiteral("置換"), QStringLiteral("置換後の文字列:"),
                                             QLineEdit::Normal, QString(), &ok);
  if (!ok) return;
  findText = what;
  int count = 0;
  reportView->moveCursor(QTextCursor::Start);
  QTextCursor edit(reportView->document());
  edit.beginEditBlock();
  while (reportView->find(what)) {
    reportView->textCursor().insertText(with);
    ++count;
  }
  edit.endEditBlock();
  statusBar()->showMessage(QStringLiteral("%1 replaced").arg(count), 3000);
}

void CMainFrame::OnAbout() {
  QMessageBox box(this);
  box.setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Balimor)"));
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.setText(QStringLiteral("Balimor Version %1").arg(QStringLiteral(BALIMOR_VERSION)));
  box.setInformativeText(QStringLiteral("Peak fitting workbench for one-dimensional spectra."));
  box.exec();
}
