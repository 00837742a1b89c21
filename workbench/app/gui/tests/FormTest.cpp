// The setup form: the peak buttons, a spin click and a typed value change the coupled fields on
// the form and in the fit record at once.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "BalimorApp.h"
#include "GuiTestSupport.h"
#include "IniKeys.h"
#include "PeakSearchDialog.h"
#include "PeakSearchDialogView.h"
#include "SetupBalimorView.h"
#include "SpinArrows.h"
#include "ui_SetupBalimorView.h"

using guitest::Scratch;
using Col = CPeakSearch::Column;

namespace {

double Field(QLineEdit* e) { return e->text().toDouble(); }

}  // namespace

class FormTest : public QObject {
  Q_OBJECT

 private:
  // The demo scan (2θ 20 to 80) opened as the document.
  std::unique_ptr<CBalimorApp> OpenDemo(Scratch& scratch) {
    const QString scan = scratch.Write(QStringLiteral("demo.txt"),
                                       Scratch::Read(guitest::ExampleFile(QStringLiteral("diffraction/demo.txt"))));
    auto app = guitest::MakeApp();
    app->Start({scan});
    return app;
  }

 private slots:
  void addDeleteAndClearPeaks() {
    Scratch scratch;
    auto app = OpenDemo(scratch);
    Ui::SetupBalimorView& u = app->Frame().SetupView()->Widgets();
    CPeakSearch& r = app->Doc().GetPeakSearch();
    QCOMPARE(r.peakCount, 0);
    QCOMPARE(u.peakList->count(), 0);

    // On an empty list: the middle of the optimisation range with the diffraction defaults.
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    QCOMPARE(r.peakCount, 1);
    QCOMPARE(u.peakList->count(), 1);
    QCOMPARE(u.peakList->currentIndex(), 0);
    QCOMPARE(Field(u.positionEdit), 50.0);
    QCOMPARE(Field(u.cTotalEdit), 2000.0);
    QCOMPARE(Field(u.fwhmLorentzEdit), 0.2);
    QCOMPARE(u.peakList->itemText(0), QStringLiteral("  0: 50.0000    2000 0.2000 0.500 1.000"));

    // A typed position reaches the record as it is typed; Add Peak copies the selected peak.
    u.positionEdit->selectAll();
    QTest::keyClicks(u.positionEdit, QStringLiteral("47.3"));
    QCOMPARE(r.Value(CPeakSearch::kPosition, 0), 47.3);
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    QCOMPARE(r.peakCount, 2);
    QCOMPARE(u.peakList->currentIndex(), 1);
    QCOMPARE(r.Value(CPeakSearch::kPosition, 1), 47.3);
    QCOMPARE(u.peakIndexEdit->text(), QStringLiteral("1"));

    // Deleting the last entry selects the one before; deleting the only peak leaves nothing.
    QTest::mouseClick(u.deletePeakButton, Qt::LeftButton);
    QCOMPARE(r.peakCount, 1);
    QCOMPARE(u.peakList->currentIndex(), 0);
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    QTest::mouseClick(u.clearPeaksButton, Qt::LeftButton);
    QCOMPARE(r.peakCount, 0);
    QCOMPARE(u.peakList->count(), 0);
    QCOMPARE(u.peakList->currentIndex(), -1);
  }

