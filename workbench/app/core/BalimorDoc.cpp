#include "BalimorDoc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "IniKeys.h"
#include "PathText.h"
#include "Platform.h"
#include "Profile.h"
#include "ReaderTable.h"

namespace {

const char* const kReadCaption = "CMorvaneDoc::ReadDataFile";
const char* const kFrameCaption = "CDataGraphView::CreateGraphFrame";

const char* const kRietanFilter = "Rietan Data File (*.int;*.pat)|*.int;*.pat|All Files (*.*)|*.*||";
const char* const kTextFilter = "Text Data File (*.txt;*.asc)|*.txt;*.asc|All Files (*.*)|*.*||";
const char* const kColumnFilter =
    "Column Data File (*.txt;*.xy;*.xye;*.tsv;*.prn;*.csv;*.dat)|*.txt;*.xy;*.xye;*.tsv;*.prn;*.csv;*.dat|"
    "All Files (*.*)|*.*||";

// Files whose data kind is the person's choice: RAS scans and ".asc" exports are often
// diffraction scans that their readers open as spectroscopic data.
struct CKindSetting {
  const char* extension;  // of the reader table's row
  const IniKey& key;      // 1 or 2 replaces the reader's kind
};
const CKindSetting kKindSettings[] = {{".ras", ini::kRasDataKind}, {".asc", ini::kAscDataKind}};

}  // namespace

std::string FitJobFileName(const std::string& dataPath, int n, const char* suffixFormat) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, suffixFormat, n);
  // The extension is looked for in the file name only, so a dot in a folder name never cuts
  // the path inside the folder.
  return pathtext::WithoutExtension(dataPath) + suffix;
}

CBalimorDoc::CBalimorDoc(IPlatform& platform_, std::string iniPath_, std::string programDir_)
    : platform(platform_),
      curveMessages{&platform_},
      ini(std::move(iniPath_)),
      programDir(std::move(programDir_)),
      originalData(new CVariousData) {
  if (programDir.empty()) programDir = pathtext::FolderOf(platform.RunningProgramPath());
  peakSearch.platform = &platform;
  peakSearch.curveMessages = &curveMessages;
  peakSearch.dataSet = originalData.get();
  originalData->messages = &curveMessages;
  peakSearch.backgroundCurve.messages = peakSearch.totalCurve.messages = &curveMessages;
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
  newDocument();
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

void CBalimorDoc::AppendReportText(const std::string& text) {
  reportText += text;
  if (onReportChanged) onReportChanged();
}

void CBalimorDoc::SetPathName(const std::string& path, bool addToRecent) {
  pathName = path;
  if (!addToRecent) return;
  recentFiles.erase(std::remove(recentFiles.begin(), recentFiles.end(), path), recentFiles.end());
  recentFiles.insert(recentFiles.begin(), path);
  if (recentFiles.size() > static_cast<std::size_t>(kMaxRecentFiles)) recentFiles.resize(kMaxRecentFiles);
}

std::string CBalimorDoc::GetTitle() const { return pathtext::FileNameOf(pathName); }

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
  frames->AutoScaleAll(CGraphFrame::kScaleMargin);
  return 1;
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
  peakSearch.dataKind = DataKind::None;
  columnImport.reset();

  // The first row of the reader table that takes the extension reads the file.
  const CReaderRow& row = ReaderFor(LoaderExtension(path));
  CReadRequest request{path, *originalData, *frame, peakSearch.totalCurve, peakSearch.backgroundCurve, platform};
  if (row.chooseSection) {
    request.section = ChooseSection(path, platform);
    if (request.section < 0) return -1;
  }
  std::string title;
  if (row.labelsFirst) title = ApplyFileKind(*frame, peakSearch.dataKind, *row.kind, path);
  const CReadOutcome outcome = row.read(request);
  if (outcome.result == CReadOutcome::kAbandoned) return -1;
  if (!outcome.everyLine) NotePartialLoad(path);
  if (outcome.result != CReadOutcome::kRead) {
    SetPathName(TitleOf(path, kInvalidSuffix));
    return -1;
  }
  if (!row.labelsFirst)
    title = ApplyFileKind(*frame, peakSearch.dataKind, outcome.kind ? *outcome.kind : *row.kind, path);
  ApplyOwnLabels(*frame, peakSearch.dataKind, outcome);
  for (const CKindSetting& k : kKindSettings) {
    const int n = row.extension && pathtext::SameNoCase(row.extension, k.extension) ? ini.GetInt(k.key) : 0;
    if (n == 1 || n == 2) peakSearch.dataKind = DataKindOfNumber(n);
  }
  frame->AutoScale(CGraphFrame::kScaleMargin);
  SetPathName(title);
  return request.section;
}

void CBalimorDoc::NotePartialLoad(const std::string& path) {
  const int points = originalData->datan;
  const int lines = PartialLoadLines(path, points);
  if (lines < 0) return;
  const std::string note = "Read " + std::to_string(points) + " of " + std::to_string(lines) +
                           " numeric lines of " + path + ". File > Import Columns... reads every row.";
  platform.ShowStatus(note);
  partialLoad(note);
}

