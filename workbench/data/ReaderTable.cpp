#include "ReaderTable.h"

#include <cstdio>
#include <cstring>

#include "GraphFrame.h"
#include "PathText.h"
#include "VariousData.h"

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;

const CFileKind kRigakuXrf = {"Theta / degree", "Signale", "(Rigaku XRF Data)", DataKind::Diffraction};
const CFileKind kRas = {"Angle / deg", "Intensity", "(SmartLab RAS Data)", DataKind::Spectroscopic};
const CFileKind kOldIr = {"Wave number / cm-1", "Transmittance / %", "(Old IR Data)", DataKind::Spectroscopic};
const CFileKind kIr = {"Wave number / cm-1", "Transmittance / %", "(IR Data)", DataKind::Spectroscopic};
const CFileKind kVelmaraRaman = {"Wave number / cm-1", "Raman Intensity", "(Velmara Raman Data)",
                                 DataKind::Spectroscopic};
// MRD and ScanData scans carry diffraction labels and kind under the IR title.
const CFileKind kMrd = {"CuKa 2Q", "Intensity / cps", "(IR Data)", DataKind::Diffraction};
const CFileKind kOd = {"Wave length / nm", "Optical Density", "(OD Data)", std::nullopt};
const CFileKind kQe = {"Wave length / nm", "Quantum efficiency", "(QE Data)", std::nullopt};
const CFileKind kTxtXrd = {"CuKa 2Theta", "Diffraction intensity", "(XRD Data)", DataKind::Diffraction};
const CFileKind kPl = {"Wavelength / nm", "PL intensity", "(PL Data)", DataKind::Spectroscopic};
const CFileKind kRaman = {"Wave number / cm-1", "Raman intensity", "(Raman Data)", DataKind::Spectroscopic};
const CFileKind kDegradation = {"Time / s", "Photo current / A", "(Degradation Measurement Data)",
                                std::nullopt};
const CFileKind kRamanSmoothed = {"Wave number / cm-1", "Raman intensity", "(Raman smoothed Data)",
                                  DataKind::Spectroscopic};
const CFileKind kXrd = {"Diffraction angle 2Theta / deg.", "Intensity", "(XRD Data)", DataKind::Diffraction};
const CFileKind kRietanInt = {"2Theta", "Diffraction Intensity", "(Rietan INT Data)", DataKind::Diffraction};
const CFileKind kRietanPat = {"2Theta", "Diffraction Intensity", "(Rietan PAT Data)", DataKind::Diffraction};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

CReadOutcome Outcome(bool read, const CFileKind* kind = nullptr) {
  CReadOutcome o;
  o.result = read ? CReadOutcome::kRead : CReadOutcome::kNotRead;
  o.kind = kind;
  return o;
}

// Generic column text, every column layout found from the data: labelled by its header, its
// kind told by its X values.
CReadOutcome ReadColumns(CReadRequest& q) {
  CColumnLayout layout;
  CReadOutcome o = Outcome(ReadColumnData(q.data, q.path, {}, &layout) == 1, &kColumnDataKind);
  o.xLabel = ColumnXLabel(layout);
  o.yLabel = ColumnYLabel(layout);
  o.dataKind = ColumnDataKind(q.data, layout.xName);
  o.everyLine = true;
  return o;
}

// The ".asc" family: the first line decides between PE IR, sectioned and comma-pair text.
CReadOutcome ReadAsc(CReadRequest& q) {
  char first[256] = "";
  std::FILE* f = std::fopen(q.path.c_str(), "r");
  if (!f) return Outcome(false);
  if (!std::fgets(first, sizeof first, f)) first[0] = '\0';
  std::fclose(f);
  int result = 0;
  if (pathtext::StartsWithNoCase(first, "PE IR")) {
    result = ReadPeIr(q.data, q.path);
  } else if (pathtext::StartsWithNoCase(first, "*TYPE")) {
    q.section = ChooseSection(q.path, q.platform);
    if (q.section < 0) {
      CReadOutcome abandoned;
      abandoned.result = CReadOutcome::kAbandoned;
      return abandoned;
    }
    result = ReadSectionedScan(q.data, q.path, q.section);
  } else if (std::strstr(first, ",   ")) {
    result = ReadCommaPairs(q.data, q.path, q.platform);
  }
  // Comma pairs are the plain form of the same IR text family: titled and labelled as IR.
  if (result == 1 || result == 3) return Outcome(true, &kIr);
  if (result == 2) return Outcome(true, &kVelmaraRaman);
  return Outcome(false);
}

