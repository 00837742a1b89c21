#include "PeakSearch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "IniKeys.h"
#include "PathText.h"
#include "Platform.h"

namespace {

// Lines of the PFC files are read through a 256-character buffer.
constexpr int kLine = 256;

// Flags and changes of a new peak, per column: the diffraction (and Zentrab) columns, then
// the simplex ones.
struct NewPeakColumn {
  int flag;
  double change;
  int simplexFlag;
  double simplexStep;
};
constexpr NewPeakColumn kNewPeak[CPeakSearch::kColumns] = {
    {1, 0, 1, 10.0},  // position
    {1, 0, 0, 10.0},  // intensity
    {1, 0, 0, 0.3},   // Gauss fraction
    {0, 0, 1, 10.0},  // C(Gauss)
    {1, 0, 1, 3.0},   // Gaussian fwhm
    {0, 0, 1, 10.0},  // C(Lorentz)
    {0, 0, 1, 3.0},   // Lorentzian fwhm
    {0, 0, 0, 0.3},   // rfwhm
    {0, 0, 0, 0.5},   // anisotropy
};

// The parameter records of one peak in each PFC form.
constexpr CPeakSearch::Column kDiffractionRecords[7] = {
    CPeakSearch::kPosition,    CPeakSearch::kCTotal,      CPeakSearch::kGaussFraction,
    CPeakSearch::kFWHMGauss,   CPeakSearch::kFWHMLorentz, CPeakSearch::kFWHMGLRatio,
    CPeakSearch::kAniso};
constexpr CPeakSearch::Column kRamanRecords[5] = {CPeakSearch::kPosition, CPeakSearch::kCGauss,
                                                  CPeakSearch::kFWHMGauss, CPeakSearch::kCLorentz,
                                                  CPeakSearch::kFWHMLorentz};

std::string Trim(const char* s) {
  const char* b = s;
  while (*b && std::isspace(static_cast<unsigned char>(*b))) ++b;
  const char* e = b + std::strlen(b);
  while (e > b && std::isspace(static_cast<unsigned char>(e[-1]))) --e;
  return std::string(b, e);
}

// A line of at most 255 characters; the rest of a longer line is passed over so that the next
// call reads the next line.
bool ReadLine(std::FILE* f, char (&line)[kLine]) {
  if (!std::fgets(line, kLine, f)) return false;
  const std::size_t n = std::strlen(line);
  if (n == kLine - 1 && line[n - 1] != '\n') {
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') {
    }
  }
  return true;
}

// Points of a PFC file: "%d" then that many "%lg %lg" pairs, gathered first so that the data
// set holds the points actually read. With lineByLine each pair is scanned from a line of its
// own. True when all announced points were read.
bool ReadPoints(std::FILE* f, CGraphData& data, bool lineByLine) {
  int n = 0;
  char line[kLine];
  if (lineByLine) {
    if (!ReadLine(f, line) || std::sscanf(line, "%d", &n) != 1) return false;
  } else if (std::fscanf(f, "%d", &n) != 1) {
    return false;
  }
  std::vector<double> xs, ys;
  bool complete = true;
  for (int i = 0; i < n; ++i) {
    double x = 0, y = 0;
    const bool got = lineByLine ? (ReadLine(f, line) && std::sscanf(line, "%lg %lg", &x, &y) == 2)
                                : std::fscanf(f, "%lg %lg", &x, &y) == 2;
    if (!got || !std::isfinite(x) || !std::isfinite(y)) {
      complete = false;
      break;
    }
    xs.push_back(x);
    ys.push_back(y);
  }
  const int m = static_cast<int>(xs.size());
  if (data.SetSize(m) < 0) return false;
  for (int i = 0; i < m; ++i) {
    data.SetX(i, xs[static_cast<std::size_t>(i)]);
    data.SetY(i, ys[static_cast<std::size_t>(i)]);
  }
  data.UpdateRange();
  return complete && n >= 0;
}

}  // namespace

CPeakSearch::CPeakSearch() {
  for (CPeakColumn& c : column) {
    c.value.assign(kPeakCapacity, 0.0);
    c.flag.assign(kPeakCapacity, 0);
    c.change.assign(kPeakCapacity, 0.0);
  }
}

CPeakSearch::~CPeakSearch() = default;

std::string CPeakSearch::ProgramOf(const std::string& setting, const std::string& programDir,
                                   const char* name) {
  if (!setting.empty()) return setting;
  return programDir.empty() ? std::string(name) : programDir + "/" + name;
}

