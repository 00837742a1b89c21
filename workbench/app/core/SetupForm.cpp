#include "SetupForm.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "BalimorDoc.h"
#include "IniKeys.h"
#include "PathText.h"
#include "PeakSearchDialog.h"
#include "Platform.h"
#include "Process.h"
#include "Profile.h"

namespace fs = std::filesystem;

namespace {

using Col = CPeakSearch::Column;

const char* const kAllFiles = "|All Files (*.*)|*.*||";
const char* const kPfcFilter = "Balimor Files (*.pfc)|*.pfc|All Files (*.*)|*.*||";
const char* const kOutputFilter = "Output Files (*.out)|*.out|All Files (*.*)|*.*||";
const char* const kSavePfcFilter = "PFC Files (*.pfc)|*.pfc|All Files (*.*)|*.*||";
const char* const kProgramFilter = "Executable Files (*.exe)|*.exe|All Files (*.*)|*.*||";
const char* const kExecCaption = "Error in CSetupBalimorView::OnExecdastelbutton";

// The form's nine peak values with their [LSQ] keys, in the order of the record's columns.
struct PeakKey {
  Col column;
  const IniKey& value;
  const IniKey& flag;
  bool saved;  // written back by SaveSetup
};
const PeakKey kPeakKeys[] = {
    {CPeakSearch::kPosition, ini::kPosition, ini::kOptimizePosition, true},
    {CPeakSearch::kCTotal, ini::kCTotal, ini::kOptimizeCTotal, false},
    {CPeakSearch::kGaussFraction, ini::kGaussFraction, ini::kOptimizeGaussFraction, false},
    {CPeakSearch::kFWHMGLRatio, ini::kFWHMGLRatio, ini::kOptimizeFWHMGLRatio, false},
    {CPeakSearch::kCGauss, ini::kCGauss, ini::kOptimizeCGauss, true},
    {CPeakSearch::kFWHMGauss, ini::kFWHMGauss, ini::kOptimizeFWHMGauss, true},
    {CPeakSearch::kCLorentz, ini::kCLorentz, ini::kOptimizeCLorentz, true},
    {CPeakSearch::kFWHMLorentz, ini::kFWHMLorentz, ini::kOptimizeFWHMLorentz, true},
    {CPeakSearch::kAniso, ini::kAniso, ini::kOptimizeAniso, true},
};

// Folder of a path (up to its last "/"); "." for a bare file name.
std::string FolderOf(const std::string& path) {
  const std::string folder = pathtext::FolderOf(path);
  return folder.empty() ? std::string(".") : folder;
}

std::string Format(const char* fmt, const std::string& a, const std::string& b) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, fmt, a.c_str(), b.c_str());
  return buf;
}

std::string CantCopy(const std::string& from, const std::string& to) {
  return "Can't copy [" + from + "] to [" + to + "]";
}

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// A file of the run, as opposed to a device, a pipe or a folder that a path may name.
bool IsRegular(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Deletes a file of the run; a path that names a device, a pipe or a folder is left alone.
void Remove(const std::string& path) {
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(path, ec);
  if (fs::is_regular_file(link) || fs::is_symlink(link)) fs::remove(path, ec);
}

// Opens a report to read it; null when it is missing or not a regular file (a device such as
// /dev/zero would never end).
std::FILE* OpenReport(const std::string& path) {
  return IsRegular(path) ? std::fopen(path.c_str(), "rb") : nullptr;
}

bool SameTextNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// S and sigma of a " Start cycle " line, taken from their labelled fields "S=" and "sigma=".
bool ScanCycleLine(const char* line, double& s, double& sigma) {
  const char* sl = std::strstr(line + 13, " S=");
  const char* gl = std::strstr(line + 13, "sigma=");
  if (!sl || !gl) return false;
  char* end = nullptr;
  const double sv = std::strtod(sl + 3, &end);
  if (end == sl + 3) return false;
  const double gv = std::strtod(gl + 6, &end);
  if (end == gl + 6) return false;
  s = sv;
  sigma = gv;
  return true;
}

std::string SigmaLine(double s1, double s2) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "\r\nSigma: %lg   %lg %%", s1, s2);
  return buf;
}

}  // namespace

