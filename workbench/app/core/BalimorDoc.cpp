#include "BalimorDoc.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "DatumSelectDialog.h"
#include "IniKeys.h"
#include "Platform.h"
#include "Profile.h"
#include "SetupForm.h"

namespace {

const char* const kReadCaption = "CMorvaneDoc::ReadDataFile";
const char* const kFrameCaption = "CDataGraphView::CreateGraphFrame";


const char* const kRietanFilter = "Rietan Data File (*.int;*.pat)|*.int;*.pat|All Files (*.*)|*.*||";
const char* const kTextFilter = "Text Data File (*.txt;*.asc)|*.txt;*.asc|All Files (*.*)|*.*||";

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;

// Axis labels, title suffix and data kind of one kind of file.
struct Kind {
  const char* xLabel;
  const char* yLabel;
  const char* suffix;  // appended to the path with a blank: "<path> <suffix>"
  int dataKind;        // -1 leaves the data kind as it is (0 after the start of a load)
};

const Kind kRigakuXrf = {"Theta / degree", "Signale", "(Rigaku XRF Data)", 1};
const Kind kRas = {"Angle / deg", "Intensity", "(SmartLab RAS Data)", 2};
const Kind kOldIr = {"Wave number / cm-1", "Transmittance / %", "(Old IR Data)", 2};
const Kind kIr = {"Wave number / cm-1", "Transmittance / %", "(IR Data)", 2};
const Kind kVelmaraRaman = {"Wave number / cm-1", "Raman Intensity", "(Velmara Raman Data)", 2};
// MRD and ScanData scans carry diffraction labels and kind under the IR title.
const Kind kMrd = {"CuKa 2Q", "Intensity / cps", "(IR Data)", 1};
const Kind kOd = {"Wave length / nm", "Optical Density", "(OD Data)", -1};
const Kind kQe = {"Wave length / nm", "Quantum efficiency", "(QE Data)", -1};
const Kind kTxtXrd = {"CuKa 2Theta", "Diffraction intensity", "(XRD Data)", 1};
const Kind kPl = {"Wavelength / nm", "PL intensity", "(PL Data)", 2};
const Kind kRaman = {"Wave number / cm-1", "Raman intensity", "(Raman Data)", 2};
const Kind kDegradation = {"Time / s", "Photo current / A", "(Degradation Measurement Data)", -1};
const Kind kRamanSmoothed = {"Wave number / cm-1", "Raman intensity", "(Raman smoothed Data)", 2};
const Kind kXrd = {"Diffraction angle 2Theta / deg.", "Intensity", "(XRD Data)", 1};
const Kind kRietanInt = {"2Theta", "Diffraction Intensity", "(Rietan INT Data)", 1};
const Kind kRietanPat = {"2Theta", "Diffraction Intensity", "(Rietan PAT Data)", 1};
const Kind kTextData = {"X axis", "Y axis", "(Text Data)", 0};

const char* const kInvalidSuffix = "(Invalid Data)";

std::string Titled(const std::string& path, const char* suffix) { return path + " " + suffix; }

// Gives frame 0 the labels of a kind and sets the data kind; returns the document title.
std::string ApplyKind(CGraphFrame& frame, int& dataKind, const Kind& kind, const std::string& path) {
  frame.SetXLabel(kind.xLabel);
  frame.SetYLabel(kind.yLabel);
  if (kind.dataKind >= 0) dataKind = kind.dataKind;
  return Titled(path, kind.suffix);
}

bool SameText(const std::string& a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool StartsWithNoCase(const char* s, const char* prefix) {
  for (; *prefix; ++s, ++prefix)
    if (std::tolower(static_cast<unsigned char>(*s)) != std::tolower(static_cast<unsigned char>(*prefix)))
      return false;
  return true;
}

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The extension as the loader sees it: from the last "." of the whole path to its end (a dot
// in a folder name counts). Empty when the path holds no ".".
std::string LoaderExtension(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

// Folder part of a path: up to its last "/" (empty when there is none).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Number after the "=" of a header line ("*START\t=  4"); 0 when there is none.
double NumberAfterEquals(const char* line) {
  const char* eq = std::strchr(line, '=');
  return eq ? std::strtod(eq + 1, nullptr) : 0.0;
}

}  // namespace

std::string FitJobFileName(const std::string& dataPath, int n, const char* suffixFormat) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, suffixFormat, n);
  // The extension is looked for in the file name only, so a dot in a folder name never cuts
  // the path inside the folder.
  const std::size_t slash = dataPath.find_last_of('/');
  const std::size_t dot = dataPath.find_last_of('.');
  const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExt ? dataPath.substr(0, dot) : dataPath) + suffix;
}

