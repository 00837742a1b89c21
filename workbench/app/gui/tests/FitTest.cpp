// "Curve Fit(&X)" from the window: the real xZentrab on the bundled diffraction example, a
// fitter that fails, and a slow one cancelled from the run dialog. The window stays usable
// throughout.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QSplitter>
#include <QTest>

#include "BalimorApp.h"
#include "BalimorEditView.h"
#include "GraphView.h"
#include "GuiTestSupport.h"
#include "IniKeys.h"
#include "RunDialog.h"
#include "SetupBalimorView.h"
#include "ui_SetupBalimorView.h"

using guitest::ModalWatcher;
using guitest::Scratch;

class FitTest : public QObject {
  Q_OBJECT

 private:
  // The demo scan with its job beside it under the name the form gives it, opened as the
  // document; the job's text before the fit.
  QByteArray job;
  QString pfc;

  std::unique_ptr<CBalimorApp> OpenDemo(Scratch& scratch, const QString& program = QString()) {
    const QString scan = scratch.Write(QStringLiteral("demo.txt"),
                                       Scratch::Read(guitest::ExampleFile(QStringLiteral("diffraction/demo.txt"))));
    job = Scratch::Read(guitest::ExampleFile(QStringLiteral("diffraction/demo.pfc")));
    pfc = scratch.Write(QStringLiteral("demo#0.pfc"), job);
    if (!program.isEmpty()) {
      CIniFile ini(scratch.Ini().toStdString());
      ini.WriteString(ini::kXRDLSQProgram, program.toStdString());
    }
    auto app = guitest::MakeApp();
    app->Start({scan});
    return app;
  }

 private slots:
  void realFitFillsTheReportAndRefinesTheJob() {
    if (!QFileInfo::exists(QStringLiteral(BALIMOR_BIN_DIR "/xZentrab"))) QSKIP("xZentrab is not built");
    Scratch scratch;
    auto app = OpenDemo(scratch);
    CMainFrame& f = app->Frame();
    CBalimorDoc& doc = app->Doc();
    QCOMPARE(doc.GetPeakSearch().peakCount, 6);  // the job was read on opening
    ModalWatcher watcher;
    QTest::mouseClick(f.SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    QVERIFY2(watcher.messages.isEmpty(), qPrintable(watcher.messages.join(QLatin1Char('\n'))));
    QCOMPARE(watcher.runsSeen <= 1, true);
    QVERIFY(f.SetupView()->Form().lastFitRefined);
    QVERIFY(Scratch::Read(pfc) != Scratch::Read(scratch.Path(QStringLiteral("prev.pfc"))));  // refined
    QVERIFY(QFileInfo::exists(scratch.Path(QStringLiteral("prev.pfc"))));
    const QString report = f.ReportView()->toPlainText();
    QVERIFY(report.contains(QStringLiteral("*** Peak area: #   2Q")));
    QVERIFY(QString::fromStdString(doc.peakAreaText).contains(QStringLiteral("Sigma: ")));
    QCOMPARE(doc.GetPeakSearch().peakCount, 6);
    // The model (made again at each paint while Auto redraw is on) is drawn over the scan, and
    // the peak-area text beside frame 0, which lies between 20 and 80 mm from the left.
    f.Rows()->setSizes({700, 100});
    CGraphView* view = f.GraphView();
    const QImage shot = view->grab().toImage();
    QVERIFY(doc.GetPeakSearch().totalCurve.datan > 0);
    const double pxPerMm = double(view->width()) / view->widthMM();
    int red = 0, text = 0;
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < shot.width(); ++x) {
        const QColor c = shot.pixelColor(x, y);
        if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++red;
        if (x > 85 * pxPerMm && qGray(c.rgb()) < 128) ++text;
      }
    QVERIFY2(text > 200, qPrintable(QString::number(text)));
    QVERIFY2(red > 50, qPrintable(QString::number(red)));  // the total curve is red
  }