// The ".txt" chain: the first reader that does not answer "not this kind" decides.
CReadOutcome ReadTxt(CReadRequest& q) {
  struct Step {
    int (*read)(CGraphData&, const std::string&);
    const CFileKind* kind;
  };
  const Step chain[] = {
      {&ReadGeneralText, &kTxtXrd},
      {&ReadCountFirstText, &kTxtXrd},
      {&ReadF4500, &kPl},
      {&ReadSampleHeaderScan, &kTxtXrd},
  };
  for (const Step& step : chain) {
    const int r = step.read(q.data, q.path);
    if (r == 0) continue;
    return Outcome(r == 1, step.kind);
  }
  return Outcome(false);
}

// ".dat": Raman pairs or a degradation log, told apart by the first line.
CReadOutcome ReadDat(CReadRequest& q) {
  const int r = ReadRamanOrDegradation(q.data, q.path);
  if (r == 1) return Outcome(true, &kRaman);
  if (r == 2) return Outcome(true, &kDegradation);
  return Outcome(false);
}

// ".pat": column 0 into the measured data, 1 into the total curve (red), 2 into the
// background curve (green, attached only when present). Read when column 0 was.
CReadOutcome ReadPat(CReadRequest& q) {
  const int result = ReadRietanPat(q.data, q.path, 0);
  q.frame.AttachGraph(&q.total);
  ReadRietanPat(q.total, q.path, 1);
  q.total.lineColor = kRed;
  if (ReadRietanPat(q.background, q.path, 2) > 0) {
    q.frame.AttachGraph(&q.background);
    q.background.lineColor = kGreen;
  }
  return Outcome(result > 0);
}