CBalimorDoc::CBalimorDoc(IPlatform& platform_, std::string iniPath_, std::string programDir_)
    : platform(platform_),
      ini(std::move(iniPath_)),
      programDir(std::move(programDir_)),
      originalData(new CVariousData) {
  if (programDir.empty()) programDir = FolderOf(CIniLocation::RunningProgramPath());
  peakSearch.platform = &platform;
  peakSearch.dataSet = originalData.get();
  peakSearch.LoadSettings(ini, programDir);
  viewBackground = ini.GetBool(ini::kViewBackground);
  viewCalc = ini.GetBool(ini::kViewCalc);
  viewCurves = ini.GetBool(ini::kViewCurves);
  viewCurrentCurve = ini.GetBool(ini::kViewCurrentCurve);
  CreateGraphFrame(1);
}

CBalimorDoc::~CBalimorDoc() {
  ini.WriteBool(ini::kViewBackground, viewBackground);
  ini.WriteBool(ini::kViewCalc, viewCalc);
  ini.WriteBool(ini::kViewCurves, viewCurves);
  ini.WriteBool(ini::kViewCurrentCurve, viewCurrentCurve);
  frameArray.Clear();
}

void CBalimorDoc::OnNewDocument() {
  if (setupForm) setupForm->LoadSetup();
  frameArray.Clear();
  originalData->Reset();
  peakSearch.ClearModelCurves();
  peakAreaText.clear();
  CreateGraphFrame(1);
}

void CBalimorDoc::ClearReport() {
  reportText.clear();
  if (onReportChanged) onReportChanged();
}

int CBalimorDoc::AppendReportFile(const std::string& path) {
  // Only a regular file: a device such as /dev/zero would never end.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return -1;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return -1;
  char line[256];
  while (std::fgets(line, sizeof line, f)) reportText += line;
  std::fclose(f);
  if (onReportChanged) onReportChanged();
  return 0;
}

void CBalimorDoc::SetPathName(const std::string& path, bool addToRecent) {
  pathName = path;
  if (!addToRecent) return;
  recentFiles.erase(std::remove(recentFiles.begin(), recentFiles.end(), path), recentFiles.end());
  recentFiles.insert(recentFiles.begin(), path);
  if (recentFiles.size() > static_cast<std::size_t>(kMaxRecentFiles)) recentFiles.resize(kMaxRecentFiles);
}

std::string CBalimorDoc::GetTitle() const {
  const std::size_t slash = pathName.find_last_of('/');
  return slash == std::string::npos ? pathName : pathName.substr(slash + 1);
}

