// The peak table side of the setup form: Add, Delete, Clear and the choice of a peak, the spin
// buttons and the couplings of typed values, "Cal" and "Default".
#include <cmath>

#include "BalimorDoc.h"
#include "SetupForm.h"

void CSetupForm::OnAddPeak() {
  Take();
  CPeakSearch& r = Record();
  const int s = selected;
  double p, c, g, ratio, wl;
  if (s >= 0 && s < r.peakCount) {
    p = V(CPeakSearch::kPosition);
    c = V(CPeakSearch::kCTotal);
    g = V(CPeakSearch::kGaussFraction);
    ratio = V(CPeakSearch::kFWHMGLRatio);
    wl = V(CPeakSearch::kFWHMLorentz);
  } else {
    const form::CNewPeak& peak =
        r.dataKind == DataKind::Diffraction ? form::kNewDiffractionPeak : form::kNewSpectroscopicPeak;
    p = (optLow + optHigh) * 0.5;
    c = peak.intensity;
    g = peak.gaussFraction;
    ratio = peak.rfwhm;
    wl = peak.lorentzFwhm;
  }
  const int count = r.AddPeak(p, c, g, ratio, wl);
  if (count >= 1) {
    FillPeakList(count - 1);
    ApplySetup();
    RedrawIfAuto();
  }
}

void CSetupForm::OnDeletePeak() {
  const int s = selected;
  if (s < 0) return;
  const int count = Record().DeletePeak(s);
  FillPeakList(s < count ? s : s - 1);
}

void CSetupForm::OnClearPeaks() {
  Record().Clear();
  FillPeakList(0);
}

void CSetupForm::OnSelectPeak(int k) {
  ApplySetup();
  FillPeakList(k);
  Redraw();
}

void CSetupForm::OnCal() {
  const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  const CGraphData* curve = frame ? frame->GetGraph(0) : nullptr;
  if (!curve || curve->datan < 2) return;
  Take();
  const double x0 = optLow, x1 = optHigh;
  const double y0 = curve->ValueAt(x0), y1 = curve->ValueAt(x1);
  const CPeakSearch& r = Record();
  if (r.dataKind == DataKind::Diffraction || CPeakSearch::IsZentrabProgram(r.ramanProgram)) {
    // y = b0 + b1 x through (x0, y0) and (x1, y1); a range of zero width gives a flat line.
    b[1] = x1 != x0 ? (y1 - y0) / (x1 - x0) : 0.0;
    b[0] = y1 - b[1] * x1;
  } else {
    // In t over the optimisation range: b0 − b1 = y0 and b0 + b1 = y1.
    b[1] = (y1 - y0) * 0.5;
    b[0] = y1 - b[1];
  }
  Show();
  ApplySetup();
  RedrawIfAuto();
}

void CSetupForm::OnDefault() {
  Take();
  CPeakSearch& r = Record();
  r.ramda1 = ramda1 = form::kCuKa1;
  r.ramda2 = ramda2 = form::kCuKa2;
  r.qRange = qRange = form::kQRange;
  r.iRatio = iRatio = form::kIRatio;
  Show();
}

void CSetupForm::OnSpin(Field f, int d) {
  Take();
  const double M = deltaMagnification;
  const double step =
      (Record().dataKind == DataKind::Diffraction ? form::kDiffractionStep : form::kSpectroscopicStep) * d * M;
  // v := v − |v|·d·M·0.005, the relative step of heights and coefficients.
  auto relative = [&](double& v) { v -= std::fabs(v) * d * M * form::kRelativeStep; };
  switch (f) {
    case kB0: case kB1: case kB2: case kB3: case kB4:
      relative(b[f - kB0]);
      break;
    case kPosition:
      V(CPeakSearch::kPosition) -= step;
      break;
    case kCTotal:
      relative(V(CPeakSearch::kCTotal));
      break;
    case kGaussFraction:
      V(CPeakSearch::kGaussFraction) -= d * form::kFractionStep;
      break;
    case kFWHMGLRatio:
      V(CPeakSearch::kFWHMGLRatio) -= d * form::kRatioStep;
      break;
    case kCGauss:
      relative(V(CPeakSearch::kCGauss));
      break;
    case kCLorentz:
      relative(V(CPeakSearch::kCLorentz));
      break;
    case kFWHMGauss:
      V(CPeakSearch::kFWHMGauss) -= step;
      break;
    case kFWHMLorentz:
      V(CPeakSearch::kFWHMLorentz) -= step;
      break;
    case kAniso:
      V(CPeakSearch::kAniso) -= d * M * form::kAnisoStep;
      break;
    case kLKa1:
      relative(ramda1);
      break;
    case kLKa2:
      relative(ramda2);
      break;
    case kQRange:
      relative(qRange);
      break;
  }
  Couple(f);
  Show();
  ApplySetup();
  RedrawIfAuto();
}

void CSetupForm::OnEdited(Field f) {
  Take();
  Couple(f);
  Show();
  ApplySetup();
  RedrawIfAuto();
}

void CSetupForm::Couple(Field f) {
  const bool diffraction = Record().dataKind == DataKind::Diffraction;
  double& cTotal = V(CPeakSearch::kCTotal);
  double& fraction = V(CPeakSearch::kGaussFraction);
  double& cGauss = V(CPeakSearch::kCGauss);
  double& cLorentz = V(CPeakSearch::kCLorentz);
  double& wg = V(CPeakSearch::kFWHMGauss);
  double& wl = V(CPeakSearch::kFWHMLorentz);
  double& ratio = V(CPeakSearch::kFWHMGLRatio);
  switch (f) {
    case kCTotal:
    case kGaussFraction:
      cGauss = fraction * cTotal;
      cLorentz = cTotal - cGauss;
      break;
    case kCGauss:
      // Diffraction keeps the intensity, Raman/IR the other height.
      if (diffraction) cLorentz = cTotal - cGauss; else cTotal = cGauss + cLorentz;
      fraction = cGauss / cTotal;
      break;
    case kCLorentz:
      if (diffraction) cGauss = cTotal - cLorentz; else cTotal = cLorentz + cGauss;
      fraction = cGauss / cTotal;
      break;
    case kFWHMGauss:
    case kFWHMGLRatio:
      wl = wg / ratio;
      break;
    case kFWHMLorentz:
      wg = wl * ratio;
      break;
    default:
      break;
  }
}