bool CopyJobFile(const std::string& src, const std::string& dst) {
  if (SamePath(src, dst)) return true;
  if (!IsRegular(src)) return false;
  std::ifstream in(src, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  return WriteFileText(dst, "w", text.str()) == 0;
}

CSetupForm::CSetupForm(CBalimorDoc& doc_) : doc(doc_) {
  doc.SetSetupForm(this);
  LoadSetup();
  inputPath.clear();
  pfcPath.clear();
  outputPath.clear();
}

CSetupForm::~CSetupForm() {
  if (doc.GetSetupForm() == this) doc.SetSetupForm(nullptr);
}

CPeakSearch& CSetupForm::Record() { return doc.GetPeakSearch(); }
CIniFile& CSetupForm::Ini() { return doc.Ini(); }
void CSetupForm::Take() {
  if (!view) return;
  view->TakeValues();
  // "Delta Mag." stays within 0.001 to 1000, whatever was typed.
  deltaMagnification = std::clamp(deltaMagnification, 0.001, 1000.0);
}
void CSetupForm::Show() {
  if (view) view->ShowValues();
}
void CSetupForm::Redraw() { doc.UpdateAllViews(); }
void CSetupForm::RedrawIfAuto() {
  if (autoRedraw) Redraw();
}

void CSetupForm::LoadSetup() {
  CIniFile& in = Ini();
  inputPath = in.GetString(ini::kInputPath);
  pfcPath = in.GetString(ini::kPFCPath);
  outputPath = in.GetString(ini::kOutputPath);
  optLow = in.GetReal(ini::kOptRegionX0);
  optHigh = in.GetReal(ini::kOptRegionX1);
  calcLow = in.GetReal(ini::kOutputRegionX0);
  calcHigh = in.GetReal(ini::kOutputRegionX1);
  for (const PeakKey& k : kPeakKeys) {
    value[k.column] = in.GetReal(k.value);
    optimize[k.column] = in.GetBool(k.flag);
  }
  for (int i = 0; i < CPeakSearch::kBackgroundTerms; ++i) {
    b[i] = in.GetReal(ini::kB[i]);
    optimizeB[i] = in.GetBool(ini::kOptimizeB[i]);
  }
  ramda1 = in.GetReal(ini::kLKa1);
  ramda2 = in.GetReal(ini::kLKa2);
  iRatio = in.GetReal(ini::kIRatio);
  qRange = in.GetReal(ini::kQRange);
  deltaMagnification = in.GetReal(ini::kDeltaMagnification);
  autoRedraw = in.GetBool(ini::kAutoRedraw);
  Show();
}

void CSetupForm::SaveSetup() {
  Take();
  CIniFile& out = Ini();
  out.WriteString(ini::kInputPath, inputPath);
  out.WriteString(ini::kOutputPath, outputPath);
  out.WriteString(ini::kPFCPath, pfcPath);
  out.WriteReal(ini::kDeltaMagnification, deltaMagnification);
  out.WriteReal(ini::kOptRegionX0, optLow);
  out.WriteReal(ini::kOptRegionX1, optHigh);
  out.WriteReal(ini::kOutputRegionX0, calcLow);
  out.WriteReal(ini::kOutputRegionX1, calcHigh);
  out.WriteBool(ini::kAutoRedraw, autoRedraw);
  // Position, C(Gauss), C(Lorentz), FWHM(Lorentz), FWHM(Gauss), Asymmetric in this order.
  for (Col c : {CPeakSearch::kPosition, CPeakSearch::kCGauss, CPeakSearch::kCLorentz, CPeakSearch::kFWHMLorentz,
                CPeakSearch::kFWHMGauss, CPeakSearch::kAniso})
    for (const PeakKey& k : kPeakKeys)
      if (k.column == c && k.saved) {
        out.WriteReal(k.value, value[c]);
        out.WriteBool(k.flag, optimize[c]);
      }
  out.WriteReal(ini::kIRatio, iRatio);
  out.WriteReal(ini::kLKa1, ramda1);
  out.WriteReal(ini::kLKa2, ramda2);
  out.WriteReal(ini::kQRange, qRange);
}

void CSetupForm::ApplySetup() {
  Take();
  CPeakSearch& r = Record();
  r.inputPath = inputPath;
  // The values shown belong to the current peak; with no such peak there is nothing to store.
  if (peakIndex >= 0 && peakIndex < r.peakCount) {
    for (int c = 0; c < CPeakSearch::kColumns; ++c) {
      r.column[c].value[peakIndex] = value[c];
      r.column[c].flag[peakIndex] = optimize[c] ? 1 : 0;
    }
  }
  r.currentPeak = peakIndex;
  const std::string& dir = doc.ProgramDir();
  r.xrdProgram = CPeakSearch::ProgramOf(Ini().GetString(ini::kXRDLSQProgram), dir, "xZentrab");
  r.ramanProgram = CPeakSearch::ProgramOf(Ini().GetString(ini::kRamanLSQProgram), dir, "simplexfit");
  r.method = Ini().GetString(ini::kMethod);
  if (r.method.empty()) r.method = ini::kMethod.def;
  for (int i = 0; i < CPeakSearch::kBackgroundTerms; ++i) {
    r.b[i] = b[i];
    r.optimizeB[i] = optimizeB[i] ? 1 : 0;
  }
  r.iRatio = iRatio;
  r.ramda1 = ramda1;
  r.ramda2 = ramda2;
  r.qRange = qRange;
  r.optLow = optLow;
  r.optHigh = optHigh;
  r.calcLow = calcLow;
  r.calcHigh = calcHigh;
}

void CSetupForm::FillPeakList(int k) {
  CPeakSearch& r = Record();
  peakList.clear();
  char line[160];
  for (int i = 0; i < r.peakCount; ++i) {
    std::snprintf(line, sizeof line, "%3d: %7.4f %7.0f %6.4f %5.3f %5.3f", i, r.Value(CPeakSearch::kPosition, i),
                  r.Value(CPeakSearch::kCTotal, i), r.Value(CPeakSearch::kFWHMLorentz, i),
                  r.Value(CPeakSearch::kGaussFraction, i), r.Value(CPeakSearch::kFWHMGLRatio, i));
    peakList.push_back(line);
  }
  if (k < 0 || k >= r.peakCount) {
    selected = -1;
    Show();
    return;
  }
  selected = k;
  r.currentPeak = k;
  peakIndex = k;
  for (int c = 0; c < CPeakSearch::kColumns; ++c) {
    value[c] = r.column[c].value[k];
    optimize[c] = r.column[c].flag[k] == 1;
  }
  Show();
}

int CSetupForm::OpenInputFile(const std::string& path) {
  Take();
  doc.peakAreaText.clear();
  if (view) view->SetWaitCursor(true);
  inputPath = path;
  Show();
  Ini().WriteString(ini::kInputPath, path);
  outputPath = path;
  CPeakSearch& r = Record();
  if (SameTextNoCase(pathtext::ExtensionOf(path), ".xrd")) r.dataKind = 1;
  Ini().WriteString(ini::kInputDir, FolderOf(path));
  const int n = doc.ReadDataFile(path);
  lastLoadResult = n;
  pfcPath = FitJobFileName(path, n, "#%d.pfc");
  outputPath = FitJobFileName(path, n, "#%d.out");
  Show();
  if (view) view->SetWaitCursor(false);

  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) return -1;
  frame->AutoScale(0.1);
  Redraw();
  const CGraphData* curve = frame->GetGraph(0);
  if (!curve) return -1;
  optLow = calcLow = curve->XMin;
  optHigh = calcHigh = curve->XMax;
  Show();

  if (r.ReadPFCFile(pfcPath, false) == 1) {
    for (int i = 0; i < CPeakSearch::kBackgroundTerms; ++i) {
      b[i] = r.b[i];
      optimizeB[i] = r.optimizeB[i] == 1;
    }
    if (r.dataKind == 1) {
      iRatio = r.iRatio;
      ramda1 = r.ramda1;
      ramda2 = r.ramda2;
      qRange = r.qRange;
    }
    optLow = r.optLow;
    optHigh = r.optHigh;
    calcLow = r.calcLow;
    calcHigh = r.calcHigh;
    frame->SetXMin(calcLow);
    frame->SetXMax(calcHigh);
  }
  FillPeakList(0);
  doc.ClearReport();
  doc.AppendReportFile(outputPath);
  return 1;
}