int CBalimorDoc::CreateGraphFrame(int n) {
  CGraphFrameArray* frames = GetFrameArray();
  if (!frames) {
    platform.ShowMessage("Can't Get FrameArray", kFrameCaption);
    return -1;
  }
  CVariousData* data = GetOriginalData();
  if (!data) {
    platform.ShowMessage("Can't Get Original Data", kFrameCaption);
    return -1;
  }
  // Numbers that the setting does not give keep their default.
  const double defaults[4] = {20, 70, 80, 10};
  double pos[4] = {20, 70, 80, 10};
  const std::string text = ini.GetString(ini::kGraphPosition);
  std::sscanf(text.c_str(), "%lg %lg %lg %lg", &pos[0], &pos[1], &pos[2], &pos[3]);
  // A page position must be a finite number of millimetres; "inf" or "nan" keeps the default.
  for (int k = 0; k < 4; ++k)
    if (!std::isfinite(pos[k])) pos[k] = defaults[k];
  frames->Clear();
  for (int i = 0; i < n; ++i) frames->AddFrame(pos);
  if (CGraphFrame* f0 = frames->GetFrame(0)) {
    f0->FixYMin(0.0);
    f0->AttachGraph(data);
  }
  frames->AutoScaleAll(0.1);
  return 1;
}

int CBalimorDoc::ChooseSection(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) {
    platform.ShowMessage("Can't read [" + path + "]", "Error");
    return -1;
  }
  char line[256];
  long count = 1;
  while (std::fgets(line, sizeof line, f)) {
    if (StartsWith(line, "*SEC_COUNT")) {
      if (const char* eq = std::strchr(line, '=')) count = std::strtol(eq + 1, nullptr, 10);
      break;
    }
  }
  // A count below 1 still names one section; the list holds at most 50 lines, and sections
  // past the end of the file are not offered.
  if (count < 1) count = 1;
  CDatumSelectDialog dialog("Datum in the data file", {});
  for (long s = 0; s < count && s < CDatumSelectDialog::kMaxLines; ++s) {
    double start = 0, stop = 0;
    bool stopped = false;
    while (std::fgets(line, sizeof line, f)) {
      if (StartsWith(line, "*START")) start = NumberAfterEquals(line);
      if (StartsWith(line, "*STOP")) {
        stop = NumberAfterEquals(line);
        stopped = true;
        break;
      }
    }
    if (!stopped && s > 0) break;
    char entry[96];
    std::snprintf(entry, sizeof entry, "%ld: %g - %g", s, start, stop);
    dialog.AddLine(entry);
  }
  std::fclose(f);
  if (dialog.lines.size() <= 1) return 0;
  const int chosen = dialog.DoModal(platform);
  return chosen < 0 ? 0 : chosen;
}

int CBalimorDoc::ReadAscFile(const std::string& path, CGraphFrame& frame, std::string& title,
                             int& section) {
  CVariousData& data = *originalData;
  char first[256] = "";
  std::FILE* f = std::fopen(path.c_str(), "r");
  const bool opened = f != nullptr;
  if (opened) {
    if (!std::fgets(first, sizeof first, f)) first[0] = '\0';
    std::fclose(f);
  }
  int result = 0;
  if (!opened) {
    result = -1;
  } else if (StartsWithNoCase(first, "PE IR")) {
    result = data.ReadPeIr(path);
  } else if (StartsWithNoCase(first, "*TYPE")) {
    section = ChooseSection(path);
    if (section < 0) return -2;  // message shown, document path left alone
    result = data.ReadSectionedScan(path, section);
  } else if (std::strstr(first, ",   ")) {
    result = data.ReadCommaPairs(path, platform);
  }
  const Kind* kind = nullptr;
  // Comma pairs are the plain form of the same IR text family: titled and labelled as IR.
  if (result == 1 || result == 3) kind = &kIr;
  if (result == 2) kind = &kVelmaraRaman;
  if (!kind) return -1;
  title = ApplyKind(frame, peakSearch.dataKind, *kind, path);
  return 1;
}

