#include "SetupBalimorView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "BalimorDoc.h"
#include "DialogFields.h"
#include "PeakSearchDialog.h"
#include "PeakSearchDialogView.h"
#include "QtText.h"
#include "SetupLsqDialog.h"
#include "Translations.h"
#include "ui_SetupBalimorView.h"

namespace {

using F = CSetupForm::Field;
using C = CPeakSearch::Column;

}  // namespace

CSetupBalimorView::CSetupBalimorView(CBalimorDoc& doc_, QWidget* parent)
    : QWidget(parent), doc(doc_), form(doc_), ui(new Ui::SetupBalimorView) {
  ui->setupUi(this);
  Bind();
  form.SetView(this);
  ShowValues();
}

CSetupBalimorView::~CSetupBalimorView() {
  form.SaveSetup();
  form.SetView(nullptr);
}

void CSetupBalimorView::Bind() {
  Ui::SetupBalimorView& u = *ui;
  // Fields with a spin button or a coupling, and whether typing applies at once.
  struct Row {
    QLineEdit* edit;
    double* value;
    int field;
    bool atOnce;
    CSpinArrows* spin;
  };
  const Row rows[] = {
      {u.positionEdit, &form.value[C::kPosition], F::kPosition, true, u.positionSpin},
      {u.cTotalEdit, &form.value[C::kCTotal], F::kCTotal, true, u.cTotalSpin},
      {u.gaussFractionEdit, &form.value[C::kGaussFraction], F::kGaussFraction, true, u.gaussFractionSpin},
      {u.fwhmRatioEdit, &form.value[C::kFWHMGLRatio], F::kFWHMGLRatio, true, u.fwhmRatioSpin},
      {u.cGaussEdit, &form.value[C::kCGauss], F::kCGauss, true, u.cGaussSpin},
      {u.fwhmGaussEdit, &form.value[C::kFWHMGauss], F::kFWHMGauss, true, u.fwhmGaussSpin},
      {u.cLorentzEdit, &form.value[C::kCLorentz], F::kCLorentz, true, u.cLorentzSpin},
      {u.fwhmLorentzEdit, &form.value[C::kFWHMLorentz], F::kFWHMLorentz, true, u.fwhmLorentzSpin},
      {u.anisoEdit, &form.value[C::kAniso], F::kAniso, true, u.anisoSpin},
      {u.b0Edit, &form.b[0], F::kB0, true, u.b0Spin},
      {u.b1Edit, &form.b[1], F::kB1, true, u.b1Spin},
      {u.b2Edit, &form.b[2], F::kB2, true, u.b2Spin},
      {u.b3Edit, &form.b[3], F::kB3, true, u.b3Spin},
      {u.b4Edit, &form.b[4], F::kB4, true, u.b4Spin},
      {u.lka1Edit, &form.ramda1, F::kLKa1, true, u.lka1Spin},
      {u.lka2Edit, &form.ramda2, F::kLKa2, true, u.lka2Spin},
      {u.qRangeEdit, &form.qRange, F::kQRange, true, u.qRangeSpin},
      // Taken at the next application of the form.
      {u.iRatioEdit, &form.iRatio, -1, false, nullptr},
      {u.deltaMagEdit, &form.deltaMagnification, -1, false, nullptr},
      {u.optLowEdit, &form.optLow, -1, false, nullptr},
      {u.optHighEdit, &form.optHigh, -1, false, nullptr},
      {u.calcLowEdit, &form.calcLow, -1, false, nullptr},
      {u.calcHighEdit, &form.calcHigh, -1, false, nullptr},
  };
  for (const Row& r : rows) {
    numbers.push_back({r.edit, r.value, r.field, r.atOnce});
    const NumberField f = numbers.back();
    if (r.atOnce)
      connect(r.edit, &QLineEdit::textEdited, this, [this, f] { OnTyped(f); });
    // A field left with a value that is not a number shows the value in force again.
    connect(r.edit, &QLineEdit::editingFinished, this, [this] {
      editing = nullptr;
      ShowValues();
    });
    if (r.spin) {
      const F field = static_cast<F>(r.field);
      connect(r.spin, &CSpinArrows::spun, this, [this, field](int d) { form.OnSpin(field, d); });
    }
  }

  const std::pair<QCheckBox*, bool*> boxes[] = {
      {u.positionOpt, &form.optimize[C::kPosition]},
      {u.cTotalOpt, &form.optimize[C::kCTotal]},
      {u.gaussFractionOpt, &form.optimize[C::kGaussFraction]},
      {u.fwhmRatioOpt, &form.optimize[C::kFWHMGLRatio]},
      {u.cGaussOpt, &form.optimize[C::kCGauss]},
      {u.fwhmGaussOpt, &form.optimize[C::kFWHMGauss]},
      {u.cLorentzOpt, &form.optimize[C::kCLorentz]},
      {u.fwhmLorentzOpt, &form.optimize[C::kFWHMLorentz]},
      {u.anisoOpt, &form.optimize[C::kAniso]},
      {u.b0Opt, &form.optimizeB[0]},
      {u.b1Opt, &form.optimizeB[1]},
      {u.b2Opt, &form.optimizeB[2]},
      {u.b3Opt, &form.optimizeB[3]},
      {u.b4Opt, &form.optimizeB[4]},
      {u.autoRedrawCheck, &form.autoRedraw},
  };
  for (const auto& [box, value] : boxes) {
    flags.push_back({box, value});
    // A free flag reaches the fit record at once.
    if (box != u.autoRedrawCheck)
      connect(box, &QCheckBox::toggled, this, [this] {
        if (!showing) form.ApplySetup();
      });
  }

  using File = CSetupForm::File;
  using Range = CSetupForm::Range;
  connect(u.inputPathButton, &QPushButton::clicked, this, [this] { form.OnPathButton(File::kInputFile); });
  connect(u.pfcPathButton, &QPushButton::clicked, this, [this] { form.OnPathButton(File::kPfcFile); });
  connect(u.outputPathButton, &QPushButton::clicked, this, [this] { form.OnPathButton(File::kOutputFile); });
  connect(u.inputEdButton, &QPushButton::clicked, this, [this] { form.OnEditButton(File::kInputFile); });
  connect(u.pfcEdButton, &QPushButton::clicked, this, [this] { form.OnEditButton(File::kPfcFile); });
  connect(u.outputEdButton, &QPushButton::clicked, this, [this] { form.OnEditButton(File::kOutputFile); });
  connect(u.optViewRngButton, &QPushButton::clicked, this, [this] { form.OnViewRange(Range::kOptimizeRange); });
  connect(u.calcViewRngButton, &QPushButton::clicked, this, [this] { form.OnViewRange(Range::kOutputRange); });
  connect(u.optSetViewButton, &QPushButton::clicked, this, [this] { form.OnSetViewRange(Range::kOptimizeRange); });
  connect(u.calcSetViewButton, &QPushButton::clicked, this, [this] { form.OnSetViewRange(Range::kOutputRange); });
  connect(u.addPeakButton, &QPushButton::clicked, this, [this] { form.OnAddPeak(); });
  connect(u.deletePeakButton, &QPushButton::clicked, this, [this] { form.OnDeletePeak(); });
  connect(u.clearPeaksButton, &QPushButton::clicked, this, [this] { form.OnClearPeaks(); });
  connect(u.peakSearchButton, &QPushButton::clicked, this, &CSetupBalimorView::OnPeakSearch);
  connect(u.curveFitButton, &QPushButton::clicked, this, [this] { form.OnExecdastelbutton(); });
  connect(u.savePfcButton, &QPushButton::clicked, this, [this] { form.OnSavePfc(); });
  connect(u.setupLsqButton, &QPushButton::clicked, this, &CSetupBalimorView::OnSetupLsq);
  connect(u.redrawButton, &QPushButton::clicked, this, [this] { form.OnRedraw(); });
  connect(u.logButton, &QPushButton::clicked, this, [this] { form.OnLog(); });
  connect(u.calButton, &QPushButton::clicked, this, [this] { form.OnCal(); });
  connect(u.defaultButton, &QPushButton::clicked, this, [this] { form.OnDefault(); });
  connect(u.peakList, &QComboBox::activated, this, [this](int k) { form.OnSelectPeak(k); });
  connect(u.autoRedrawCheck, &QCheckBox::toggled, this, [this] {
    if (!showing) form.TakeValues();
  });
}