int CSetupForm::ReloadPfc(const std::string& path) {
  CPeakSearch& r = Record();
  const bool diffraction = r.dataKind == 1;
  const char* caption = diffraction ? "CSetupBalimorView::OnPfcpathbutton" : "CSetupBalimorView::OnRamanPFCFile";
  if (r.ReadPFCFile(path, true) != 1) return -1;
  for (int i = 0; i < CPeakSearch::kBackgroundTerms; ++i) {
    b[i] = r.b[i];
    optimizeB[i] = r.optimizeB[i] == 1;
  }
  iRatio = r.iRatio;
  ramda1 = r.ramda1;
  ramda2 = r.ramda2;
  qRange = r.qRange;
  optLow = r.optLow;
  optHigh = r.optHigh;
  calcLow = r.calcLow;
  calcHigh = r.calcHigh;
  inputPath = r.inputPath;
  FillPeakList(0);
  if (doc.CreateGraphFrame(1) <= 0) {
    doc.Platform().ShowMessage("Can't Create GraphFrame", caption);
    return -1;
  }
  doc.SetPathName(r.inputPath);
  CGraphFrameArray* frames = doc.GetFrameArray();
  frames->AutoScaleAll(0.1);
  CGraphFrame* frame = frames->GetFrame(0);
  if (diffraction) {
    frame->SetXLabel("Diffraction angle 2Theta / deg.");
    frame->SetYLabel("Intensity");
  } else {
    frame->SetXLabel("Wave number / cm-1");
    frame->SetYLabel("Raman Intensity");
    doc.peakAreaText.clear();
  }
  frame->SetXMin(calcLow);
  frame->SetXMax(calcHigh);
  Redraw();
  return 1;
}

