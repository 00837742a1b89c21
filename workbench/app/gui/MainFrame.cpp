#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "BalimorDoc.h"
#include "BalimorEditView.h"
#include "BalimorVersion.h"
#include "GraphView.h"
#include "ImportColumnsDialog.h"
#include "QtPlatform.h"
#include "QtText.h"
#include "SetupBalimorView.h"
#include "SetupForm.h"
#include "VariousData.h"
#include "ViewSettings.h"

namespace {

const char* const kBarSettings = "BarSettings";
const char* const kRecentFiles = "Recent File List";

// Where the suite's README lies: with the installed package's documents (bin/ and
// share/doc/balimor/ under one prefix), else beside the program, as in the build folder.
QString ReadmeFile(const QString& programDir) {
  const QDir bin(programDir);
  for (const QString& path : {bin.filePath(QStringLiteral("../share/doc/balimor/README.md")),
                              bin.filePath(QStringLiteral("README.md"))})
    if (QFileInfo(path).isFile()) return QFileInfo(path).absoluteFilePath();
  return QString();
}

}  // namespace

CMainFrame::CMainFrame(CBalimorDoc& doc_, QtPlatform& platform_, QSettings& profile_)
    : doc(doc_), platform(platform_), profile(profile_) {
  setObjectName(QStringLiteral("MainFrame"));
  setWindowIcon(LetterIcon(QStringLiteral("B"), QColor(40, 110, 200)));
  setAcceptDrops(true);
  platform.SetParent(this);
  storedLanguage = StoredLanguage(doc.Ini());

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

  doc.onRedrawAll = [this] { RedrawAll(); };
  doc.onReportChanged = [this] { reportView->SetReport(doc.ReportText()); };
  // The note of a partial load is in the status bar already; the first in a run also comes in a
  // box, once the window has drawn what was loaded.
  partialLoadToken = doc.partialLoad.Subscribe([this](const std::string& note) {
    if (partialLoadShown) return;
    partialLoadShown = true;
    QTimer::singleShot(0, this, [this, note] { platform.ShowMessage(note, "CMorvaneDoc::ReadDataFile"); });
  });

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
  toolBar->disconnect(this);
  doc.onRedrawAll = nullptr;
  doc.onReportChanged = nullptr;
  doc.partialLoad.Unsubscribe(partialLoadToken);
  platform.SetParent(nullptr);
  delete printer;
}

void CMainFrame::MakeStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  // The data kind, which chooses the fitter, the job form and the model.
  kindIndicator = new QLabel;
  kindIndicator->setObjectName(QStringLiteral("DataKindIndicator"));
  kindIndicator->setAlignment(Qt::AlignCenter);
  kindIndicator->setMinimumWidth(kindIndicator->fontMetrics().horizontalAdvance(tr("Raman/IR")) + 10);
  kindIndicator->setToolTip(tr("The data kind: View > Process XRD data, Process Raman/IR Data"));
  bar->addPermanentWidget(kindIndicator);
  // The lock indicators of the keyboard; the toolkit does not report the lock states, so they
  // are shown dimmed.
  for (const char* text : {QT_TR_NOOP("ｶﾅ"), QT_TR_NOOP("CAP"), QT_TR_NOOP("NUM"), QT_TR_NOOP("SCRL")}) {
    auto* label = new QLabel(tr(text));
    label->setObjectName(QStringLiteral("Indicator"));
    label->setEnabled(false);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 10);
    bar->addPermanentWidget(label);
  }
  bar->showMessage(tr("Ready"));
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
    auto* none = new QAction(tr("最新のﾌｧｲﾙ"), fileMenu);
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

void CMainFrame::OnFind(bool again) {
  if (!again || findText.isEmpty()) {
    bool ok = false;
    const QString text = QInputDialog::getText(this, tr("検索"), tr("検索する文字列:"),
                                               QLineEdit::Normal, findText, &ok);
    if (!ok || text.isEmpty()) return;
    findText = text;
  }
  if (!reportView->find(findText)) {
    // From the top once the end is reached.
    reportView->moveCursor(QTextCursor::Start);
    if (!reportView->find(findText)) statusBar()->showMessage(tr("Not found: %1").arg(findText), 3000);
  }
}

void CMainFrame::OnReplace() {
  bool ok = false;
  const QString what = QInputDialog::getText(this, tr("置換"), tr("検索する文字列:"),
                                             QLineEdit::Normal, findText, &ok);
  if (!ok || what.isEmpty()) return;
  const QString with = QInputDialog::getText(this, tr("置換"), tr("置換後の文字列:"),
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
  statusBar()->showMessage(tr("%1 replaced").arg(count), 3000);
}

void CMainFrame::OnImportColumns() {
  std::string path;
  if (!doc.ChooseColumnFile(path)) return;
  CImportColumnsDialog dialog(path, this);
  if (dialog.exec() != QDialog::Accepted) return;
  doc.GetPeakSearch().ResetForNewData();
  setupView->Form().OpenColumnFile(path, dialog.Choice(), dialog.Kind());
  RedrawAll();
}

void CMainFrame::OnAbout() {
  QMessageBox box(this);
  box.setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報(Balimor)"));
  box.setIconPixmap(windowIcon().pixmap(48, 48));
  box.setText(tr("Balimor Version %1").arg(QLatin1String(balimor::kVersion)));
  box.setInformativeText(tr("Peak fitting workbench for one-dimensional spectra."));
  box.exec();
}

void CMainFrame::OnHelpTopics() {
  const QString readme = ReadmeFile(Q(doc.ProgramDir()));
  if (readme.isEmpty()) {
    QMessageBox::information(this, QStringLiteral("Balimor"),
                             tr("No help topics are installed: the README of the suite is neither in\n%1\n"
                                "nor beside the program.")
                                 .arg(QDir::cleanPath(Q(doc.ProgramDir()) + QStringLiteral("/../share/doc/balimor"))));
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(readme)))
    QMessageBox::information(this, QStringLiteral("Balimor"),
                             tr("The desktop has no viewer for the help topics; they are in\n%1").arg(readme));
}

void CMainFrame::OnChooseLanguage(CaptionLanguage language) {
  StoreLanguage(doc.Ini(), language);
  storedLanguage = language;
  UpdateCommandUI();
  QString text = language == CaptionLanguage::kEnglish
                     ? tr("Balimor shows its captions in English from its next start.")
                     : tr("Balimor shows its captions as they are written from its next start.");
  const std::string environment = platform.EnvironmentValue("BALIMOR_LANG");
  CaptionLanguage named;
  if (ParseLanguage(environment, named))
    text += QLatin1Char('\n') + tr("While BALIMOR_LANG=%1 is set, it chooses the language.").arg(Q(environment));
  QMessageBox::information(this, tr("Language"), text);
}