void CPeakSearch::LoadSettings(const CIniFile& ini, const std::string& programDir) {
  iPrt = ini.GetInt(ini::kIPrt);
  iPrtIntvl = ini.GetInt(ini::kIPrtIntvl);
  xrdProgram = ProgramOf(ini.GetString(ini::kXRDLSQProgram), programDir, "xZentrab");
  ramanProgram = ProgramOf(ini.GetString(ini::kRamanLSQProgram), programDir, "simplexfit");
  maxIteration = ini.GetInt(ini::kMaxIteration);
  eps = ini.GetReal(ini::kConvergenceCriteria);
  dampingFactor = ini.GetReal(ini::kDumpingFactor);
  qRange = ini.GetReal(ini::kQRange);
  iRatio = ini.GetReal(ini::kIRatio);
  ramda1 = ini.GetReal(ini::kLKa1);
  ramda2 = ini.GetReal(ini::kLKa2);
  for (int k = 0; k < kBackgroundTerms; ++k) {
    optimizeB[k] = 1;
    bChange[k] = 0;
  }
  peakCount = 0;
}

void CPeakSearch::Clear() {
  for (int k = 0; k < kBackgroundTerms; ++k) {
    b[k] = 0.0;
    optimizeB[k] = k < 2 ? 1 : 0;
  }
  peakCount = 0;
}

void CPeakSearch::ResetForNewData() {
  for (int k = 0; k < kBackgroundTerms; ++k) {
    b[k] = 0.0;
    optimizeB[k] = 1;
  }
  peakCount = 0;
}

int CPeakSearch::AddPeak(double position, double intensity, double gaussFraction, double rfwhm,
                         double lorentzFwhm) {
  if (peakCount >= capacity - 1 || peakCount >= kPeakCapacity) return peakCount;
  const int i = peakCount;
  const double v[kColumns] = {position,
                              intensity,
                              gaussFraction,
                              intensity * gaussFraction,
                              rfwhm * lorentzFwhm,
                              (1.0 - gaussFraction) * intensity,
                              lorentzFwhm,
                              rfwhm,
                              0.0};
  const bool simplex = UsesSimplex();
  for (int c = 0; c < kColumns; ++c) {
    column[c].value[i] = v[c];
    column[c].flag[i] = simplex ? kNewPeak[c].simplexFlag : kNewPeak[c].flag;
    column[c].change[i] = simplex ? kNewPeak[c].simplexStep : kNewPeak[c].change;
  }
  return ++peakCount;
}

int CPeakSearch::DeletePeak(int i) {
  if (i < 0 || i >= peakCount) return peakCount;
  for (CPeakColumn& c : column) {
    c.value.erase(c.value.begin() + i);
    c.value.push_back(0.0);
    c.flag.erase(c.flag.begin() + i);
    c.flag.push_back(0);
    c.change.erase(c.change.begin() + i);
    c.change.push_back(0.0);
  }
  return --peakCount;
}

bool CPeakSearch::IsZentrabProgram(const std::string& path) {
  std::string name = pathtext::FileNameOf(path);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name.find("ZENTRAB") != std::string::npos;
}

bool CPeakSearch::IsMarqPFCFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  char line[kLine];
  bool marq = false;
  int n = 0;
  while (n < 4 && ReadLine(f, line)) ++n;
  if (n == 4) marq = pathtext::StartsWithNoCase(line, "marq");
  std::fclose(f);
  return marq;
}

int CPeakSearch::SavePFCFile(const std::string& path) {
  if (dataKind == DataKind::Diffraction) return SaveZentrabPFCFile(path, xrdProgram);
  if (dataKind == DataKind::Spectroscopic)
    return IsZentrabProgram(ramanProgram) ? SaveZentrabPFCFile(path, ramanProgram)
                                          : SaveRamanPFCFile(path);
  return 0;
}