void CSetupForm::OnPathButton(File which) {
  IPlatform& platform = doc.Platform();
  std::string path;
  if (which == kInputFile) {
    const std::string dir = Ini().GetString(ini::kInputDir);
    if (!dir.empty()) platform.SetCurrentDirectory(dir);
    if (!platform.ChooseOpenFile(Ini().GetString(ini::kInputMask) + kAllFiles, dir, path)) return;
    doc.logFlag = 0;
    logCaption = "Log";
    OpenInputFile(path);
  } else if (which == kPfcFile) {
    const std::string dir = Ini().GetString(ini::kPFCDir);
    if (!dir.empty()) platform.SetCurrentDirectory(dir);
    if (!platform.ChooseOpenFile(kPfcFilter, dir, path)) return;
    Ini().WriteString(ini::kPFCDir, FolderOf(path));
    platform.SetCurrentDirectory(FolderOf(path));
    pfcPath = path;
    Show();
    ReloadPfc(pfcPath);
  } else {
    if (!platform.ChooseOpenFile(kOutputFilter, platform.CurrentDirectory(), path)) return;
    outputPath = path;
    Show();
  }
}

void CSetupForm::OnEditButton(File which) {
  Take();
  static const char* const kCaptions[] = {"Error in CSetupBalimorView::OnEditinputfilebutton",
                                          "Error in CSetupBalimorView::OnEditpfcfilebutton",
                                          "Error in CSetupBalimorView::OnEditoutputfilebutton"};
  const std::string& file = which == kInputFile ? inputPath : which == kPfcFile ? pfcPath : outputPath;
  const std::string editor = Ini().GetString(ini::kEditor);
  const std::string commandLine = Format("\"%s\" \"%s\"", editor, file);
  if (!doc.Platform().StartProgram({editor, file}))
    doc.Platform().ShowMessage("Can't exec [" + commandLine + "]", kCaptions[which]);
}