int CBalimorDoc::ImportColumns(const std::string& path, const CColumnChoice& choice, std::optional<DataKind> kind) {
  dataFileName = path;
  columnImport = ColumnImport{choice, kind};
  if (CreateGraphFrame(1) <= 0) {
    platform.ShowMessage("Can't Create GraphFrame", kReadCaption);
    return -1;
  }
  CGraphFrame* frame = frameArray.GetFrame(0);
  if (!frame) {
    platform.ShowMessage("Can't Get GraphFrame", kReadCaption);
    return -1;
  }
  CColumnLayout layout;
  const int result = ReadColumnData(*originalData, path, choice, &layout);
  std::string note = "Read " + std::to_string(layout.points) + " points";
  if (layout.xColumn > 0)
    note += " from columns " + std::to_string(layout.xColumn) + " and " + std::to_string(layout.yColumn);
  note += " of " + path + " (" + ColumnDelimiterName(layout.format.delimiter) + "-separated" +
          (layout.format.decimalComma ? ", decimal comma" : "") + "); skipped " +
          std::to_string(layout.skippedRows) + (layout.skippedRows == 1 ? " row" : " rows") +
          " without numbers in those columns.";
  platform.ShowStatus(note);
  if (result != 1) {
    SetPathName(TitleOf(path, kInvalidSuffix));
    return -1;
  }
  frame->SetXLabel(ColumnXLabel(layout));
  frame->SetYLabel(ColumnYLabel(layout));
  peakSearch.dataKind = kind ? *kind : ColumnDataKind(*originalData, layout.xName);
  frame->AutoScale(CGraphFrame::kScaleMargin);
  SetPathName(TitleOf(path, kColumnDataKind.suffix));
  return 0;
}

bool CBalimorDoc::ChooseColumnFile(std::string& path) {
  const std::string dir = ini.GetString(ini::kColumnDataDir);
  if (!dir.empty()) platform.SetCurrentDirectory(dir);
  if (!platform.ChooseOpenFile(kColumnFilter, dir, path)) return false;
  ini.WriteString(ini::kColumnDataDir, pathtext::FolderOf(path));
  return true;
}

CGraphFrame* CBalimorDoc::StartLoadCommand(const IniKey& dirKey, const char* filter, std::string& path) {
  const std::string dir = ini.GetString(dirKey);
  if (!dir.empty()) platform.SetCurrentDirectory(dir);
  if (!platform.ChooseOpenFile(filter, dir, path)) return nullptr;
  peakSearch.ResetForNewData();
  ini.WriteString(dirKey, pathtext::FolderOf(path));
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

  // The INT and PAT rows of the reader table: labels and kind first, then the reader.
  const CReaderRow& row = ReaderFor(LoaderExtension(path));
  const bool rietan = row.extension && (pathtext::SameNoCase(row.extension, ".int") ||
                                        pathtext::SameNoCase(row.extension, ".pat"));
  bool read = false;
  std::string title;
  if (rietan) {
    title = ApplyFileKind(*frame, peakSearch.dataKind, *row.kind, path);
    CReadRequest request{path, *originalData, *frame, peakSearch.totalCurve, peakSearch.backgroundCurve, platform};
    read = row.read(request).result == CReadOutcome::kRead;
  }
  if (read) {
    frame->AutoScale(CGraphFrame::kScaleMargin);
    SetPathName(title);
    if (onRedrawAll) onRedrawAll();
  } else {
    SetPathName(TitleOf(path, kInvalidSuffix));
  }
}

void CBalimorDoc::OnReadTextFiles() {
  std::string path;
  CGraphFrame* frame = StartLoadCommand(ini::kTextDataDir, kTextFilter, path);
  if (!frame) return;
  if (path.find('.') == std::string::npos) {
    SetPathName(TitleOf(path, kInvalidSuffix));
    return;
  }
  // The reader's result is not needed: an unreadable file leaves an empty curve under the
  // text data title.
  ReadTextData(*originalData, path);
  SetPathName(ApplyFileKind(*frame, peakSearch.dataKind, kTextDataKind, path));
  frameArray.AutoScaleAll(CGraphFrame::kScaleMargin);
  setupFileNames(path, FitJobFileName(path, 0, "#%d.pfc"), FitJobFileName(path, 0, "#%d.out"));
  if (onRedrawAll) onRedrawAll();
}

void CBalimorDoc::PrepareDrawing() {
  beforeDrawing();
  CGraphFrame* frame0 = frameArray.GetFrame(0);
  if (!frame0) return;
  const int clipSetting = ini.GetInt(ini::kClipGraphFrameDraw);
  for (int i = 0; i < frameArray.count; ++i)
    if (CGraphFrame* f = frameArray.GetFrame(i)) f->SetClip(clipSetting != 0);
  CGraphData* data = frame0->GetGraph(0);
  if (!data) return;
  CPeakSearch& r = peakSearch;
  // The display transform of the log switch; the frame takes it at the next paint. A curve
  // that has it already keeps its range, which every change of its points updates.
  auto takeLogFlag = [this](CGraphData& c) {
    if (c.YAxisType == logFlag) return;
    c.YAxisType = logFlag;
    c.UpdateRange();
  };
  auto eachModelCurve = [&r](auto&& act) {
    act(r.backgroundCurve);
    act(r.totalCurve);
    for (int i = 0; i < r.PeakCurveCount(); ++i) act(*r.PeakCurve(i));
  };
  takeLogFlag(*data);
  eachModelCurve(takeLogFlag);
  if (modelFollowsRecord && (r.peakCount >= 1 || r.b[0] != 0)) {
    r.MakeModelCurves(originalData->datan);
    // A peak curve made just now takes the transform too, so it is not drawn linear once.
    eachModelCurve(takeLogFlag);
  }
  eachModelCurve([clipSetting](CGraphData& c) { c.clipToFrame = clipSetting > 0; });
}