int CPeakSearch::SaveZentrabPFCFile(const std::string& path, const std::string& program) {
  if (!dataSet) return -1;
  // The job is formatted in memory and written in one piece, so a file that cannot be written
  // to the end never replaces a good one.
  std::string text;
  char buf[512];
  auto put = [&](const char* fmt, auto... args) {
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    if (n > 0) text.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
  };
  text += "title\n";
  text += dataSet->fileName + "\n";
  text += program + "\n";
  text += method + "\n";
  put("%3d %6.4lf %10.4lg\n", maxIteration, dampingFactor, eps);
  put("%10.6lf %10.6lf %10.4lf %10.4lf\n", ramda1, ramda2, qRange, iRatio);
  put("%10.6lf %10.6lf\n", calcLow, calcHigh);
  put("%10.6lf %10.6lf\n", optLow, optHigh);
  for (int k = 0; k < kBackgroundTerms; ++k) put("  %12.6lg %2d %12.6lg\n", b[k], optimizeB[k], bChange[k]);
  put("%d\n", peakCount);
  for (int i = 0; i < peakCount; ++i) {
    for (Column c : kDiffractionRecords) {
      const char* fmt = c == kPosition        ? "  %10.6lf %d %lg\n"
                        : c == kCTotal        ? "  %10.0lf %d %lg\n"
                        : c == kGaussFraction ? "  %10.4lf %d %lg\n"
                                              : "  %10.6lf %d %lg\n";
      put(fmt, column[c].value[i], column[c].flag[i], column[c].change[i]);
    }
  }
  // The fitter takes the points of its calculation range in ascending X, so a data set whose
  // X run downwards is written from its last point to its first.
  const int n = dataSet->datan;
  bool descending = n > 1 && dataSet->ScaledX(n - 1) < dataSet->ScaledX(0);
  for (int i = 1; i < n && descending; ++i) descending = dataSet->ScaledX(i) <= dataSet->ScaledX(i - 1);
  put("%d\n", n);
  for (int k = 0; k < n; ++k) {
    const int i = descending ? n - 1 - k : k;
    put("  %10.4lf %14.4lf\n", dataSet->ScaledX(i), dataSet->ScaledY(i));
  }
  if (WriteFileText(path, "w", text) != 0) {
    if (platform) platform->ShowMessage("Can't open " + path, "Error in CPeakSearch::SaveZentrabPFCFile");
    return -1;
  }
  return 1;
}

int CPeakSearch::SaveRamanPFCFile(const std::string& path) {
  if (!dataSet) return -1;
  std::string text;
  char buf[512];
  auto put = [&](const char* fmt, auto... args) {
    const int n = std::snprintf(buf, sizeof buf, fmt, args...);
    if (n > 0) text.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
  };
  text += dataSet->fileName + "\n";
  put("%d %d\n", iPrt, iPrtIntvl);
  put("%d %lg %lg\n", maxIteration, eps, eps);
  put("%lg %lg\n", optLow, optHigh);
  const int order = std::clamp(backgroundOrder, 0, kBackgroundTerms - 1);
  put("%d\n", order);
  for (int k = 0; k <= order; ++k) put("%lg %d %lg\n", b[k], optimizeB[k], bChange[k]);
  put("%d\n", peakCount);
  for (int i = 0; i < peakCount; ++i)
    for (Column c : kRamanRecords) put("%lg %d %lg\n", column[c].value[i], column[c].flag[i], column[c].change[i]);
  put("%lg %lg\n", S, R);
  put("%d\n", dataSet->datan);
  for (int i = 0; i < dataSet->datan; ++i) put("%lg %lg\n", dataSet->ScaledX(i), dataSet->ScaledY(i));
  if (WriteFileText(path, "w", text) != 0) {
    if (platform) platform->ShowMessage("Can't open " + path, "Error in CPeakSearch::SaveRamanPFCFile");
    return -1;
  }
  return 1;
}

int CPeakSearch::ReadPFCFile(const std::string& path, bool readData) {
  if (dataKind == DataKind::Diffraction) return ReadZentrabPFCFile(path, xrdProgram, readData);
  if (IsMarqPFCFile(path)) return ReadZentrabPFCFile(path, ramanProgram, readData);
  return ReadRamanPFCFile(path, readData);
}