void CSetupForm::OnViewRange(Range which) {
  const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) return;
  Take();
  (which == kOptimizeRange ? optLow : calcLow) = frame->XMin;
  (which == kOptimizeRange ? optHigh : calcHigh) = frame->XMax;
  Show();
}

void CSetupForm::OnSetViewRange(Range which) {
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) return;
  Take();
  frame->SetXMin(which == kOptimizeRange ? optLow : calcLow);
  frame->SetXMax(which == kOptimizeRange ? optHigh : calcHigh);
  Redraw();
}

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
    const bool diffraction = r.dataKind == 1;
    p = (optLow + optHigh) * 0.5;
    c = diffraction ? 2000.0 : 50.0;
    g = 0.5;
    ratio = 1.0;
    wl = diffraction ? 0.2 : 10.0;
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

std::unique_ptr<CPeakSearchDialog> CSetupForm::MakePeakSearchDialog() {
  Take();
  CPeakSearch& r = Record();
  r.calcLow = calcLow;
  r.calcHigh = calcHigh;
  FillPeakList(selected >= 0 ? selected : 0);
  const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  const CGraphData* curve = frame ? frame->GetGraph(0) : nullptr;
  if (!curve) return nullptr;
  return std::make_unique<CPeakSearchDialog>(Ini(), *curve, r, doc.ProgramDir());
}

void CSetupForm::AfterPeakSearch() {
  FillPeakList(0);
  Redraw();
}

void CSetupForm::OnSavePfc() {
  ApplySetup();
  IPlatform& platform = doc.Platform();
  const std::string dir = Ini().GetString(ini::kPFCDir);
  if (!dir.empty()) platform.SetCurrentDirectory(dir);
  std::string path = "*.pfc";
  if (!platform.ChooseSaveFile(kSavePfcFilter, dir, path)) return;
  if (pathtext::ExtensionOf(path).empty()) path += ".pfc";
  Ini().WriteString(ini::kPFCDir, FolderOf(path));
  std::error_code ec;
  if (fs::exists(path, ec) &&
      !platform.AskYesNo("File [" + path + "] exists\r\n" + "Overwrite it?", "Confirm"))
    return;
  Record().SavePFCFile(path);
}

void CSetupForm::OnLog() {
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) return;
  if (doc.logFlag == 0) {
    doc.logFlag = 1;
    frame->FixYMin(-6.0);
    logCaption = "Lin";
  } else {
    doc.logFlag = 0;
    frame->FixYMin(0.0);
    logCaption = "Log";
  }
  frame->SetYAxisType(doc.logFlag);
  CPeakSearch& r = Record();
  for (CGraphData* c : {&r.backgroundCurve, &r.totalCurve}) {
    c->YAxisType = doc.logFlag;
    c->UpdateRange();
  }
  for (int i = 0; i < r.PeakCurveCount(); ++i) {
    r.PeakCurve(i)->YAxisType = doc.logFlag;
    r.PeakCurve(i)->UpdateRange();
  }
  frame->AutoScale(0.1);
  Show();
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
  if (r.dataKind == 1 || CPeakSearch::IsZentrabProgram(r.ramanProgram)) {
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
  r.ramda1 = ramda1 = 1.54056;
  r.ramda2 = ramda2 = 1.54439;
  r.qRange = qRange = 5.0;
  r.iRatio = iRatio = 0.5;
  Show();
}

void CSetupForm::OnRedraw() { Redraw(); }