int CBalimorDoc::ReadTxtChain(const std::string& path, CGraphFrame& frame, std::string& title) {
  CVariousData& data = *originalData;
  using Reader = int (CVariousData::*)(const std::string&);
  struct Step {
    Reader read;
    const Kind* kind;
  };
  const Step chain[] = {
      {&CVariousData::ReadGeneralText, &kTxtXrd},
      {&CVariousData::ReadCountFirstText, &kTxtXrd},
      {&CVariousData::ReadF4500, &kPl},
      {&CVariousData::ReadSampleHeaderScan, &kTxtXrd},
  };
  for (const Step& step : chain) {
    const int r = (data.*step.read)(path);
    if (r == 0) continue;
    if (r != 1) return -1;
    title = ApplyKind(frame, peakSearch.dataKind, *step.kind, path);
    return 1;
  }
  return -1;
}

int CBalimorDoc::ReadPatColumns(const std::string& path, CGraphFrame& frame) {
  const int result = ReadRietanPat(*originalData, path, 0);
  CGraphData& total = peakSearch.totalCurve;
  frame.AttachGraph(&total);
  ReadRietanPat(total, path, 1);
  total.lineColor = kRed;
  CGraphData& background = peakSearch.backgroundCurve;
  if (ReadRietanPat(background, path, 2) > 0) {
    frame.AttachGraph(&background);
    background.lineColor = kGreen;
  }
  return result;
}

int CBalimorDoc::ReadDataFile(const std::string& path) {
  dataFileName = path;
  if (CreateGraphFrame(1) <= 0) {
    platform.ShowMessage("Can't Create GraphFrame", kReadCaption);
    return -1;
  }
  CGraphFrameArray* frames = GetFrameArray();
  if (!frames) {
    platform.ShowMessage("Can't Get GraphFrameArray", kReadCaption);
    return -1;
  }
  CGraphFrame* frame = frames->GetFrame(0);
  if (!frame) {
    platform.ShowMessage("Can't Get GraphFrame", kReadCaption);
    return -1;
  }
  peakSearch.dataKind = 0;

  CVariousData& data = *originalData;
  const std::string ext = LoaderExtension(path);
  std::string title;
  bool ok = false;
  int section = 0;

  // Labels, kind and title of a file. Rows that call it before their reader keep them even
  // when the read then fails.
  auto apply = [&](const Kind& kind) { title = ApplyKind(*frame, peakSearch.dataKind, kind, path); };
  auto onSuccess = [&](const Kind& kind, bool success) {
    if (success) apply(kind);
    ok = success;
  };

  if (ext.empty()) {
    ok = false;
  } else if (SameText(ext, ".csv")) {
    onSuccess(kRigakuXrf, data.ReadRigakuXrfCsv(path) == 1);
  } else if (SameText(ext, ".ras")) {
    onSuccess(kRas, data.ReadRas(path) == 1);
  } else if (SameText(ext, ".ir")) {
    onSuccess(kOldIr, data.ReadTabularIr(path) == 1);
  } else if (SameText(ext, ".asc")) {
    const int r = ReadAscFile(path, *frame, title, section);
    if (r == -2) return -1;
    ok = r == 1;
  } else if (SameText(ext, ".mrd")) {
    onSuccess(kMrd, data.ReadMrd(path) == 1);
  } else if (ext.size() == 4 && (ext[1] == 'X' || ext[1] == 'x') && IsDigit(ext[2]) &&
             IsDigit(ext[3])) {
    onSuccess(kMrd, data.ReadScanDataCsv(path) == 1);
  } else if (SameText(ext, ".od")) {
    onSuccess(kOd, data.ReadOpticalDensity(path) > 0);
  } else if (ext.size() >= 3 && SameText(ext.substr(0, 3), ".qe")) {
    onSuccess(kQe, data.ReadQuantumEfficiency(path) > 0);
  } else if (SameText(ext, ".txt")) {
    ok = ReadTxtChain(path, *frame, title) == 1;
  } else if (SameText(ext, ".dat")) {
    const int r = data.ReadRamanOrDegradation(path);
    if (r == 1) onSuccess(kRaman, true);
    if (r == 2) onSuccess(kDegradation, true);
  } else if (SameText(ext, ".ram")) {
    apply(kRaman);
    ok = data.ReadRamanPairs(path) > 0;
  } else if (SameText(ext, ".rmn")) {
    apply(kRamanSmoothed);
    ok = data.ReadSmoothedRaman(path) > 0;
  } else if (ext.size() == 1 || IsDigit(ext[1])) {
    // A digit after the dot, or nothing at all (a path ending in ".").
    apply(kXrd);
    ok = data.ReadRigakuBinary(path, true) > 0;
  } else if (SameText(ext, ".xdt")) {
    apply(kXrd);
    ok = data.ReadXdt(path) > 0;
  } else if (SameText(ext, ".xrd")) {
    section = ChooseSection(path);
    if (section < 0) return -1;
    apply(kXrd);
    ok = data.ReadSectionedScan(path, section) > 0;
  } else if (SameText(ext, ".int")) {
    apply(kRietanInt);
    ok = data.ReadRietanInt(path) > 0;
  } else if (SameText(ext, ".pat")) {
    apply(kRietanPat);
    ok = ReadPatColumns(path, *frame) > 0;
  } else {
    onSuccess(kXrd, data.ReadRigakuBinary(path, false) == 1);
  }

  if (!ok) {
    SetPathName(Titled(path, kInvalidSuffix));
    return -1;
  }
  frame->AutoScale(0.1);
  SetPathName(title);
  return section;
}