  void failingFitterRestoresTheJob() {
    Scratch scratch;
    const QString fitter = scratch.Write(QStringLiteral("fails.sh"), "#!/bin/sh\necho giving up\nexit 3\n", true);
    auto app = OpenDemo(scratch, fitter);
    ModalWatcher watcher;
    QTest::mouseClick(app->Frame().SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    // The stand-in wrote no report either.
    QCOMPARE(watcher.messages.size(), 2);
    QCOMPARE(watcher.messages[0], QStringLiteral("Error: Can't copy [%1] to [%2]")
                                      .arg(scratch.Path(QStringLiteral("out.txt")), scratch.Path(QStringLiteral("demo#0.out"))));
    QVERIFY2(watcher.messages[1].startsWith(QStringLiteral("Calculation error: File [") + scratch.Path("new.pfc") +
                                            QStringLiteral("] doesn't exist")),
             qPrintable(watcher.messages[1]));
    // The job as written for the run is back in place.
    QCOMPARE(Scratch::Read(pfc), Scratch::Read(scratch.Path(QStringLiteral("prev.pfc"))));
    QCOMPARE(app->Doc().GetPeakSearch().peakCount, 6);
    QVERIFY(!app->Frame().SetupView()->Form().lastFitRefined);
  }

  void fitterThatCannotStartIsNamed() {
    Scratch scratch;
    const QString missing = scratch.Path(QStringLiteral("no-such-fitter"));
    auto app = OpenDemo(scratch, missing);
    ModalWatcher watcher;
    QTest::mouseClick(app->Frame().SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    QCOMPARE(watcher.runsSeen, 0);
    QCOMPARE(watcher.messages,
             QStringList({QStringLiteral("Error: Can't exec [\"%1\" \"%2\"]").arg(missing, pfc)}));
  }

  // F5 runs what the form's "Curve Fit" button runs; the run dialog reads the fitter's cycles.
  void f5RunsTheFitAndTheDialogShowsItsProgress() {
    Scratch scratch;
    const QString fitter = scratch.Write(QStringLiteral("cycles.sh"),
                                         "#!/bin/sh\n"
                                         "echo ' Optimize by MarqAdaptive'\n"
                                         "echo ' Start cycle   1 S=  0.171075E+08 sigma=   37.4487'\n"
                                         "echo ' *** Rejected step in cycle  1, trial S=  0.2E+08, damping raised to  0.6'\n"
                                         "echo ' Start cycle   2 S=  0.140277E+07 sigma=   10.7235'\n"
                                         "sleep 60\n",
                                         true);
    auto app = OpenDemo(scratch, fitter);
    CMainFrame& f = app->Frame();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    ModalWatcher watcher;
    QString progress;
    watcher.onRun = [&](const QString& output, int) {
      if (!output.contains(QStringLiteral("Start cycle   2"))) return false;
      progress = qobject_cast<CRunDialog*>(QApplication::activeModalWidget())->ProgressText();
      return true;
    };
    QTest::keyClick(f.SetupView()->Widgets().inputEdit, Qt::Key_F5);
    QCOMPARE(watcher.runsSeen, 1);
    QVERIFY2(progress.startsWith(QStringLiteral(
                 "Cycle 2   S = 1.40277e+06   sigma = 10.7235 %   accepted 1, rejected 1   elapsed 0:")),
             qPrintable(progress));
    QCOMPARE(Scratch::Read(pfc), Scratch::Read(scratch.Path(QStringLiteral("prev.pfc"))));
  }

  void cancelEndsASlowFitterAndKeepsTheJob() {
    Scratch scratch;
    const QString fitter =
        scratch.Write(QStringLiteral("slow.sh"), "#!/bin/sh\necho cycle 1\nsleep 60\necho cycle 2\n", true);
    auto app = OpenDemo(scratch, fitter);
    CMainFrame& f = app->Frame();
    ModalWatcher watcher;
    bool blocked = false;
    watcher.onRun = [&](const QString& output, int) {
      if (!output.contains(QStringLiteral("cycle 1"))) return false;
      // While it runs the run dialog is the one window that takes input.
      blocked = qobject_cast<CRunDialog*>(QApplication::activeModalWidget()) != nullptr && app->Platform().Running();
      return true;
    };
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f.SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    QVERIFY(clock.elapsed() < 20000);
    QVERIFY(blocked);
    QCOMPARE(watcher.runsSeen, 1);
    QVERIFY(watcher.runOutputs.value(0).contains(QStringLiteral("cycle 1")));
    QVERIFY(!watcher.runOutputs.value(0).contains(QStringLiteral("cycle 2")));
    QCOMPARE(watcher.messages.size(), 2);  // no report, and the cancelled calculation
    QVERIFY2(watcher.messages[1].startsWith(QStringLiteral("Fit cancelled: The calculation was cancelled")),
             qPrintable(watcher.messages[1]));
    QCOMPARE(Scratch::Read(pfc), Scratch::Read(scratch.Path(QStringLiteral("prev.pfc"))));
    QCOMPARE(app->Doc().GetPeakSearch().peakCount, 6);
    // The window is usable again: a run is no longer in progress and the form works.
    QVERIFY(!app->Platform().Running());
    const int peaks = app->Doc().GetPeakSearch().peakCount;
    QTest::mouseClick(f.SetupView()->Widgets().addPeakButton, Qt::LeftButton);
    QCOMPARE(app->Doc().GetPeakSearch().peakCount, peaks + 1);
  }

  // A run cancelled after two cycles: its box says "Fit cancelled", and neither its Sigma nor
  // that of the run before stands beside the curves of the job it started from.
  void cancelledRunIsCaptionedFitCancelled() {
    Scratch scratch;
    const QString fitter = scratch.Write(QStringLiteral("hangs.sh"),
                                         "#!/bin/sh\n"
                                         "echo ' Start cycle   1 S=  0.171075E+08 sigma=   37.4487'\n"
                                         "echo ' Start cycle   2 S=  0.140277E+07 sigma=   10.7235'\n"
                                         "sleep 60\n",
                                         true);
    auto app = OpenDemo(scratch, fitter);
    app->Doc().peakAreaText = " *** Peak area: #   2Q\r\n  1  28.440\r\nSigma: 1   2 %";
    ModalWatcher watcher;
    watcher.onRun = [&](const QString& output, int) { return output.contains(QStringLiteral("Start cycle   2")); };
    QTest::mouseClick(app->Frame().SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    QCOMPARE(watcher.runsSeen, 1);
    QVERIFY2(watcher.messages.filter(QStringLiteral("Fit cancelled: The calculation was cancelled")).size() == 1,
             qPrintable(watcher.messages.join(QLatin1Char('\n'))));
    QVERIFY(watcher.messages.filter(QStringLiteral("Calculation error")).isEmpty());
    QCOMPARE(QString::fromStdString(app->Doc().peakAreaText), QString());
    QCOMPARE(Scratch::Read(pfc), Scratch::Read(scratch.Path(QStringLiteral("prev.pfc"))));
  }

  // The real xZentrab stopped at a limit of three cycles: the status bar and the report's end
  // say so, and the refined job is taken.
  void fitAtItsCycleLimitSaysSoBesideTheResult() {
    if (!QFileInfo::exists(QStringLiteral(BALIMOR_BIN_DIR "/xZentrab"))) QSKIP("xZentrab is not built");
    Scratch scratch;
    auto app = OpenDemo(scratch);
    app->Doc().GetPeakSearch().maxIteration = 3;
    ModalWatcher watcher;
    QTest::mouseClick(app->Frame().SetupView()->Widgets().curveFitButton, Qt::LeftButton);
    QVERIFY2(watcher.messages.isEmpty(), qPrintable(watcher.messages.join(QLatin1Char('\n'))));
    QVERIFY(app->Frame().SetupView()->Form().lastFitRefined);
    const QString note = QStringLiteral("fit: stopped at the cycle limit (3) before converging");
    QStatusBar* bar = app->Frame().statusBar();
    QCOMPARE(bar->currentMessage(), note);
    // A tool button's tip replaces the message while the pointer is on it; the note stays.
    bar->showMessage(QStringLiteral("a tool tip"));
    bar->clearMessage();
    auto* kept = bar->findChild<QLabel*>(QStringLiteral("StatusNote"));
    QVERIFY(kept && !kept->isHidden());
    QCOMPARE(kept->text(), note);
    QVERIFY(app->Frame().ReportView()->toPlainText().trimmed().endsWith(
        QStringLiteral("Fit stopped at the cycle limit (3) before converging.")));
    QVERIFY(QString::fromStdString(app->Doc().peakAreaText).contains(QStringLiteral("Sigma: ")));
  }
};

QObject* MakeFitTest() { return new FitTest; }

#include "FitTest.moc"
