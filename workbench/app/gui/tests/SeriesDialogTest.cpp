// "Fit Series..." offscreen: three copies of the bundled diffraction scan fitted in both modes
// from the window's job, the summary and the trend dialog; a slow fitter cancelled from the
// progress dialog while the window goes on handling its events.
#include <QLabel>
#include <QListWidget>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "BalimorApp.h"
#include "FitSeriesDialog.h"
#include "GuiTestSupport.h"
#include "IniKeys.h"
#include "SeriesTrendDialog.h"
#include "SetupBalimorView.h"

using guitest::Scratch;

class SeriesDialogTest : public QObject {
  Q_OBJECT

  QStringList scans;

  std::unique_ptr<CBalimorApp> OpenSeries(Scratch& scratch, const QString& program = QString()) {
    const QByteArray data = Scratch::Read(guitest::ExampleFile(QStringLiteral("diffraction/demo.txt")));
    scans.clear();
    for (const char* name : {"scan_10.txt", "scan_2.txt", "scan_1.txt", "scan_3.txt"})
      scans << scratch.Write(QString::fromLatin1(name), data);
    scratch.Write(QStringLiteral("scan_1#0.pfc"), Scratch::Read(guitest::ExampleFile(QStringLiteral("diffraction/demo.pfc"))));
    if (!program.isEmpty()) {
      CIniFile ini(scratch.Ini().toStdString());
      ini.WriteString(ini::kXRDLSQProgram, program.toStdString());
    }
    auto app = guitest::MakeApp();
    app->Start({scratch.Path(QStringLiteral("scan_1.txt"))});
    return app;
  }

 private slots:
  void bothModesWriteTheSummaryAndShowTheTrend() {
    if (!QFileInfo::exists(QStringLiteral(BALIMOR_BIN_DIR "/xZentrab"))) QSKIP("xZentrab is not built");
    Scratch scratch;
    auto app = OpenSeries(scratch);
    CMainFrame& f = app->Frame();
    QCOMPARE(app->Doc().GetPeakSearch().peakCount, 6);
    for (bool chained : {true, false}) {
      CFitSeriesDialog dialog(app->Doc(), f.SetupView()->Form(), &f);
      dialog.SetFiles(scans);
      QCOMPARE(dialog.fileList->item(0)->text(), scratch.Path(QStringLiteral("scan_1.txt")));
      QCOMPARE(dialog.fileList->item(3)->text(), scratch.Path(QStringLiteral("scan_10.txt")));
      (chained ? dialog.chain : dialog.fromJob)->setChecked(true);
      const QString csv = scratch.Path(chained ? QStringLiteral("chain.csv") : QStringLiteral("from.csv"));
      dialog.csvPath->setText(csv);
      QVERIFY(dialog.Run());
      QVERIFY(dialog.lastResult.written);
      QVERIFY(dialog.lastResult.allConverged);
      QCOMPARE(dialog.lastScans, 4);
      const QList<QByteArray> lines = Scratch::Read(csv).split('\n');
      QCOMPARE(lines.size(), 1 + 4 * 6 + 1);
      QCOMPARE(lines[0], QByteArray(kSeriesHeader.data(), kSeriesHeader.size()));
      QVERIFY(lines[1].contains(",1,converged,"));
      QVERIFY(dialog.trend && dialog.trend->isVisible());
      QVERIFY(!dialog.trend->image->pixmap().isNull());
      QVERIFY(dialog.trend->path->text().contains(csv));
    }
    // The window's own job is untouched by the series.
    QCOMPARE(Scratch::Read(scratch.Path(QStringLiteral("scan_1#0.pfc"))).isEmpty(), false);
  }

  void cancelKeepsTheWindowResponsiveAndTheJobs() {
    if (!QFileInfo::exists(QStringLiteral(BALIMOR_BIN_DIR "/xZentrab"))) QSKIP("xZentrab is not built");
    Scratch scratch;
    const QString slow = scratch.Write(QStringLiteral("slow.sh"),
                                       "#!/bin/sh\nsleep 0.4\nexec '" BALIMOR_BIN_DIR "/xZentrab' \"$@\"\n", true);
    auto app = OpenSeries(scratch, slow);
    CMainFrame& f = app->Frame();
    CFitSeriesDialog dialog(app->Doc(), f.SetupView()->Form(), &f);
    dialog.SetFiles(scans);
    dialog.csvPath->setText(scratch.Path(QStringLiteral("cut.csv")));
    int ticks = 0;
    QTimer beat;
    connect(&beat, &QTimer::timeout, [&] { ++ticks; });
    beat.start(20);
    QTimer::singleShot(600, &dialog, [&] {
      if (auto* progress = dialog.findChild<QProgressDialog*>()) progress->cancel();
    });
    QVERIFY(dialog.Run());
    QVERIFY(dialog.lastCancelled);
    QVERIFY2(dialog.lastScans < 4, qPrintable(QString::number(dialog.lastScans)));
    QVERIFY2(ticks > 10, qPrintable(QString::number(ticks)));  // events went on during the run
    // Whole rows only, and every scan's job as readable as before.
    for (const QByteArray& line : Scratch::Read(scratch.Path(QStringLiteral("cut.csv"))).split('\n'))
      if (!line.isEmpty()) QCOMPARE(line.count(','), 14);
    QVERIFY(Scratch::Read(scratch.Path(QStringLiteral("scan_1#0.pfc"))).size() > 1000);
  }
};

QObject* MakeSeriesDialogTest() { return new SeriesDialogTest; }

#include "SeriesDialogTest.moc"