void CSetupBalimorView::OnTyped(const NumberField& f) {
  editing = f.edit;
  if (f.field >= 0)
    form.OnEdited(static_cast<F>(f.field));
  else
    form.ApplySetup();
  editing = nullptr;
}

void CSetupBalimorView::TakeValues() {
  Ui::SetupBalimorView& u = *ui;
  form.inputPath = S(u.inputEdit->text());
  form.pfcPath = S(u.pfcEdit->text());
  form.outputPath = S(u.outputEdit->text());
  for (const NumberField& f : numbers) {
    double v;
    if (ReadDialogNumber(f.edit->text(), v)) *f.value = v;
  }
  for (const Flag& f : flags) *f.value = f.box->isChecked();
}

void CSetupBalimorView::ShowValues() {
  Ui::SetupBalimorView& u = *ui;
  showing = true;
  auto setText = [this](QLineEdit* e, const QString& text) {
    if (e != editing && e->text() != text) e->setText(text);
  };
  setText(u.inputEdit, Q(form.inputPath));
  setText(u.pfcEdit, Q(form.pfcPath));
  setText(u.outputEdit, Q(form.outputPath));
  for (const NumberField& f : numbers) setText(f.edit, DialogNumber(*f.value));
  for (const Flag& f : flags) {
    const QSignalBlocker block(f.box);
    f.box->setChecked(*f.value);
  }
  u.peakIndexEdit->setText(QString::number(form.peakIndex));
  {
    const QSignalBlocker block(u.peakList);
    u.peakList->clear();
    for (const std::string& line : form.peakList) u.peakList->addItem(Q(line));
    u.peakList->setCurrentIndex(form.selected);
  }
  u.logButton->setText(CoreText(form.logCaption));
  showing = false;
}

void CSetupBalimorView::SetWaitCursor(bool on) {
  if (on)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void CSetupBalimorView::OnPeakSearch() {
  std::unique_ptr<CPeakSearchDialog> search = form.MakePeakSearchDialog();
  if (!search) return;
  CPeakSearchDialogView dialog(*search, window());
  if (dialog.exec() == QDialog::Accepted) form.AfterPeakSearch();
}

void CSetupBalimorView::OnSetupLsq() {
  CSetupLsqDialog dialog(form, window());
  dialog.exec();
}