void CSetupForm::OnSpin(Field f, int d) {
  Take();
  const double M = deltaMagnification;
  const double step = (Record().dataKind == 1 ? 0.005 : 0.2) * d * M;
  const bool diffraction = Record().dataKind == 1;
  // v := v − |v|·d·M·0.005, the relative step of heights and coefficients.
  auto relative = [&](double& v) { v -= std::fabs(v) * d * M * 0.005; };
  double& cTotal = V(CPeakSearch::kCTotal);
  double& fraction = V(CPeakSearch::kGaussFraction);
  double& cGauss = V(CPeakSearch::kCGauss);
  double& cLorentz = V(CPeakSearch::kCLorentz);
  double& wg = V(CPeakSearch::kFWHMGauss);
  double& wl = V(CPeakSearch::kFWHMLorentz);
  double& ratio = V(CPeakSearch::kFWHMGLRatio);
  switch (f) {
    case kB0: case kB1: case kB2: case kB3: case kB4:
      relative(b[f - kB0]);
      break;
    case kPosition:
      V(CPeakSearch::kPosition) -= step;
      break;
    case kCTotal:
      relative(cTotal);
      cGauss = cTotal * fraction;
      cLorentz = cTotal - cGauss;
      break;
    case kGaussFraction:
      fraction -= d * 0.02;
      cGauss = fraction * cTotal;
      cLorentz = cTotal - cGauss;
      break;
    case kFWHMGLRatio:
      ratio -= d * 0.05;
      wl = wg / ratio;
      break;
    case kCGauss:
      relative(cGauss);
      if (diffraction) cLorentz = cTotal - cGauss; else cTotal = cGauss + cLorentz;
      fraction = cGauss / cTotal;
      break;
    case kCLorentz:
      relative(cLorentz);
      if (diffraction) cGauss = cTotal - cLorentz; else cTotal = cLorentz + cGauss;
      fraction = cGauss / cTotal;
      break;
    case kFWHMGauss:
      wg -= step;
      wl = wg / ratio;
      break;
    case kFWHMLorentz:
      wl -= step;
      wg = wl * ratio;
      break;
    case kAniso:
      V(CPeakSearch::kAniso) -= d * M * 0.05;
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
  Show();
  ApplySetup();
  RedrawIfAuto();
}

void CSetupForm::OnEdited(Field f) {
  Take();
  const bool diffraction = Record().dataKind == 1;
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
  Show();
  ApplySetup();
  RedrawIfAuto();
}

CSetupLsqValues CSetupForm::SetupLsqValues() const {
  const CPeakSearch& r = doc.GetPeakSearch();
  std::string method = doc.Ini().GetString(ini::kMethod);
  if (method.empty()) method = ini::kMethod.def;
  return {r.xrdProgram, r.ramanProgram, r.maxIteration, r.eps, r.dampingFactor, r.iPrt, r.iPrtIntvl, method};
}

void CSetupForm::StoreSetupLsq(const CSetupLsqValues& v) {
  CPeakSearch& r = Record();
  r.xrdProgram = v.xrdProgram;
  r.ramanProgram = v.ramanProgram;
  r.maxIteration = v.maxIteration;
  r.eps = v.eps;
  r.dampingFactor = v.dampingFactor;
  r.iPrt = v.iPrt;
  r.iPrtIntvl = v.iPrtIntvl;
  CIniFile& out = Ini();
  // The fitters beside the running program are kept as the empty setting that means them, so
  // that a moved or updated installation still finds its own fitters.
  const std::string& dir = doc.ProgramDir();
  auto setting = [&](const std::string& program, const char* name) {
    return program == CPeakSearch::ProgramOf("", dir, name) ? std::string() : program;
  };
  out.WriteString(ini::kXRDLSQProgram, setting(v.xrdProgram, "xZentrab"));
  out.WriteString(ini::kRamanLSQProgram, setting(v.ramanProgram, "simplexfit"));
  out.WriteInt(ini::kMaxIteration, v.maxIteration);
  out.WriteReal(ini::kConvergenceCriteria, v.eps);
  out.WriteReal(ini::kDumpingFactor, v.dampingFactor);
  out.WriteInt(ini::kIPrt, v.iPrt);
  out.WriteInt(ini::kIPrtIntvl, v.iPrtIntvl);
  out.WriteString(ini::kMethod, v.method);
  r.method = v.method;
}

bool CSetupForm::ChooseProgram(std::string& path) {
  return doc.Platform().ChooseOpenFile(kProgramFilter, FolderOf(path), path);
}

void CSetupForm::OnExecdastelbutton() {
  lastFitRefined = false;
  ApplySetup();
  IPlatform& platform = doc.Platform();
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) {
    platform.ShowMessage("Can't get pFrame", kExecCaption);
    return;
  }
  if (!frame->GetGraph(0)) {
    platform.ShowMessage("Can't get pData", kExecCaption);
    return;
  }
  CPeakSearch& r = Record();
  char text[160];
  if (!r.UsesSimplex()) {
    if (r.maxIteration >= 31) {
      std::snprintf(text, sizeof text, "MaxIter [%d] is larger than 30\r\n   Continue?", r.maxIteration);
      if (!platform.AskYesNo(text, "Very Large MaxIter")) return;
    }
  } else if (r.maxIteration < 100) {
    std::snprintf(text, sizeof text, "MaxIter [%d] is smaller than 100\r\n   Continue?", r.maxIteration);
    if (!platform.AskYesNo(text, "Very Small MaxIter")) return;
  }
  if (r.SavePFCFile(pfcPath) != 1) return;
  if (r.dataKind == 1)
    RunZentrab(r.xrdProgram);
  else if (!r.UsesSimplex())
    RunZentrab(r.ramanProgram);
  else
    RunSimplex();
}

