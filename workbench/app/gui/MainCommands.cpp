// The main window's commands, one row each, and the menus, tool bar and graph context menu
// built from the rows. A row says where its command stands, what the user sees (caption,
// accelerator, icon, status tip), what it does, and when it carries a check mark or is enabled.
// Captions are source texts for Qt's translation system (context CMainFrame), shown in the
// language of the translation installed at start-up.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QWhatsThis>
#include <algorithm>
#include <map>
#include <vector>

#include "BalimorDoc.h"
#include "BalimorEditView.h"
#include "FitSeriesDialog.h"
#include "GraphView.h"
#include "MainFrame.h"
#include "QtText.h"
#include "SetupGraphFrameDialog.h"
#include "SetupOptionDialog.h"
#include "SetupBalimorView.h"
#include "SetupForm.h"
#include "SetupScaleDialog.h"
#include "ui_SetupBalimorView.h"

struct CMainFrame::CommandRow {
  // The menus, in the order of the menu bar (see MakeMenus).
  enum class Menu { kNone, kFile, kEdit, kView, kOption, kHelp, kLanguage };
  // What stands in the menu before the command: nothing, a gap, or a gap, the recent files and
  // another gap.
  enum class Before { kNothing, kGap, kRecentFiles };
  // The tool bar's groups from left to right, a gap between two; within a group the buttons
  // stand in the order of their rows.
  enum class Tool { kNone, kFileAndEdit, kViewSwitches, kDataKind, kPrintAndHelp, kExit, kFit };
  // A standard picture of the style, or letters on a tinted square.
  struct Icon {
    int standard = -1;  // a QStyle::StandardPixmap, -1 for none
    const char* letters = nullptr;
    QRgb colour = 0;
  };

  Command id;
  Menu menu = Menu::kNone;
  Before before = Before::kNothing;
  const char* caption = nullptr;  // nullptr: the toolkit's own What's This action
  const char* keys = nullptr;     // the accelerator, written after a tab in the menu
  bool keysInCaption = true;      // false for keys that are bound but not written (the help keys)
  const char* statusTip = nullptr;
  Icon icon = {};
  Tool tool = Tool::kNone;
  bool inGraphMenu = false;  // also in the graph view's context menu
  void (*run)(CMainFrame& f, bool checked) = nullptr;
  bool (*checked)(CMainFrame& f) = nullptr;  // set for a checkable command: its check mark
  bool (*enabled)(CMainFrame& f) = nullptr;  // nullptr: always enabled
};

namespace {

using Row = CMainFrame::CommandRow;
using M = Row::Menu;
using B = Row::Before;
using T = Row::Tool;

constexpr Row::Icon Standard(QStyle::StandardPixmap p) { return {static_cast<int>(p)}; }
constexpr Row::Icon Letters(const char* letters, int r, int g, int b) { return {-1, letters, qRgb(r, g, b)}; }

constexpr bool EachCommandOnce(std::span<const Row> rows) {
  for (int c = 0; c < CMainFrame::kCommandCount; ++c)
    if (std::count_if(rows.begin(), rows.end(), [c](const Row& r) { return r.id == c; }) != 1) return false;
  return true;
}

// What the user sees of a caption, status tip or menu title written in the rows: its
// translation, or the text as written when there is none.
QString Shown(const char* source) { return QCoreApplication::translate("CMainFrame", source); }

// The caption without its mnemonic marks: the toolbar's tool tip.
QString PlainCaption(QString caption) {
  caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
  caption.remove(QLatin1Char('&'));
  return caption.trimmed();
}

}  // namespace

