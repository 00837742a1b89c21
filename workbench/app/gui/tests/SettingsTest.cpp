// Settings of the window: the three [LSQ] paths shown at a start without a file, the "Setup
// LSQ" keys in their order, and the window placement, pane sizes, toolbar state and display
// switches across a restart.
#include <QAction>
#include <QLineEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QTest>
#include <QToolBar>

#include "BalimorApp.h"
#include "GuiTestSupport.h"
#include "SetupBalimorView.h"
#include "SetupLsqDialog.h"
#include "ui_SetupBalimorView.h"
#include "ui_SetupLsqDialog.h"

using guitest::Scratch;

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void startWithoutAFileShowsTheLsqPaths() {
    Scratch scratch;
    scratch.Write(QStringLiteral("test.INI"),
                  "[LSQ]\r\nInputPath=/d/scan.ras\r\nPFCPath=/d/scan#0.pfc\r\nOutputPath=/d/scan#0.out\r\n");
    auto app = guitest::MakeApp();
    app->Start({});
    const Ui::SetupBalimorView& u = app->Frame().SetupView()->Widgets();
    QCOMPARE(u.inputEdit->text(), QStringLiteral("/d/scan.ras"));
    QCOMPARE(u.pfcEdit->text(), QStringLiteral("/d/scan#0.pfc"));
    QCOMPARE(u.outputEdit->text(), QStringLiteral("/d/scan#0.out"));
  }

  void setupLsqWritesItsKeysInOrder() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    app->Start({});
    CSetupLsqDialog dialog(app->Frame().SetupView()->Form(), &app->Frame());
    Ui::SetupLsqDialog& u = dialog.Widgets();
    QCOMPARE(u.maxIterationEdit->text(), QStringLiteral("30"));
    QCOMPARE(u.convergenceEdit->text(), QStringLiteral("0.01"));
    QCOMPARE(u.dampingEdit->text(), QStringLiteral("0.3"));
    u.xrdEdit->setText(QStringLiteral("/opt/fit/xZentrab"));
    u.ramanEdit->setText(QStringLiteral("/opt/fit/simplexfit"));
    u.maxIterationEdit->setText(QStringLiteral("25"));
    u.convergenceEdit->setText(QStringLiteral("0.005"));
    u.dampingEdit->setText(QStringLiteral("0.25"));
    u.iPrtSpin->setValue(2);
    u.iPrtIntervalSpin->setValue(50);
    QCOMPARE(u.methodCombo->currentText(), QStringLiteral("Marq"));
    u.methodCombo->setCurrentText(QStringLiteral("MarqAdaptive"));
    dialog.accept();
    const QByteArray text = Scratch::Read(scratch.Ini());
    const QByteArray section = text.mid(text.indexOf("[SetupLSQ]"));
    const char* keys[] = {"XRDLSQProgram=/opt/fit/xZentrab", "RamanLSQProgram=/opt/fit/simplexfit",
                          "MaxIteration=25", "ConvergenceCriteria=0.005", "DumpingFactor=0.25", "iPrt=2",
                          "iPrtIntvl=50", "Method=MarqAdaptive"};
    qsizetype at = 0;
    for (const char* key : keys) {
      const qsizetype found = section.indexOf(key);
      QVERIFY2(found > at, key);
      at = found;
    }
    QCOMPARE(app->Doc().GetPeakSearch().maxIteration, 25);
    QCOMPARE(app->Doc().GetPeakSearch().iPrtIntvl, 50);
  }

  void windowPanesAndSwitchesSurviveARestart() {
    Scratch scratch;
    {
      auto app = guitest::MakeApp();
      CMainFrame& f = app->Frame();
      app->Start({});
      QVERIFY(QTest::qWaitForWindowExposed(&f));
      f.setGeometry(30, 40, 1100, 760);
      f.Columns()->setSizes({420, 600});
      f.Rows()->setSizes({380, 300});
      f.Action(CMainFrame::kViewCurves)->trigger();
      f.Action(CMainFrame::kViewBackground)->trigger();
      f.Action(CMainFrame::kToolBar)->trigger();
      QVERIFY(f.close());
    }
    const QByteArray ini = Scratch::Read(scratch.Ini());
    QVERIFY2(ini.contains("Position=30 40 1100 760"), ini.constData());
    QVERIFY(ini.contains("ColumnWidth0=420"));
    QVERIFY(ini.contains("RowHeight0=380"));
    QVERIFY(ini.contains("ViewCurves=0"));
    {
      auto app = guitest::MakeApp();
      CMainFrame& f = app->Frame();
      app->Start({});
      QVERIFY(QTest::qWaitForWindowExposed(&f));
      QCOMPARE(f.geometry(), QRect(30, 40, 1100, 760));
      QCOMPARE(f.Columns()->sizes().at(0), 420);
      QCOMPARE(f.Rows()->sizes().at(0), 380);
      QVERIFY(!app->Doc().viewCurves);
      QVERIFY(!app->Doc().viewBackground);
      QVERIFY(app->Doc().viewCalc);
      QVERIFY(!f.Action(CMainFrame::kViewCurves)->isChecked());
      QVERIFY(f.findChild<QToolBar*>(QStringLiteral("ToolBar"))->isHidden());
    }
  }
};

QObject* MakeSettingsTest() { return new SettingsTest; }

#include "SettingsTest.moc"