int CPeakSearch::ReadZentrabPFCFile(const std::string& path, std::string& program, bool readData) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return -1;
  Clear();
  lastReadComplete = false;
  char line[kLine];
  std::string* text[4] = {&title, &inputPath, &program, &method};
  bool ok = true;
  for (std::string* t : text) {
    if (!(ok = ReadLine(f, line))) break;
    *t = Trim(line);
  }
  // Each record keeps the values read before the file ended or stopped making sense.
  auto scan = [&](int want, const char* fmt, auto*... out) {
    if (ok) ok = std::fscanf(f, fmt, out...) == want;
  };
  scan(3, "%d %lg %lg", &maxIteration, &dampingFactor, &eps);
  scan(4, "%lg %lg %lg %lg", &ramda1, &ramda2, &qRange, &iRatio);
  scan(2, "%lg %lg", &calcLow, &calcHigh);
  scan(2, "%lg %lg", &optLow, &optHigh);
  for (int k = 0; k < kBackgroundTerms; ++k) scan(3, "%lg %d %lg", &b[k], &optimizeB[k], &bChange[k]);
  int n = 0;
  scan(1, "%d", &n);
  if (ok) {
    // Peaks beyond the table are read past, so that the points still follow in step.
    for (int i = 0; i < n && ok; ++i) {
      double v[7] = {}, ch[7] = {};
      int fl[7] = {};
      for (int r = 0; r < 7 && ok; ++r) scan(3, "%lg %d %lg", &v[r], &fl[r], &ch[r]);
      if (!ok || i >= capacity) continue;
      for (int r = 0; r < 7; ++r) {
        const Column c = kDiffractionRecords[r];
        column[c].value[i] = v[r];
        column[c].flag[i] = fl[r];
        column[c].change[i] = ch[r];
      }
      const double intensity = v[1], fraction = v[2];
      column[kCGauss].value[i] = intensity * fraction;
      column[kCLorentz].value[i] = (1.0 - fraction) * intensity;
      column[kCGauss].flag[i] = column[kCLorentz].flag[i] = 0;
      column[kCGauss].change[i] = column[kCLorentz].change[i] = 0;
      peakCount = i + 1;
    }
    ok = ok && n >= 0;
  }
  if (ok && readData && dataSet) ok = ReadPoints(f, *dataSet, false);
  std::fclose(f);
  lastReadComplete = ok;
  return 1;
}

int CPeakSearch::ReadRamanPFCFile(const std::string& path, bool readData) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return -1;
  Clear();
  lastReadComplete = false;
  char line[kLine];
  bool ok = ReadLine(f, line);
  if (ok) title = inputPath = Trim(line);
  // One record per line, each scanned by itself.
  auto record = [&](int want, const char* fmt, auto*... out) {
    if (ok) ok = ReadLine(f, line) && std::sscanf(line, fmt, out...) == want;
  };
  record(2, "%d %d", &iPrt, &iPrtIntvl);
  record(2, "%d %lg", &maxIteration, &eps);
  double lo = optLow, hi = optHigh;
  record(2, "%lg %lg", &lo, &hi);
  if (ok) {
    optLow = calcLow = lo;
    optHigh = calcHigh = hi;
  }
  int order = -1;
  record(1, "%d", &order);
  if (ok) {
    backgroundOrder = std::clamp(order, 0, kBackgroundTerms - 1);
    for (int k = 0; k <= order && ok; ++k) {
      double v = 0, ch = 0;
      int fl = 0;
      record(3, "%lg %d %lg", &v, &fl, &ch);
      if (ok && k < kBackgroundTerms) {
        b[k] = v;
        optimizeB[k] = fl;
        bChange[k] = ch;
      }
    }
    for (int k = std::max(order + 1, 0); k < kBackgroundTerms; ++k) {
      b[k] = 0;
      optimizeB[k] = 0;
    }
  }
  int n = 0;
  record(1, "%d", &n);
  if (ok) {
    for (int i = 0; i < n && ok; ++i) {
      double v[5] = {}, ch[5] = {};
      int fl[5] = {};
      for (int r = 0; r < 5 && ok; ++r) record(3, "%lg %d %lg", &v[r], &fl[r], &ch[r]);
      if (!ok || i >= capacity) continue;
      for (int r = 0; r < 5; ++r) {
        const Column c = kRamanRecords[r];
        column[c].value[i] = v[r];
        column[c].flag[i] = fl[r];
        column[c].change[i] = ch[r];
      }
      // Derived columns; a height of 0 counts as all Gaussian and a Lorentzian width of 0
      // gives no ratio, so that nothing divides by zero.
      const double cg = v[1], wg = v[2], cl = v[3], wl = v[4];
      const double intensity = cg + cl;
      column[kCTotal].value[i] = intensity;
      column[kGaussFraction].value[i] = intensity != 0 ? cg / intensity : 1.0;
      column[kFWHMGLRatio].value[i] = wl != 0 ? wg / wl : 0.0;
      column[kAniso].value[i] = 0;
      for (Column c : {kCTotal, kGaussFraction, kFWHMGLRatio, kAniso}) {
        column[c].flag[i] = 0;
        column[c].change[i] = 0;
      }
      peakCount = i + 1;
    }
    ok = ok && n >= 0;
  }
  record(2, "%lg %lg", &S, &R);
  if (ok && readData && dataSet) ok = ReadPoints(f, *dataSet, true);
  std::fclose(f);
  lastReadComplete = ok;
  return 1;
}