const CReaderRow kRows[] = {
    // No extension: nothing reads the file.
    {nullptr, [](const std::string& e) { return e.empty(); }, [](CReadRequest&) { return Outcome(false); },
     nullptr, false, false},
    {".csv", nullptr, [](CReadRequest& q) { return Outcome(ReadRigakuXrfCsv(q.data, q.path) == 1); },
     &kRigakuXrf, false, false},
    {".ras", nullptr, [](CReadRequest& q) { return Outcome(ReadRas(q.data, q.path) == 1); }, &kRas, false,
     false},
    {".ir", nullptr, [](CReadRequest& q) { return Outcome(ReadTabularIr(q.data, q.path) == 1); }, &kOldIr,
     false, false},
    {".asc", nullptr, &ReadAsc, nullptr, false, false},
    {".mrd", nullptr, [](CReadRequest& q) { return Outcome(ReadMrd(q.data, q.path) == 1); }, &kMrd, false,
     false},
    // ScanData csv: "X" or "x" and two digits (".X12").
    {nullptr,
     [](const std::string& e) { return e.size() == 4 && (e[1] == 'X' || e[1] == 'x') && IsDigit(e[2]) && IsDigit(e[3]); },
     [](CReadRequest& q) { return Outcome(ReadScanDataCsv(q.data, q.path) == 1); }, &kMrd, false, false},
    {".od", nullptr, [](CReadRequest& q) { return Outcome(ReadOpticalDensity(q.data, q.path) > 0); }, &kOd,
     false, false},
    // ".qe" and every extension that begins with it.
    {nullptr, [](const std::string& e) { return e.size() >= 3 && pathtext::SameNoCase(e.substr(0, 3), ".qe"); },
     [](CReadRequest& q) { return Outcome(ReadQuantumEfficiency(q.data, q.path) > 0); }, &kQe, false, false},
    {".txt", nullptr, &ReadTxt, nullptr, false, false},
    {".dat", nullptr, &ReadDat, nullptr, false, false},
    {".ram", nullptr, [](CReadRequest& q) { return Outcome(ReadRamanPairs(q.data, q.path) > 0); }, &kRaman, true,
     false},
    {".rmn", nullptr, [](CReadRequest& q) { return Outcome(ReadSmoothedRaman(q.data, q.path) > 0); },
     &kRamanSmoothed, true, false},
    // A digit after the dot, or nothing at all (a path ending in "."): the Rigaku binary scan.
    {nullptr, [](const std::string& e) { return e.size() == 1 || IsDigit(e[1]); },
     [](CReadRequest& q) { return Outcome(ReadRigakuBinary(q.data, q.path, true) > 0); }, &kXrd, true, false},
    {".xdt", nullptr, [](CReadRequest& q) { return Outcome(ReadXdt(q.data, q.path) > 0); }, &kXrd, true, false},
    {".xrd", nullptr, [](CReadRequest& q) { return Outcome(ReadSectionedScan(q.data, q.path, q.section) > 0); },
     &kXrd, true, true},
    {".int", nullptr, [](CReadRequest& q) { return Outcome(ReadRietanInt(q.data, q.path) > 0); }, &kRietanInt,
     true, false},
    {".pat", nullptr, &ReadPat, &kRietanPat, true, false},
    // Generic column text under the extensions of column exports.
    {".xy", nullptr, &ReadColumns, &kColumnDataKind, false, false},
    {".xye", nullptr, &ReadColumns, &kColumnDataKind, false, false},
    {".tsv", nullptr, &ReadColumns, &kColumnDataKind, false, false},
    {".prn", nullptr, &ReadColumns, &kColumnDataKind, false, false},
    // Any other extension: the second form of the Rigaku binary scan.
    {nullptr, [](const std::string&) { return true; },
     [](CReadRequest& q) { return Outcome(ReadRigakuBinary(q.data, q.path, false) == 1); }, &kXrd, false, false},
};

bool Takes(const CReaderRow& row, const std::string& extension) {
  return row.takes ? row.takes(extension) : pathtext::SameNoCase(extension, row.extension);
}

}  // namespace

const CFileKind kTextDataKind = {"X axis", "Y axis", "(Text Data)", DataKind::None};
const CFileKind kColumnDataKind = {"X axis", "Y axis", "(Column Data)", std::nullopt};

std::string TitleOf(const std::string& path, const char* suffix) { return path + " " + suffix; }

std::string ApplyFileKind(CGraphFrame& frame, DataKind& dataKind, const CFileKind& kind,
                          const std::string& path) {
  frame.SetXLabel(kind.xLabel);
  frame.SetYLabel(kind.yLabel);
  if (kind.dataKind) dataKind = *kind.dataKind;
  return TitleOf(path, kind.suffix);
}

void ApplyOwnLabels(CGraphFrame& frame, DataKind& dataKind, const CReadOutcome& outcome) {
  if (!outcome.xLabel.empty()) frame.SetXLabel(outcome.xLabel);
  if (!outcome.yLabel.empty()) frame.SetYLabel(outcome.yLabel);
  if (outcome.dataKind) dataKind = *outcome.dataKind;
}

std::span<const CReaderRow> ReaderTable() { return kRows; }

const CReaderRow& ReaderFor(const std::string& extension) {
  for (const CReaderRow& row : kRows)
    if (Takes(row, extension)) return row;
  return kRows[std::size(kRows) - 1];
}

std::string LoaderExtension(const std::string& path) {
  const std::size_t dot = path.find_last_of('.');
  return dot == std::string::npos ? std::string() : path.substr(dot);
}
