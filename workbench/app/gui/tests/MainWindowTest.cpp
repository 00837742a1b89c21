// The main window: its panes and toolbar, the menus with their captions and check marks, and a
// real instrument file opened as the document.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QStyleOptionMenuItem>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <utility>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include "BalimorApp.h"
#include "BalimorEditView.h"
#include "BalimorVersion.h"
#include "GraphFrameArray.h"
#include "GraphView.h"
#include "GuiTestSupport.h"
#include "ImportColumnsDialog.h"
#include "IniKeys.h"
#include "QtPlatform.h"
#include "SetupBalimorView.h"
#include "SetupForm.h"
#include "QtText.h"
#include "ui_ImportColumnsDialog.h"
#include "ui_SetupBalimorView.h"

using guitest::Scratch;

namespace {

QStringList Captions(const QList<QAction*>& actions) {
  QStringList out;
  for (QAction* a : actions) out << (a->isSeparator() ? QStringLiteral("|") : a->text());
  return out;
}

// Takes the URLs that the desktop would open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

// The style option from which a menu draws an entry.
class StyleOptionMenu : public QMenu {
 public:
  QStyleOptionMenuItem OptionOf(QAction* a) {
    addAction(a);
    QStyleOptionMenuItem option;
    initStyleOption(&option, a);
    return option;
  }
};

// Pixels of the image that are neither white nor near-white.
int InkedPixels(const QImage& image) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 200) ++n;
  return n;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void panesAndToolbar() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({});
    CMainFrame& f = app->Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&f));

    // Form on the left; graph over report on the right, at the default sizes.
    QCOMPARE(f.Columns()->count(), 2);
    auto* scroll = qobject_cast<QScrollArea*>(f.Columns()->widget(0));
    QVERIFY(scroll);
    QCOMPARE(scroll->widget(), f.SetupView());
    QCOMPARE(f.Columns()->widget(1), f.Rows());
    QCOMPARE(f.Rows()->widget(0), f.GraphView());
    QCOMPARE(f.Rows()->widget(1), f.ReportView());
    QCOMPARE(f.Columns()->sizes().at(0), 350);
    // At the first start (no RowHeight0 stored) the graph takes most of its column.
    const QList<int> rows = f.Rows()->sizes();
    QVERIFY(rows.at(0) > 2 * rows.at(1));
    QVERIFY(rows.at(1) > 0);

    auto* bar = f.findChild<QToolBar*>(QStringLiteral("ToolBar"));
    QVERIFY(bar);
    QStringList tips;
    for (QAction* a : bar->actions()) tips << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
    const QStringList expected = {"新規作成", "開く...", "Update Current File", "切り取り", "ｺﾋﾟｰ", "貼り付け", "|",
                                  "View Background", "View Calc", "View Curves", "View Current Curve", "|",
                                  "Process XRD data", "Process Raman/IR Data", "|", "印刷...", "ﾊﾞｰｼﾞｮﾝ情報(Balimor) ...",
                                  tips.value(17), "|", "ｱﾌﾟﾘｹｰｼｮﾝの終了", "|", "Peak Search...", "Curve Fit"};
    QCOMPARE(tips, expected);
    QCOMPARE(bar->actions().at(17), f.Action(CMainFrame::kContextHelp));

    QStringList indicators;
    for (QObject* o : f.statusBar()->findChildren<QLabel*>(QStringLiteral("Indicator")))
      indicators << static_cast<QLabel*>(o)->text();
    QCOMPARE(indicators, QStringList({"ｶﾅ", "CAP", "NUM", "SCRL"}));
    auto* kind = f.statusBar()->findChild<QLabel*>(QStringLiteral("DataKindIndicator"));
    QVERIFY(kind);
    QCOMPARE(kind->text(), QStringLiteral("XRD"));  // a new document's kind
    QCOMPARE(f.Action(CMainFrame::kUpdate)->statusTip(), QStringLiteral("Update Current File "));
  }

  void menusCaptionsAndCheckMarks() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({});
    CMainFrame& f = app->Frame();
    QStringList titles;
    QList<QMenu*> menus;
    for (QAction* a : f.menuBar()->actions()) {
      titles << a->text();
      menus << a->menu();
    }
    QCOMPARE(titles, QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "&Option", "ﾍﾙﾌﾟ(&H)"}));
    QCOMPARE(Captions(menus[0]->actions()),
             QStringList({"新規作成(&N)\tCtrl+N", "開く(&O)...\tCtrl+O", "Save Data As...", "Read Text Files...",
                          "Read Rietan Files...", "&Update Current File", "Save As Rietan...", "|",
                          "印刷(&P)...\tCtrl+P", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)", "ﾌﾟﾘﾝﾀの設定(&R)...", "Export Graph...",
                          "Import Columns...", "|",
                          "最新のﾌｧｲﾙ", "|", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    QCOMPARE(Captions(menus[1]->actions()),
             QStringList({"元に戻す(&U)\tCtrl+Z", "|", "切り取り(&T)\tCtrl+X", "ｺﾋﾟｰ(&C)\tCtrl+C",
                          "貼り付け(&P)\tCtrl+V", "形式を選択して貼り付け(&S)...", "|", "すべて選択(&L)\tCtrl+A", "|",
                          "検索(&F)...\tCtrl+F", "次を検索(&I)\tF3", "置換(&E)\tCtrl+H"}));
    QCOMPARE(Captions(menus[2]->actions()),
             QStringList({"ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "|", "&Redraw", "&Change View Scale",
                          "Re&store View Scale", "|", "View Background", "View Calc", "View Curves",
                          "View Current Curve", "|", "Process XRD data", "Process Raman/IR Data", "|",
                          "Setup Graph&Frame", "Select Graph &Font", "Select &Editor Font", "Edit &IniFile", "|",
                          "Fit Frame to Window"}));
    QCOMPARE(Captions(menus[3]->actions()),
             QStringList({"Setup &Option", "Launch &Editor", "|", "Peak Search...", "Curve Fit\tF5", "Fit Series...", "|", "&Language"}));
    QCOMPARE(Captions(menus[4]->actions()), QStringList({"ﾄﾋﾟｯｸの検索(&H)", "|", "ﾊﾞｰｼﾞｮﾝ情報(Balimor) (&A)..."}));
    QCOMPARE(Captions(f.GraphView()->ContextMenu()->actions()),
             QStringList({"&Redraw", "&Change View Scale", "Re&store View Scale"}));
    QCOMPARE(f.Action(CMainFrame::kOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(f.Action(CMainFrame::kFindNext)->shortcut(), QKeySequence(Qt::Key_F3));

    // Check marks follow the switches and the data kind; kind 0 marks Raman/IR.
    CBalimorDoc& doc = app->Doc();
    using C = CMainFrame::Command;
    for (C c : {C::kViewBackground, C::kViewCalc, C::kViewCurves, C::kViewCurrentCurve, C::kKindXrd})
      QVERIFY2(f.Action(c)->isChecked(), qPrintable(f.Action(c)->text()));
    QVERIFY(!f.Action(C::kKindRaman)->isChecked());
    f.Action(C::kViewCurves)->trigger();
    QVERIFY(!doc.viewCurves);
    QVERIFY(!f.Action(C::kViewCurves)->isChecked());
    f.Action(C::kViewCurves)->trigger();
    QVERIFY(doc.viewCurves);
    QVERIFY(f.Action(C::kViewCurves)->isChecked());
    f.Action(C::kKindRaman)->trigger();
    QCOMPARE(doc.GetDataKind(), DataKind::Spectroscopic);
    QVERIFY(f.Action(C::kKindRaman)->isChecked());
    QVERIFY(!f.Action(C::kKindXrd)->isChecked());
    doc.GetPeakSearch().dataKind = DataKind::None;
    f.UpdateCommandUI();
    QVERIFY(f.Action(C::kKindRaman)->isChecked());
    f.Action(C::kKindXrd)->trigger();
    QVERIFY(f.Action(C::kKindXrd)->isChecked());
    // A menu draws the check mark of a checkable entry only when the entry shows no icon; the
    // tool bar keeps the icons.
    for (C c : {C::kKindXrd, C::kKindRaman, C::kViewCurves}) {
      const QStyleOptionMenuItem item = StyleOptionMenu().OptionOf(f.Action(c));
      QVERIFY(item.checkType != QStyleOptionMenuItem::NotCheckable);
      QCOMPARE(item.checked, f.Action(c)->isChecked());
      QVERIFY2(item.icon.isNull(), qPrintable(f.Action(c)->text()));
      QVERIFY(!f.Action(c)->icon().isNull());
    }
    f.Action(C::kToolBar)->trigger();
    QVERIFY(f.findChild<QToolBar*>(QStringLiteral("ToolBar"))->isHidden());
    QVERIFY(!f.Action(C::kToolBar)->isChecked());
  }

  // "Fit Frame to Window" sizes frame 0 to the pane at every paint; off, and in exported
  // pictures, the frame keeps its own position. The switch is remembered.
  void frameFollowsThePaneWithFitFrameToWindow() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({guitest::ExampleFile(QStringLiteral("diffraction/demo.txt"))});
    CMainFrame& f = app->Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    CGraphView* view = f.GraphView();
    const double* own = app->Doc().GetFrameArray()->GetFrame(0)->position;
    const CFramePosition ownPosition = {own[0], own[1], own[2], own[3]};
    auto shownWidth = [&](int windowWidth) {
      f.resize(windowWidth, 800);
      QCoreApplication::processEvents();
      view->grab();
      const CFramePosition p = view->ShownFramePosition();
      return p[2] - p[0];
    };
    QVERIFY(!f.Action(CMainFrame::kFitFrame)->isChecked());
    QCOMPARE(shownWidth(1600), 60.0);
    QCOMPARE(shownWidth(1000), 60.0);
    f.Action(CMainFrame::kFitFrame)->trigger();
    QVERIFY(view->FitFrameToWindow());
    const double wide = shownWidth(1600), narrow = shownWidth(1000);
    const double pxPerMm = double(view->width()) / view->widthMM();
    QVERIFY2(wide > 100 && narrow < wide - 500 / pxPerMm, qPrintable(QStringLiteral("%1 %2").arg(wide).arg(narrow)));
    QVERIFY(view->ShownFramePosition()[2] < view->widthMM());
    QCOMPARE((CFramePosition{own[0], own[1], own[2], own[3]}), ownPosition);
    // An exported picture is laid out round the frame's own size: a page some 130 mm wide.
    QString error;
    QVERIFY2(view->ExportTo(scratch.Path(QStringLiteral("g.png")), error), qPrintable(error));
    const QImage picture(scratch.Path(QStringLiteral("g.png")));
    QVERIFY(picture.width() * 1000.0 / picture.dotsPerMeterX() < 200);
    app.reset();
    app = guitest::MakeApp();
    app->Start({});
    QVERIFY(app->Frame().Action(CMainFrame::kFitFrame)->isChecked());
    app->Frame().Action(CMainFrame::kFitFrame)->trigger();
    QVERIFY(!app->Frame().GraphView()->FitFrameToWindow());
  }

  // Help opens the suite's README in the desktop's viewer; About names the version.
  void helpOpensTheReadmeAndAboutShowsTheVersion() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({});
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    app->Frame().Action(CMainFrame::kHelpTopics)->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(Scratch::Read(catcher.urls[0].toLocalFile()).startsWith("# Balimor"));
    guitest::ModalWatcher watcher;
    app->Frame().Action(CMainFrame::kAbout)->trigger();
    QCOMPARE(watcher.messages,
             QStringList({QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(Balimor): Balimor Version ") + QLatin1String(balimor::kVersion)}));
  }

  // The dialogs' "desc|pattern|…||" filters in Qt's form.
  void fileFiltersInQtForm_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("text") << "Text File (*.txt)|*.txt|All Files (*.*)|*.*||"
                          << "Text File (*.txt *.TXT);;All Files (*)";
    QTest::newRow("two patterns") << "Rietan Data File (*.int;*.pat)|*.int;*.pat|All Files (*.*)|*.*||"
                                  << "Rietan Data File (*.int *.INT *.pat *.PAT);;All Files (*)";
    QTest::newRow("no parentheses") << "Spectrum Files |*.;*.xrd;*.0*|All Files (*.*)|*.*||"
                                    << "Spectrum Files (*. *.xrd *.XRD *.0*);;All Files (*)";
    QTest::newRow("unterminated") << "PFC Files (*.pfc)|*.pfc" << "PFC Files (*.pfc *.PFC)";
    QTest::newRow("empty") << "" << "";
  }
  void fileFiltersInQtForm() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtFileFilter(filter.toStdString()), qt);
  }

  void openingARealFileFillsTheFormAndDraws() {
    const QString path = guitest::RealData(QStringLiteral("ras_smartlab_2theta.ras"));
    if (path.isEmpty()) QSKIP("../shared/realdata is absent");
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({path});
    CMainFrame& f = app->Frame();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    Ui::SetupBalimorView& u = f.SetupView()->Widgets();
    const QString stem = path.left(path.lastIndexOf(QLatin1Char('.')));
    QCOMPARE(u.inputEdit->text(), path);
    QCOMPARE(u.pfcEdit->text(), stem + QStringLiteral("#0.pfc"));
    QCOMPARE(u.outputEdit->text(), stem + QStringLiteral("#0.out"));
    QCOMPARE(u.optLowEdit->text(), QStringLiteral("2"));
    QCOMPARE(u.optHighEdit->text(), QStringLiteral("30"));
    QCOMPARE(u.calcLowEdit->text(), QStringLiteral("2"));
    QCOMPARE(u.calcHighEdit->text(), QStringLiteral("30"));
    QCOMPARE(app->Doc().GetOriginalData()->datan, 1401);
    QCOMPARE(f.windowTitle(), QStringLiteral("ras_smartlab_2theta.ras (SmartLab RAS Data) - Balimor"));
    auto* kind = f.statusBar()->findChild<QLabel*>(QStringLiteral("DataKindIndicator"));
    QCOMPARE(kind->text(), QStringLiteral("Raman/IR"));
    QVERIFY(f.ReportView()->toPlainText().contains(QStringLiteral("*RAS_DATA_START")));
    QCOMPARE(f.RecentFiles().value(0), path);
    // The scan is drawn: the graph view holds the curve's ink.
    const QImage shot = f.GraphView()->grab().toImage();
    QVERIFY2(InkedPixels(shot) > 500, qPrintable(QString::number(InkedPixels(shot))));

    // A rectangle dragged inside frame 0 becomes its limits.
    f.Rows()->setSizes({600, 200});
    CGraphView* view = f.GraphView();
    const double pxPerMm = double(view->width()) / view->widthMM();
    const QPoint a(int(35 * pxPerMm), int(30 * pxPerMm)), b(int(50 * pxPerMm), int(60 * pxPerMm));
    const CGraphFrame* frame = app->Doc().GetFrameArray()->GetFrame(0);
    const double xMin = frame->XMin, xMax = frame->XMax;
    QTest::mousePress(view, Qt::LeftButton, {}, a);
    QTest::mouseMove(view, b);
    QTest::mouseRelease(view, Qt::LeftButton, {}, b);
    QVERIFY(frame->XMin > xMin && frame->XMax < xMax && frame->XMin < frame->XMax);
    f.Action(CMainFrame::kRestoreScale)->trigger();
    QCOMPARE(frame->XMin, xMin);

    // Export Graph writes the three kinds of picture by their extensions.
    const std::pair<const char*, QByteArray> kinds[] = {{"g.png", "\x89PNG"}, {"g.svg", "<?xml"}, {"g.pdf", "%PDF"}};
    for (const auto& [name, magic] : kinds) {
      QString error;
      QVERIFY2(view->ExportTo(scratch.Path(QString::fromLatin1(name)), error), qPrintable(error));
      QVERIFY2(Scratch::Read(scratch.Path(QString::fromLatin1(name))).startsWith(magic), name);
    }
    QString error;
    QVERIFY(!view->ExportTo(scratch.Path(QStringLiteral("g.bmp")), error));
    QVERIFY(!error.isEmpty());

    // [Preferences] RasDataKind 1 opens RAS scans as diffraction data; the title stays.
    app->Doc().Ini().WriteInt(ini::kRasDataKind, 1);
    f.OpenDocumentFile(path);
    QCOMPARE(app->Doc().GetDataKind(), DataKind::Diffraction);
    QCOMPARE(kind->text(), QStringLiteral("XRD"));
    QCOMPARE(f.windowTitle(), QStringLiteral("ras_smartlab_2theta.ras (SmartLab RAS Data) - Balimor"));
  }

  // The column dialog shows what it found and what a choice reads; a ".txt" load that leaves most
  // lines of numbers unread says so in the status bar, and the first time in a box.
  void importColumnsDialogAndThePartialLoadNote() {
    Scratch scratch;
    QByteArray lines = "angle;counts;esd\r\n";
    for (int i = 0; i < 30; ++i) lines += QByteArray::number(10 + i) + ",5;" + QByteArray::number(100 + i) + ";1\r\n";
    lines += "end\r\n";
    const QString path = scratch.Write(QStringLiteral("cols.txt"), lines);
    CImportColumnsDialog dialog(S(path), nullptr);
    Ui::ImportColumnsDialog& u = dialog.Widgets();
    QCOMPARE(u.delimiterCombo->currentIndex(), int(ColumnDelimiter::kSemicolon));
    QVERIFY(u.decimalCommaCheck->isChecked());
    QCOMPARE(u.xColumnSpin->value(), 1);
    QCOMPARE(u.yColumnSpin->value(), 2);
    QVERIFY(u.firstLinesEdit->toPlainText().startsWith(QStringLiteral("angle;counts;esd\n10,5;100;1\n")));
    QCOMPARE(u.resultLabel->text(), QStringLiteral("Reads 30 points: X from column 1 (\"angle\"), Y from column 2 "
                                                   "(\"counts\"); skips 1 rows without numbers in them."));
    u.yColumnSpin->setValue(3);
    QCOMPARE(dialog.Choice().yColumn, 3);
    QVERIFY(dialog.Layout().yName == "esd");
    // Another delimiter finds its own columns; with none the choice cannot be taken.
    u.delimiterCombo->setCurrentIndex(int(ColumnDelimiter::kTab));
    QCOMPARE(dialog.Layout().points, 0);
    QVERIFY(!u.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
    u.delimiterCombo->setCurrentIndex(int(ColumnDelimiter::kSemicolon));
    QCOMPARE(dialog.Layout().points, 30);
    QVERIFY(!dialog.Kind());
    u.kindCombo->setCurrentIndex(2);
    QCOMPARE(dialog.Kind(), std::optional<DataKind>(DataKind::Spectroscopic));

    guitest::ModalWatcher watcher;
    auto app = guitest::MakeApp();
    app->Start({});
    CMainFrame& f = app->Frame();
    // The file dialog cancelled: nothing loaded.
    f.Action(CMainFrame::kImportColumns)->trigger();
    QCOMPARE(app->Doc().GetOriginalData()->datan, 0);
    // Through the ".txt" chain the file is read by the count on its third line, as "%lg %lg"
    // pairs, which its decimal commas end at once.
    f.OpenDocumentFile(path);
    const QString note = QStringLiteral("Read 0 of 30 numeric lines of %1. File > Import Columns... reads every row.")
                             .arg(path);
    QCOMPARE(app->Doc().GetOriginalData()->datan, 0);
    QCOMPARE(f.statusBar()->currentMessage(), note);
    QTRY_COMPARE(watcher.messages, QStringList({QStringLiteral("CMorvaneDoc::ReadDataFile: ") + note}));
    f.OpenDocumentFile(path);
    QTest::qWait(100);
    QCOMPARE(watcher.messages.size(), 1);
    // The form's input through the column import reads every row.
    f.SetupView()->Form().OpenColumnFile(S(path), dialog.Choice(), dialog.Kind());
    QCOMPARE(app->Doc().GetOriginalData()->datan, 30);
    QCOMPARE(f.SetupView()->Widgets().pfcEdit->text(), scratch.Path(QStringLiteral("cols#0.pfc")));
  }
};

QObject* MakeMainWindowTest() { return new MainWindowTest; }

#include "MainWindowTest.moc"