bool CSetupForm::RefinedJobIsWhole(const std::string& newPfc) {
  // Read into a scratch record in the form this fit was run in, points included.
  const CPeakSearch& r = Record();
  CPeakSearch check;
  CGraphData points;
  check.dataSet = &points;
  check.dataKind = r.dataKind;
  check.ramanProgram = r.ramanProgram;
  std::string program;
  const int read = r.UsesSimplex() ? check.ReadRamanPFCFile(newPfc, true)
                                   : check.ReadZentrabPFCFile(newPfc, program, true);
  return read == 1 && check.lastReadComplete;
}

void CSetupForm::FinishRun(const std::string& W, const ProgramRun& run, const std::string& commandLine) {
  IPlatform& platform = doc.Platform();
  const std::string& P = pfcPath;
  const std::string& O = outputPath;
  const std::string outTxt = W + "/out.txt";
  const std::string newPfc = W + "/new.pfc";
  const std::string prevPfc = W + "/prev.pfc";
  if (!CopyJobFile(outTxt, O)) platform.ShowMessage(CantCopy(outTxt, O), "Error");

  // The refined job replaces the PFC file only when the run ended by itself and left it whole;
  // anything else restores the previous job and says what went wrong.
  std::error_code ec;
  const bool exists = fs::exists(newPfc, ec);
  std::string why;
  if (run.status == ProgramRun::kCancelled) {
    why = "The calculation was cancelled\r\n";
  } else if (run.status == ProgramRun::kSignalled) {
    why = "[" + commandLine + "] " + process::Describe(run) + "\r\n";
  }
  bool refined = false;
  if (why.empty() && exists && RefinedJobIsWhole(newPfc)) {
    if (CopyJobFile(newPfc, P)) {
      refined = true;
    } else {
      platform.ShowMessage(CantCopy(newPfc, P) + "\r\n" + "Some error must occur in file system\r\nRetrieve previous file",
                           "Error");
    }
  } else if (why.empty() && exists) {
    platform.ShowMessage("File [" + newPfc + "] is incomplete or damaged\r\nSome error must occur in the calculation\r\nRetrieve previous file",
                         "Calculation error");
  } else if (why.empty()) {
    platform.ShowMessage("File [" + newPfc + "] doesn't exist\r\nSome error must occur in the calculation\r\nRetrieve previous file",
                         "Calculation error");
  } else {
    platform.ShowMessage(why + "Retrieve previous file", "Calculation error");
  }
  if (!refined && !CopyJobFile(prevPfc, P)) platform.ShowMessage(CantCopy(prevPfc, P), "Error");
  lastFitRefined = refined;
  ReloadPfc(P);
  doc.ClearReport();
  doc.AppendReportFile(O);
}