CGraphFrame* CBalimorDoc::StartLoadCommand(const IniKey& dirKey, const char* filter, std::string& path) {
  const std::string dir = ini.GetString(dirKey);
  if (!dir.empty()) platform.SetCurrentDirectory(dir);
  if (!platform.ChooseOpenFile(filter, dir, path)) return nullptr;
  peakSearch.ResetForNewData();
  ini.WriteString(dirKey, FolderOf(path));
  if (CreateGraphFrame(1) <= 0) {
    platform.ShowMessage("Can't Create GraphFrame", kReadCaption);
    return nullptr;
  }
  CGraphFrame* frame = frameArray.GetFrame(0);
  if (!frame) platform.ShowMessage("Can't Get GraphFrame", kReadCaption);
  return frame;
}

void CBalimorDoc::OnReadRietanFiles() {
  std::string path;
  CGraphFrame* frame = StartLoadCommand(ini::kRietanDataDir, kRietanFilter, path);
  if (!frame) return;

  const std::string ext = LoaderExtension(path);
  int result = -1;
  std::string title;
  const Kind* kind = nullptr;
  if (SameText(ext, ".int")) kind = &kRietanInt;
  if (SameText(ext, ".pat")) kind = &kRietanPat;
  if (kind) {
    title = ApplyKind(*frame, peakSearch.dataKind, *kind, path);
    result = kind == &kRietanInt ? originalData->ReadRietanInt(path) : ReadPatColumns(path, *frame);
  }
  if (result > 0) {
    frame->AutoScale(0.1);
    SetPathName(title);
    if (onRedrawAll) onRedrawAll();
  } else {
    SetPathName(Titled(path, kInvalidSuffix));
  }
}

void CBalimorDoc::OnReadTextFiles() {
  std::string path;
  CGraphFrame* frame = StartLoadCommand(ini::kTextDataDir, kTextFilter, path);
  if (!frame) return;
  if (path.find('.') == std::string::npos) {
    SetPathName(Titled(path, kInvalidSuffix));
    return;
  }
  // The reader's result is not needed: an unreadable file leaves an empty curve under the
  // text data title.
  originalData->ReadTextData(path);
  SetPathName(ApplyKind(*frame, peakSearch.dataKind, kTextData, path));
  frameArray.AutoScaleAll(0.1);
  if (onSetupFileNames)
    onSetupFileNames(path, FitJobFileName(path, 0, "#%d.pfc"), FitJobFileName(path, 0, "#%d.out"));
  if (onRedrawAll) onRedrawAll();
}