  void spinsAndTypingKeepTheCoupledFields() {
    Scratch scratch;
    auto app = OpenDemo(scratch);
    Ui::SetupBalimorView& u = app->Frame().SetupView()->Widgets();
    CPeakSearch& r = app->Doc().GetPeakSearch();
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    const double fraction = Field(u.gaussFractionEdit);

    // C(Total) up: +0.5 % of its value; C(Gauss) and C(Lorentz) split it by the Gauss fraction.
    QTest::mouseClick(u.cTotalSpin->UpButton(), Qt::LeftButton);
    QCOMPARE(Field(u.cTotalEdit), 2010.0);
    QCOMPARE(Field(u.cGaussEdit), 2010.0 * fraction);
    QCOMPARE(Field(u.cLorentzEdit), 2010.0 - 2010.0 * fraction);
    QCOMPARE(r.Value(CPeakSearch::kCTotal, 0), 2010.0);
    QCOMPARE(r.Value(CPeakSearch::kCGauss, 0), 2010.0 * fraction);

    // Position steps 0.005 per click for diffraction data, times Delta Mag.
    u.deltaMagEdit->setText(QStringLiteral("4"));
    QTest::mouseClick(u.positionSpin->DownButton(), Qt::LeftButton);
    QCOMPARE(r.Value(CPeakSearch::kPosition, 0), 50.0 - 0.02);
    QCOMPARE(Field(u.positionEdit), 49.98);

    // FWHM(Gauss) down: FWHM(Lorentz) follows through the ratio.
    const double ratio = Field(u.fwhmRatioEdit);
    QTest::mouseClick(u.fwhmGaussSpin->DownButton(), Qt::LeftButton);
    const double wg = r.Value(CPeakSearch::kFWHMGauss, 0);
    QCOMPARE(wg, 0.2 * ratio - 0.02);
    QCOMPARE(r.Value(CPeakSearch::kFWHMLorentz, 0), wg / ratio);
    QCOMPARE(Field(u.fwhmLorentzEdit), wg / ratio);

    // Typing FWHM(Lorentz) sets FWHM(Gauss) := FWHM(Lorentz) × ratio while the typed field
    // keeps what is being typed.
    u.fwhmLorentzEdit->selectAll();
    QTest::keyClicks(u.fwhmLorentzEdit, QStringLiteral("0.25"));
    QCOMPARE(u.fwhmLorentzEdit->text(), QStringLiteral("0.25"));
    QCOMPARE(r.Value(CPeakSearch::kFWHMLorentz, 0), 0.25);
    QCOMPARE(r.Value(CPeakSearch::kFWHMGauss, 0), 0.25 * ratio);
    QCOMPARE(Field(u.fwhmGaussEdit), 0.25 * ratio);

    // A background spin and a free flag reach the record.
    u.b0Edit->setText(QStringLiteral("100"));
    QTest::mouseClick(u.b0Spin->UpButton(), Qt::LeftButton);
    QCOMPARE(r.b[0], 100.0 + 100.0 * 4 * 0.005);
    QTest::mouseClick(u.anisoOpt, Qt::LeftButton);
    QCOMPARE(r.Flag(CPeakSearch::kAniso, 0), u.anisoOpt->isChecked() ? 1 : 0);

    // Log and Lin.
    QTest::mouseClick(u.logButton, Qt::LeftButton);
    QCOMPARE(u.logButton->text(), QStringLiteral("Lin"));
    QCOMPARE(app->Doc().logFlag, 1);
    QTest::mouseClick(u.logButton, Qt::LeftButton);
    QCOMPARE(u.logButton->text(), QStringLiteral("Log"));
  }

  // The Peak Search dialog: the threshold says what it is measured from, a search that finds
  // nothing says so, and "Replace current peaks" (remembered) puts the peaks found in place of
  // the table's.
  void peakSearchDialogReplacesPeaks() {
    Scratch scratch;
    auto app = OpenDemo(scratch);
    Ui::SetupBalimorView& u = app->Frame().SetupView()->Widgets();
    CPeakSearch& r = app->Doc().GetPeakSearch();
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    QTest::mouseClick(u.addPeakButton, Qt::LeftButton);
    QCOMPARE(r.peakCount, 2);
    CSetupForm& form = app->Frame().SetupView()->Form();
    for (bool replace : {false, true}) {
      const int before = r.peakCount;
      auto search = form.MakePeakSearchDialog();
      QVERIFY(search);
      CPeakSearchDialogView dialog(*search, nullptr);
      auto* hint = dialog.findChild<QLabel*>(QStringLiteral("thresholdHint"));
      QVERIFY(hint->text().contains(QStringLiteral("height above the lowest point in the range")));
      auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("replaceBox"));
      QCOMPARE(box->isChecked(), false);  // off by default, and off again after it was left off
      auto* threshold = dialog.findChild<QLineEdit*>(QStringLiteral("thresholdEdit"));
      auto* list = dialog.findChild<QListWidget*>(QStringLiteral("resultList"));
      auto* button = dialog.findChild<QPushButton*>(QStringLiteral("searchButton"));
      threshold->setText(QStringLiteral("1e12"));
      QTest::mouseClick(button, Qt::LeftButton);
      QCOMPARE(list->count(), 2);
      QVERIFY(list->item(1)->text().startsWith(QStringLiteral("No peak found")));
      threshold->setText(QStringLiteral("100"));
      QTest::mouseClick(button, Qt::LeftButton);
      const int found = search->found.peakCount;
      QVERIFY(found > 0);
      if (replace) QTest::mouseClick(box, Qt::LeftButton);
      dialog.accept();
      form.AfterPeakSearch();
      QCOMPARE(r.peakCount, replace ? found : before + found);
      if (replace) break;
    }
    QCOMPARE(CIniFile(scratch.Ini().toStdString()).GetInt(ini::kReplacePeaks), 1);
    auto search = form.MakePeakSearchDialog();
    CPeakSearchDialogView dialog(*search, nullptr);
    QVERIFY(dialog.findChild<QCheckBox*>(QStringLiteral("replaceBox"))->isChecked());
  }
};

QObject* MakeFormTest() { return new FormTest; }

#include "FormTest.moc"