// Before a run: the report kept as prevout.txt and removed, and the fitter's files of an
// earlier run removed, so that neither can pass for this run's.
static void ClearRunFiles(const std::string& W, const std::string& O) {
  CopyJobFile(O, W + "/prevout.txt");
  Remove(O);
  Remove(W + "/new.pfc");
  if (!SamePath(W + "/out.txt", O)) Remove(W + "/out.txt");
}

int CSetupForm::RunZentrab(const std::string& program) {
  IPlatform& platform = doc.Platform();
  const std::string P = pfcPath, O = outputPath;
  const std::string W = FolderOf(P);
  platform.SetCurrentDirectory(W);
  const std::string commandLine = Format("\"%s\" \"%s\"", program, P);
  const std::string prevPfc = W + "/prev.pfc";
  if (!CopyJobFile(P, prevPfc)) {
    platform.ShowMessage(CantCopy(P, prevPfc), "Error");
    return -1;
  }
  ClearRunFiles(W, O);

  const ProgramRun run = platform.RunProgram({program, P}, W, commandLine, nullptr);
  if (!run.Started()) {
    platform.ShowMessage("Can't exec [" + commandLine + "]", "Error");
    return -1;
  }
  FinishRun(W, run, commandLine);

  std::FILE* f = OpenReport(O);
  if (!f) return 1;
  doc.peakAreaText.clear();
  char line[256];
  bool collecting = false;
  double s1 = -1, s2 = -1;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strstr(line, "*** Peak area: #   2Q")) collecting = true;
    if (collecting) doc.peakAreaText += line;
    if (std::strncmp(line, " Start cycle ", 13) == 0) ScanCycleLine(line, s1, s2);
  }
  std::fclose(f);
  doc.peakAreaText += SigmaLine(s1, s2);
  return 1;
}

int CSetupForm::RunSimplex() {
  IPlatform& platform = doc.Platform();
  CPeakSearch& r = Record();
  const std::string P = pfcPath, O = outputPath;
  const std::string W = FolderOf(P);
  platform.SetCurrentDirectory(W);
  const std::string prevPfc = W + "/prev.pfc", fitPfc = W + "/fit.pfc";
  if (!CopyJobFile(P, prevPfc)) {
    platform.ShowMessage(CantCopy(P, prevPfc), "Error");
    return -1;
  }
  // A job that is itself named fit.pfc is the fitter's job as it stands and is kept.
  const bool jobIsFitPfc = SamePath(P, fitPfc);
  if (!jobIsFitPfc && !CopyJobFile(P, fitPfc)) {
    platform.ShowMessage(CantCopy(P, fitPfc), "Error");
    return -1;
  }
  if (!jobIsFitPfc) Remove(P);
  ClearRunFiles(W, O);

  const std::string& program = r.ramanProgram;
  const ProgramRun run = platform.RunProgram({program}, W, program, nullptr);
  if (!run.Started()) {
    platform.ShowMessage("Can't exec [" + program + "]", "Error");
    // The job was taken away for the run; a run that never started gives it back.
    if (!CopyJobFile(prevPfc, P)) platform.ShowMessage(CantCopy(prevPfc, P), "Error");
    return -1;
  }
  FinishRun(W, run, program);

  std::FILE* f = OpenReport(O);
  if (!f) return 1;
  doc.peakAreaText.clear();
  char line[256];
  bool collecting = false;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strstr(line, "[Peak Area]")) {
      collecting = true;
      doc.peakAreaText += line;
    } else if (collecting && std::strchr(line, '[')) {
      collecting = false;
    } else if (collecting) {
      doc.peakAreaText += line;
    }
  }
  std::fclose(f);
  doc.peakAreaText += SigmaLine(r.S, r.R);
  return 1;
}
