#include "SetupForm.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "BalimorDoc.h"
#include "FitRun.h"
#include "IniKeys.h"
#include "PathText.h"
#include "PeakSearchDialog.h"
#include "Platform.h"
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
const char* const kLimitCaption = "Curve Fit";

// The note of a fit that stopped short or left doubtful peaks, one "fit: " line each: the
// status bar shows it, the console prints it on the error stream.
std::string FitStatus(const CFitOutcome& o) {
  std::string text;
  auto add = [&](const std::string& line) { text += (text.empty() ? "fit: " : "\nfit: ") + line; };
  if (o.StoppedAtLimit()) add(o.LimitNote());
  for (const CPeakWarning& w : o.warnings) add(w.text);
  return text;
}

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

std::string Format(const char* fmt, const std::string& a, const std::string& b) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, fmt, a.c_str(), b.c_str());
  return buf;
}

}  // namespace

CSetupForm::CSetupForm(CBalimorDoc& doc_) : doc(doc_) {
  newDocumentToken = doc.newDocument.Subscribe([this] { LoadSetup(); });
  fileNamesToken = doc.setupFileNames.Subscribe(
      [this](const std::string& data, const std::string& pfc, const std::string& out) { TakeFileNames(data, pfc, out); });
  drawingToken = doc.beforeDrawing.Subscribe([this] { Take(); });
  LoadSetup();
  inputPath.clear();
  pfcPath.clear();
  outputPath.clear();
}

CSetupForm::~CSetupForm() {
  doc.newDocument.Unsubscribe(newDocumentToken);
  doc.setupFileNames.Unsubscribe(fileNamesToken);
  doc.beforeDrawing.Unsubscribe(drawingToken);
  doc.shownPfcPath.reset();
  doc.modelFollowsRecord = false;
}

CPeakSearch& CSetupForm::Record() { return doc.GetPeakSearch(); }
CIniFile& CSetupForm::Ini() { return doc.Ini(); }
void CSetupForm::Take() {
  if (view) {
    view->TakeValues();
    // "Delta Mag." stays within its bounds, whatever was typed.
    deltaMagnification = std::clamp(deltaMagnification, form::kMinDeltaMagnification, form::kMaxDeltaMagnification);
  }
  doc.shownPfcPath = pfcPath;
  doc.modelFollowsRecord = autoRedraw;
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
  return OpenInput(path, [&] {
    if (pathtext::SameNoCase(pathtext::ExtensionOf(path), ".xrd")) Record().dataKind = DataKind::Diffraction;
    const int n = doc.ReadDataFile(path);
    return std::pair{n, n};
  });
}

int CSetupForm::OpenColumnFile(const std::string& path, const CColumnChoice& choice, std::optional<DataKind> kind) {
  // The job and the report are "#0" whatever the load gave, as for the text data command.
  return OpenInput(path, [&] { return std::pair{doc.ImportColumns(path, choice, kind), 0}; });
}

int CSetupForm::OpenInput(const std::string& path, const std::function<std::pair<int, int>()>& load) {
  Take();
  doc.peakAreaText.clear();
  if (view) view->SetWaitCursor(true);
  inputPath = path;
  Show();
  Ini().WriteString(ini::kInputPath, path);
  outputPath = path;
  Ini().WriteString(ini::kInputDir, pathtext::FolderOrCurrent(path));
  const auto [result, job] = load();
  lastLoadResult = result;
  pfcPath = FitJobFileName(path, job, "#%d.pfc");
  outputPath = FitJobFileName(path, job, "#%d.out");
  Show();
  if (view) view->SetWaitCursor(false);

  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) return -1;
  frame->AutoScale(CGraphFrame::kScaleMargin);
  Redraw();
  const CGraphData* curve = frame->GetGraph(0);
  if (!curve) return -1;
  optLow = calcLow = curve->XMin;
  optHigh = calcHigh = curve->XMax;
  Show();

  if (TakeJob(pfcPath) != 1) FillPeakList(0);
  doc.ClearReport();
  doc.AppendReportFile(outputPath);
  return 1;
}

void CSetupForm::TakeJobValues(const CPeakSearch& r, bool profileValues) {
  for (int i = 0; i < CPeakSearch::kBackgroundTerms; ++i) {
    b[i] = r.b[i];
    optimizeB[i] = r.optimizeB[i] == 1;
  }
  if (profileValues) {
    iRatio = r.iRatio;
    ramda1 = r.ramda1;
    ramda2 = r.ramda2;
    qRange = r.qRange;
  }
  optLow = r.optLow;
  optHigh = r.optHigh;
  calcLow = r.calcLow;
  calcHigh = r.calcHigh;
}

int CSetupForm::TakeJob(const std::string& path) {
  CPeakSearch& r = Record();
  if (r.ReadPFCFile(path, false) != 1) return -1;
  TakeJobValues(r, r.dataKind == DataKind::Diffraction);
  if (CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0)) {
    frame->SetXMin(calcLow);
    frame->SetXMax(calcHigh);
  }
  FillPeakList(0);
  return 1;
}