QIcon CMainFrame::LetterIcon(const QString& letters, QColor colour) {
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

std::span<const CMainFrame::CommandRow> CMainFrame::Commands() {
  static constexpr Row rows[] = {
      {.id = kNew, .menu = M::kFile, .caption = QT_TR_NOOP("新規作成(&N)"), .keys = "Ctrl+N",
       .icon = Standard(QStyle::SP_FileIcon), .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) {
         f.doc.OnNewDocument();
         f.reportView->clear();
         f.RedrawAll();
       }},
      {.id = kOpen, .menu = M::kFile, .caption = QT_TR_NOOP("開く(&O)..."), .keys = "Ctrl+O",
       .icon = Standard(QStyle::SP_DialogOpenButton), .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) {
         f.setupView->Form().OnFileOpen();
         if (!f.doc.GetDataFileName().empty()) f.AddRecentFile(Q(f.doc.GetDataFileName()));
         f.RedrawAll();
       }},
      {.id = kSaveData, .menu = M::kFile, .caption = QT_TR_NOOP("Save Data As..."),
       .run = [](CMainFrame& f, bool) { f.doc.OnFileSaveDataAs(); }},
      {.id = kReadText, .menu = M::kFile, .caption = QT_TR_NOOP("Read Text Files..."),
       .run = [](CMainFrame& f, bool) { f.doc.OnReadTextFiles(); }},
      {.id = kReadRietan, .menu = M::kFile, .caption = QT_TR_NOOP("Read Rietan Files..."),
       .run = [](CMainFrame& f, bool) { f.doc.OnReadRietanFiles(); }},
      {.id = kUpdate, .menu = M::kFile, .caption = QT_TR_NOOP("&Update Current File"),
       .statusTip = QT_TR_NOOP("Update Current File "), .icon = Standard(QStyle::SP_BrowserReload),
       .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) {
         if (f.doc.OnFileUpdate() >= 0) f.AddRecentFile(Q(f.doc.GetDataFileName()));
       }},
      {.id = kSaveRietan, .menu = M::kFile, .caption = QT_TR_NOOP("Save As Rietan..."),
       .run = [](CMainFrame& f, bool) { f.doc.OnFileSaveAsRietan(); }},
      {.id = kPrint, .menu = M::kFile, .before = B::kGap, .caption = QT_TR_NOOP("印刷(&P)..."), .keys = "Ctrl+P",
       .icon = Letters("P", 128, 128, 128), .tool = T::kPrintAndHelp,
       .run = [](CMainFrame& f, bool) { f.OnPrint(false); }},
      {.id = kPrintPreview, .menu = M::kFile, .caption = QT_TR_NOOP("印刷ﾌﾟﾚﾋﾞｭｰ(&V)"),
       .run = [](CMainFrame& f, bool) { f.OnPrint(true); }},
      {.id = kPrintSetup, .menu = M::kFile, .caption = QT_TR_NOOP("ﾌﾟﾘﾝﾀの設定(&R)..."),
       .run = [](CMainFrame& f, bool) {
         if (!f.printer) f.printer = new QPrinter(QPrinter::HighResolution);
         QPageSetupDialog(f.printer, &f).exec();
       }},
      {.id = kExportGraph, .menu = M::kFile, .caption = QT_TR_NOOP("Export Graph..."),
       .run = [](CMainFrame& f, bool) { f.graphView->OnExportGraph(); }},
      {.id = kImportColumns, .menu = M::kFile, .caption = QT_TR_NOOP("Import Columns..."),
       .statusTip = QT_TR_NOOP("Read every row of a file of columns, its delimiter and X and Y columns chosen"),
       .run = [](CMainFrame& f, bool) { f.OnImportColumns(); }},
      {.id = kExit, .menu = M::kFile, .before = B::kRecentFiles, .caption = QT_TR_NOOP("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
       .icon = Standard(QStyle::SP_DialogCloseButton), .tool = T::kExit,
       .run = [](CMainFrame& f, bool) { f.close(); }},

      {.id = kUndo, .menu = M::kEdit, .caption = QT_TR_NOOP("元に戻す(&U)"), .keys = "Ctrl+Z",
       .run = [](CMainFrame& f, bool) { f.reportView->undo(); }},
      {.id = kCut, .menu = M::kEdit, .before = B::kGap, .caption = QT_TR_NOOP("切り取り(&T)"), .keys = "Ctrl+X",
       .icon = Letters("X", 200, 60, 60), .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) { f.reportView->cut(); }},
      // Copy belongs to the report view while it has the focus, else to the document's datum choice.
      {.id = kCopy, .menu = M::kEdit, .caption = QT_TR_NOOP("ｺﾋﾟｰ(&C)"), .keys = "Ctrl+C",
       .icon = Letters("C", 60, 140, 60), .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) {
         if (f.reportView->hasFocus())
           f.reportView->copy();
         else
           f.doc.OnEditCopy();
       }},
      {.id = kPaste, .menu = M::kEdit, .caption = QT_TR_NOOP("貼り付け(&P)"), .keys = "Ctrl+V",
       .icon = Letters("V", 60, 90, 180), .tool = T::kFileAndEdit,
       .run = [](CMainFrame& f, bool) { f.reportView->paste(); }},
      {.id = kPasteSpecial, .menu = M::kEdit, .caption = QT_TR_NOOP("形式を選択して貼り付け(&S)..."),
       .run = [](CMainFrame& f, bool) { f.reportView->paste(); }},
      {.id = kSelectAll, .menu = M::kEdit, .before = B::kGap, .caption = QT_TR_NOOP("すべて選択(&L)"),
       .keys = "Ctrl+A", .run = [](CMainFrame& f, bool) { f.reportView->selectAll(); }},
      {.id = kFind, .menu = M::kEdit, .before = B::kGap, .caption = QT_TR_NOOP("検索(&F)..."), .keys = "Ctrl+F",
       .run = [](CMainFrame& f, bool) { f.OnFind(false); }},
      {.id = kFindNext, .menu = M::kEdit, .caption = QT_TR_NOOP("次を検索(&I)"), .keys = "F3",
       .run = [](CMainFrame& f, bool) { f.OnFind(true); }},
      {.id = kReplace, .menu = M::kEdit, .caption = QT_TR_NOOP("置換(&E)"), .keys = "Ctrl+H",
       .run = [](CMainFrame& f, bool) { f.OnReplace(); }},

      {.id = kToolBar, .menu = M::kView, .caption = QT_TR_NOOP("ﾂｰﾙ ﾊﾞｰ(&T)"),
       .run = [](CMainFrame& f, bool on) { f.toolBar->setVisible(on); },
       .checked = [](CMainFrame& f) { return !f.toolBar->isHidden(); }},
      {.id = kStatusBar, .menu = M::kView, .caption = QT_TR_NOOP("ｽﾃｰﾀｽ ﾊﾞｰ(&S)"),
       .run = [](CMainFrame& f, bool on) { f.statusBar()->setVisible(on); },
       .checked = [](CMainFrame& f) { return !f.statusBar()->isHidden(); }},
      {.id = kRedraw, .menu = M::kView, .before = B::kGap, .caption = QT_TR_NOOP("&Redraw"), .inGraphMenu = true,
       .run = [](CMainFrame& f, bool) { f.RedrawAll(); }},
      {.id = kScale, .menu = M::kView, .caption = QT_TR_NOOP("&Change View Scale"), .inGraphMenu = true,
       .run = [](CMainFrame& f, bool) { CSetupScaleDialog(f.doc, &f).exec(); }},
      {.id = kRestoreScale, .menu = M::kView, .caption = QT_TR_NOOP("Re&store View Scale"), .inGraphMenu = true,
       .run = [](CMainFrame& f, bool) { f.doc.OnViewRestoreScale(); }},
      {.id = kViewBackground, .menu = M::kView, .before = B::kGap, .caption = QT_TR_NOOP("View Background"),
       .icon = Letters("Bg", 0, 170, 170), .tool = T::kViewSwitches,
       .run = [](CMainFrame& f, bool) { f.doc.ToggleSwitch(CBalimorDoc::kViewBackground); },
       .checked = [](CMainFrame& f) { return f.doc.viewBackground; }},
      {.id = kViewCalc, .menu = M::kView, .caption = QT_TR_NOOP("View Calc"), .icon = Letters("Ca", 200, 40, 40),
       .tool = T::kViewSwitches, .run = [](CMainFrame& f, bool) { f.doc.ToggleSwitch(CBalimorDoc::kViewCalc); },
       .checked = [](CMainFrame& f) { return f.doc.viewCalc; }},
      {.id = kViewCurves, .menu = M::kView, .caption = QT_TR_NOOP("View Curves"), .icon = Letters("Cv", 40, 160, 40),
       .tool = T::kViewSwitches, .run = [](CMainFrame& f, bool) { f.doc.ToggleSwitch(CBalimorDoc::kViewCurves); },
       .checked = [](CMainFrame& f) { return f.doc.viewCurves; }},
      {.id = kViewCurrentCurve, .menu = M::kView, .caption = QT_TR_NOOP("View Current Curve"),
       .icon = Letters("Cc", 40, 40, 200), .tool = T::kViewSwitches,
       .run = [](CMainFrame& f, bool) { f.doc.ToggleSwitch(CBalimorDoc::kViewCurrentCurve); },
       .checked = [](CMainFrame& f) { return f.doc.viewCurrentCurve; }},
      // Raman/IR carries the check mark for every kind but diffraction, "none" too.
      {.id = kKindXrd, .menu = M::kView, .before = B::kGap, .caption = QT_TR_NOOP("Process XRD data"),
       .icon = Letters("XR", 150, 100, 30), .tool = T::kDataKind,
       .run = [](CMainFrame& f, bool) { f.doc.SetDataKind(DataKind::Diffraction); },
       .checked = [](CMainFrame& f) { return f.doc.GetDataKind() == DataKind::Diffraction; }},
      {.id = kKindRaman, .menu = M::kView, .caption = QT_TR_NOOP("Process Raman/IR Data"),
       .icon = Letters("Ra", 130, 50, 160), .tool = T::kDataKind,
       .run = [](CMainFrame& f, bool) { f.doc.SetDataKind(DataKind::Spectroscopic); },
       .checked = [](CMainFrame& f) { return f.doc.GetDataKind() != DataKind::Diffraction; }},
      {.id = kSetupFrame, .menu = M::kView, .before = B::kGap, .caption = QT_TR_NOOP("Setup Graph&Frame"),
       .run = [](CMainFrame& f, bool) { CSetupGraphFrameDialog(f.doc, &f).exec(); }},
      {.id = kGraphFont, .menu = M::kView, .caption = QT_TR_NOOP("Select Graph &Font"),
       .run = [](CMainFrame& f, bool) { f.graphView->OnSelectGraphFont(); }},
      {.id = kEditorFont, .menu = M::kView, .caption = QT_TR_NOOP("Select &Editor Font"),
       .run = [](CMainFrame& f, bool) { f.reportView->OnSelectEditorFont(); }},
      {.id = kEditIni, .menu = M::kView, .caption = QT_TR_NOOP("Edit &IniFile"),
       .run = [](CMainFrame& f, bool) { f.doc.OnViewEditIniFile(); }},
      {.id = kFitFrame, .menu = M::kView, .before = B::kGap, .caption = QT_TR_NOOP("Fit Frame to Window"),
       .statusTip = QT_TR_NOOP("Size the graph frame to the pane; print and export keep Setup GraphFrame's size"),
       .run = [](CMainFrame& f, bool on) { f.graphView->SetFitFrameToWindow(on); },
       .checked = [](CMainFrame& f) { return f.graphView->FitFrameToWindow(); }},

      {.id = kSetupOption, .menu = M::kOption, .caption = QT_TR_NOOP("Setup &Option"),
       .run = [](CMainFrame& f, bool) { CSetupOptionDialog(f.doc, &f).exec(); }},
      {.id = kLaunchEditor, .menu = M::kOption, .caption = QT_TR_NOOP("Launch &Editor"),
       .run = [](CMainFrame& f, bool) { f.doc.OnOptionLaunchEditor(); }},
      // The setup form's two buttons of the fit, where a menu and the tool bar offer them too:
      // the commands press the buttons.
      {.id = kPeakSearch, .menu = M::kOption, .before = B::kGap, .caption = QT_TR_NOOP("Peak Search..."),
       .statusTip = QT_TR_NOOP("Search the data for peaks and add them to the peak table"),
       .icon = Letters("Pk", 200, 130, 0), .tool = T::kFit,
       .run = [](CMainFrame& f, bool) { f.setupView->Widgets().peakSearchButton->click(); },
       .enabled = [](CMainFrame& f) { return f.setupView->Widgets().peakSearchButton->isEnabled(); }},
      {.id = kCurveFit, .menu = M::kOption, .caption = QT_TR_NOOP("Curve Fit"), .keys = "F5",
       .statusTip = QT_TR_NOOP("Write the fit job, run the fitter of the data kind and draw the result"),
       .icon = Letters("Fit", 0, 130, 60), .tool = T::kFit,
       .run = [](CMainFrame& f, bool) { f.setupView->Widgets().curveFitButton->click(); },
       .enabled = [](CMainFrame& f) { return f.setupView->Widgets().curveFitButton->isEnabled(); }},
      {.id = kFitSeries, .menu = M::kOption, .caption = QT_TR_NOOP("Fit Series..."),
       .statusTip = QT_TR_NOOP("Fit many scans from the current job and write a summary of every peak"),
       .run = [](CMainFrame& f, bool) { CFitSeriesDialog(f.doc, f.setupView->Form(), &f).exec(); }},

      {.id = kHelpTopics, .menu = M::kHelp, .caption = QT_TR_NOOP("ﾄﾋﾟｯｸの検索(&H)"), .keys = "F1",
       .keysInCaption = false,
       .run = [](CMainFrame& f, bool) { f.OnHelpTopics(); }},
      {.id = kAbout, .menu = M::kHelp, .before = B::kGap, .caption = QT_TR_NOOP("ﾊﾞｰｼﾞｮﾝ情報(Balimor) (&A)..."),
       .icon = Standard(QStyle::SP_MessageBoxInformation), .tool = T::kPrintAndHelp,
       .run = [](CMainFrame& f, bool) { f.OnAbout(); }},
      // The toolkit's What's This action does its own work.
      {.id = kContextHelp, .keys = "Shift+F1", .keysInCaption = false, .tool = T::kPrintAndHelp},

      // The captions' language, stored for the next start.
      {.id = kLanguageJapanese, .menu = M::kLanguage, .caption = QT_TR_NOOP("&Japanese"),
       .statusTip = QT_TR_NOOP("Show the captions as they are written, from the next start"),
       .run = [](CMainFrame& f, bool) { f.OnChooseLanguage(CaptionLanguage::kJapanese); },
       .checked = [](CMainFrame& f) { return f.storedLanguage == CaptionLanguage::kJapanese; }},
      {.id = kLanguageEnglish, .menu = M::kLanguage, .caption = QT_TR_NOOP("&English"),
       .statusTip = QT_TR_NOOP("Show the captions in English, from the next start"),
       .run = [](CMainFrame& f, bool) { f.OnChooseLanguage(CaptionLanguage::kEnglish); },
       .checked = [](CMainFrame& f) { return f.storedLanguage == CaptionLanguage::kEnglish; }},
  };
  static_assert(EachCommandOnce(rows), "every command has one row");
  return rows;
}

QAction* CMainFrame::Make(const CommandRow& row) {
  QAction* a = nullptr;
  if (row.caption) {
    const QString caption = Shown(row.caption);
    const bool written = row.keys && row.keysInCaption;
    a = new QAction(written ? caption + QLatin1Char('\t') + QLatin1String(row.keys) : caption, this);
    a->setToolTip(PlainCaption(caption));
  } else {
    a = QWhatsThis::createAction(this);
  }
  if (row.keys) a->setShortcut(QKeySequence(QLatin1String(row.keys)));
  if (row.statusTip) a->setStatusTip(Shown(row.statusTip));
  if (row.icon.standard >= 0)
    a->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(row.icon.standard)));
  else if (row.icon.letters)
    a->setIcon(LetterIcon(QLatin1String(row.icon.letters), QColor(row.icon.colour)));
  if (row.checked) {
    a->setCheckable(true);
    // A menu draws an entry's icon in place of its check mark: a checkable command keeps its
    // icon for the tool bar only.
    a->setIconVisibleInMenu(false);
  }
  if (row.run) connect(a, &QAction::triggered, this, [this, run = row.run](bool checked) { run(*this, checked); });
  return a;
}

void CMainFrame::MakeActions() {
  for (const CommandRow& row : Commands()) actions[row.id] = Make(row);
}