int CSetupForm::ReloadPfc(const std::string& path) {
  CPeakSearch& r = Record();
  const bool diffraction = r.dataKind == DataKind::Diffraction;
  const char* caption = diffraction ? "CSetupBalimorView::OnPfcpathbutton" : "CSetupBalimorView::OnRamanPFCFile";
  if (r.ReadPFCFile(path, true) != 1) return -1;
  TakeJobValues(r, true);
  inputPath = r.inputPath;
  FillPeakList(0);
  if (doc.CreateGraphFrame(1) <= 0) {
    doc.Platform().ShowMessage("Can't Create GraphFrame", caption);
    return -1;
  }
  doc.SetPathName(r.inputPath);
  CGraphFrameArray* frames = doc.GetFrameArray();
  frames->AutoScaleAll(CGraphFrame::kScaleMargin);
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

void CSetupForm::OnFileOpen() {
  doc.OnNewDocument();
  OnPathButton(kInputFile);
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
    Ini().WriteString(ini::kPFCDir, pathtext::FolderOrCurrent(path));
    platform.SetCurrentDirectory(pathtext::FolderOrCurrent(path));
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

std::unique_ptr<CPeakSearchDialog> CSetupForm::MakePeakSearchDialog() {
  Take();
  CPeakSearch& r = Record();
  r.calcLow = calcLow;
  r.calcHigh = calcHigh;
  FillPeakList(selected >= 0 ? selected : 0);
  const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  const CGraphData* curve = frame ? frame->GetGraph(0) : nullptr;
  if (!curve) return nullptr;
  auto dialog = std::make_unique<CPeakSearchDialog>(Ini(), *curve, r, doc.ProgramDir());
  dialog->yLabel = frame->yLabel;
  return dialog;
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
  Ini().WriteString(ini::kPFCDir, pathtext::FolderOrCurrent(path));
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
    frame->FixYMin(form::kLogYMin);
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
  frame->AutoScale(CGraphFrame::kScaleMargin);
  Show();
  Redraw();
}

void CSetupForm::OnRedraw() { Redraw(); }

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
  return doc.Platform().ChooseOpenFile(kProgramFilter, pathtext::FolderOrCurrent(path), path);
}

void CSetupForm::OnExecdastelbutton() {
  lastFitRefined = false;
  lastFitOutcome = {};
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
  // A job its fitter would refuse (or leave unfitted) is not written or run.
  const CFitLimitCheck limits = CheckFitLimits(r);
  if (!limits.Within()) {
    platform.ShowMessage(limits.message, kLimitCaption);
    return;
  }
  char text[160];
  if (!r.UsesSimplex()) {
    if (r.maxIteration > form::kMostCycles) {
      std::snprintf(text, sizeof text, "MaxIter [%d] is larger than %d\r\n   Continue?", r.maxIteration,
                    form::kMostCycles);
      if (!platform.AskYesNo(text, "Very Large MaxIter")) return;
    }
  } else if (r.maxIteration < form::kFewestSimplexSteps) {
    std::snprintf(text, sizeof text, "MaxIter [%d] is smaller than %d\r\n   Continue?", r.maxIteration,
                  form::kFewestSimplexSteps);
    if (!platform.AskYesNo(text, "Very Small MaxIter")) return;
  }
  if (r.SavePFCFile(pfcPath) != 1) return;
  CFitRunPlan plan = FitRunFor(r, pfcPath, outputPath);
  if (!fitWorkDir.empty()) plan.workDir = fitWorkDir;
  RunAndShow(plan);
}

void CSetupForm::RunAndShow(const CFitRunPlan& plan) {
  // The peak-area text of an earlier run never stands beside the curves of this one.
  doc.peakAreaText.clear();
  const CFitRunResult result = RunFit(doc.Platform(), plan);
  if (result.status != CFitRunResult::kRan) return;
  lastFitRefined = result.refined;
  ReloadPfc(plan.jobPath);
  doc.ClearReport();
  doc.AppendReportFile(result.reportPath);
  // A cancelled or failed run said so in its message; its job is the one it started from, and
  // no peak areas or Sigma of it are shown.
  if (!result.refined) return;

  const CPeakSearch& r = Record();
  lastFitOutcome = ReadFitOutcome(result.reportPath, r);
  const std::string notes = lastFitOutcome.Notes();
  if (!notes.empty()) {
    doc.AppendReportText("\n" + notes + "\n");
    doc.Platform().ShowStatus(FitStatus(lastFitOutcome));
  }

  // The peak-area part of the report with its Sigma line: S and sigma of the last cycle, or
  // simplexfit's statistics as the refined job gives them; no Sigma line when the report
  // gives none.
  const CReportPart part = ScanReport(result.reportPath, plan.scan);
  if (!part.read) return;
  const double s = plan.scan.cycleStatistics ? part.s : r.S, sigma = plan.scan.cycleStatistics ? part.sigma : r.R;
  doc.peakAreaText = part.text + (s >= 0 ? SigmaLine(s, sigma) : std::string());
}

void CSetupForm::TakeFileNames(const std::string& data, const std::string& pfc, const std::string& out) {
  inputPath = data;
  pfcPath = pfc;
  outputPath = out;
  Show();
}