void CMainFrame::MakeMenus() {
  using Menu = CommandRow::Menu;
  struct MenuRow {
    Menu id;
    Menu parent;  // kNone: on the menu bar; else a submenu after the parent's commands
    const char* caption;
  };
  static constexpr MenuRow menuRows[] = {
      {Menu::kFile, Menu::kNone, QT_TR_NOOP("ﾌｧｲﾙ(&F)")},  {Menu::kEdit, Menu::kNone, QT_TR_NOOP("編集(&E)")},
      {Menu::kView, Menu::kNone, QT_TR_NOOP("表示(&V)")},  {Menu::kOption, Menu::kNone, QT_TR_NOOP("&Option")},
      {Menu::kHelp, Menu::kNone, QT_TR_NOOP("ﾍﾙﾌﾟ(&H)")},  {Menu::kLanguage, Menu::kOption, QT_TR_NOOP("&Language")},
  };
  std::map<Menu, QMenu*> menus;
  for (const MenuRow& m : menuRows) {
    const QString caption = Shown(m.caption);
    menus[m.id] = m.parent == Menu::kNone ? menuBar()->addMenu(caption) : new QMenu(caption, this);
    connect(menus[m.id], &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
  }
  fileMenu = menus.at(Menu::kFile);

  auto* context = new QMenu(this);
  context->setObjectName(QStringLiteral("GraphContextMenu"));
  for (const CommandRow& row : Commands()) {
    if (row.inGraphMenu) context->addAction(Action(row.id));
    if (row.menu == Menu::kNone) continue;
    QMenu* menu = menus.at(row.menu);
    if (row.before != CommandRow::Before::kNothing) menu->addSeparator();
    if (row.before == CommandRow::Before::kRecentFiles) recentAnchor = menu->addSeparator();
    menu->addAction(Action(row.id));
  }
  for (const MenuRow& m : menuRows)
    if (m.parent != Menu::kNone) {
      menus.at(m.parent)->addSeparator();
      menus.at(m.parent)->addMenu(menus.at(m.id));
    }
  graphView->SetContextMenu(context);
}

void CMainFrame::MakeToolBar() {
  toolBar = addToolBar(tr("ToolBar"));
  toolBar->setObjectName(QStringLiteral("ToolBar"));
  toolBar->setIconSize(QSize(20, 20));
  using Tool = CommandRow::Tool;
  std::vector<const CommandRow*> buttons;
  for (const CommandRow& row : Commands())
    if (row.tool != Tool::kNone) buttons.push_back(&row);
  std::stable_sort(buttons.begin(), buttons.end(),
                   [](const CommandRow* a, const CommandRow* b) { return a->tool < b->tool; });
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (i > 0 && buttons[i]->tool != buttons[i - 1]->tool) toolBar->addSeparator();
    toolBar->addAction(Action(buttons[i]->id));
  }
  connect(toolBar, &QToolBar::visibilityChanged, this, [this](bool v) { Action(kToolBar)->setChecked(v); });
}

void CMainFrame::UpdateCommandUI() {
  for (const CommandRow& row : Commands()) {
    if (row.checked) Action(row.id)->setChecked(row.checked(*this));
    if (row.enabled) Action(row.id)->setEnabled(row.enabled(*this));
  }
  kindIndicator->setText(doc.GetDataKind() == DataKind::Diffraction ? tr("XRD") : tr("Raman/IR"));
  const std::string title = doc.GetTitle();
  setWindowTitle((title.empty() ? tr("無題") : Q(title)) + QStringLiteral(" - Balimor"));
}
