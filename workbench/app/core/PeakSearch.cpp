#include "PeakSearch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "IniKeys.h"
#include "fastexp.h"
#include "Platform.h"

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kCyan = 0xFFFF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x00FF00;

// Gaussian exponent factor 4 ln 2 and degrees to radians, in double precision.
constexpr double kGaussC = 2.772588722;
constexpr double kDeg = 0.01745329251944;

// Asymmetry average: seven samples at t² = ((k − 1)/6)², Simpson weights, factor 1/18.
constexpr double kT2[7] = {0.0, 1.0 / 36, 4.0 / 36, 9.0 / 36, 16.0 / 36, 25.0 / 36, 1.0};
constexpr double kW[7] = {1, 4, 2, 4, 2, 4, 1};

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

// Index of the first point with x ≥ lo (the data ascend in x).
int FirstAtOrAbove(const std::vector<double>& x, int n, double lo) {
  return static_cast<int>(std::lower_bound(x.begin(), x.begin() + n, lo) - x.begin());
}
// One past the last point with x below hi.
int EndBelow(const std::vector<double>& x, int n, double hi) {
  return static_cast<int>(std::lower_bound(x.begin(), x.begin() + n, hi) - x.begin());
}

// One line of one asymmetry sample at m points: with X = xh + d,
//   gs += w exp(−c X²),  ls += w / (1 + q X²).
void AddLine(const double* xh, int m, double d, double w, double q, double* gs, double* ls) {
  for (int i = 0; i < m; ++i) {
    const double X = xh[i] + d;
    const double X2 = X * X;
    gs[i] += w * numeric::expNonPositive(-kGaussC * X2);
    ls[i] += w / (1.0 + q * X2);
  }
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
  const std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
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
  if (n == 4) {
    marq = true;
    const char* m = "marq";
    for (int k = 0; k < 4; ++k)
      if (std::tolower(static_cast<unsigned char>(line[k])) != m[k]) marq = false;
  }
  std::fclose(f);
  return marq;
}

int CPeakSearch::SavePFCFile(const std::string& path) {
  if (dataKind == 1) return SaveZentrabPFCFile(path, xrdProgram);
  if (dataKind == 2)
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
  put("%d\n", dataSet->datan);
  for (int i = 0; i < dataSet->datan; ++i)
    put("  %10.4lf %14.4lf\n", dataSet->ScaledX(i), dataSet->ScaledY(i));
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
  if (dataKind == 1) return ReadZentrabPFCFile(path, xrdProgram, readData);
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

void CPeakSearch::ClearModelCurves() {
  backgroundCurve.Reset();
  totalCurve.Reset();
  peakCurves.clear();
  grid.clear();
  ++gridStamp;
}

CGraphData* CPeakSearch::PeakCurve(int i) const {
  return i >= 0 && i < PeakCurveCount() ? peakCurves[static_cast<std::size_t>(i)].curve.get() : nullptr;
}

CPeakSearch::CCurveExtent CPeakSearch::PeakCurveExtent(int i) const {
  const CGraphData* curve = PeakCurve(i);
  if (!curve) return {};
  const CurveSlot& slot = peakCurves[static_cast<std::size_t>(i)];
  if (slot.stamp != gridStamp || curve->datan != static_cast<int>(grid.size()) || slot.w1 < slot.w0)
    return {0, curve->datan, false};
  return {slot.w0, slot.w1, gridAscending};
}

bool CPeakSearch::UpdateGrid(int n) {
  bool same = static_cast<int>(grid.size()) == n;
  for (int i = 0; same && i < n; ++i) same = grid[static_cast<std::size_t>(i)] == dataSet->ScaledX(i);
  if (same) return false;
  grid.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) grid[static_cast<std::size_t>(i)] = dataSet->ScaledX(i);
  gridAscending = true;
  for (std::size_t i = 1; i < grid.size() && gridAscending; ++i) gridAscending = grid[i] >= grid[i - 1];
  ++gridStamp;
  return true;
}

bool CPeakSearch::PrepareCurve(CGraphData& curve, int n, long& stamp, int& w0, int& w1) {
  // A curve already on this grid keeps its X′ values and has only its last window to clear;
  // any other is made anew on the grid.
  if (stamp == gridStamp && curve.datan == n) {
    std::fill(curve.Y.begin() + w0, curve.Y.begin() + w1, 0.0);
  } else {
    if (curve.maxDatan > n) {
      curve.SetCount(n);
    } else if (curve.SetSize(n) < 0) {
      stamp = -1;
      return false;
    }
    std::copy(grid.begin(), grid.begin() + n, curve.X.begin());
    std::fill(curve.Y.begin(), curve.Y.begin() + n, 0.0);
    stamp = gridStamp;
  }
  w0 = w1 = 0;
  curve.fileName = dataSet->fileName;
  return true;
}

int CPeakSearch::MakeModelCurves(int n) {
  if (dataKind != 1 && dataKind != 2) return -1;
  if (!dataSet) return -1;
  n = std::clamp(n, 0, dataSet->datan);
  UpdateGrid(n);
  const std::string& name = dataSet->fileName;
  int unused0 = 0, unused1 = n;
  // The background and the total are written at every point.
  if (!PrepareCurve(totalCurve, n, totalStamp, unused0, unused1)) return -1;
  unused0 = 0, unused1 = n;
  if (!PrepareCurve(backgroundCurve, n, backgroundStamp, unused0, unused1)) return -1;
  totalCurve.label = "(Total)" + name;
  totalCurve.lineColor = kRed;
  backgroundCurve.label = "(Background)" + name;
  backgroundCurve.lineColor = kCyan;
  if (qRange < 0.1) qRange = 0.1;

  // Background: the plain polynomial b0 + b1 x + ... + b4 x⁴ (diffraction, and spectroscopic
  // data fitted by a Zentrab build), or the polynomial in t = (x − c)/h over the optimisation
  // range that simplexfit fits.
  const bool normalised = dataKind == 2 && !IsZentrabProgram(ramanProgram);
  const double c = (optLow + optHigh) * 0.5, h = (optHigh - optLow) * 0.5;
  const int order = normalised ? std::clamp(backgroundOrder, 0, kBackgroundTerms - 1) : kBackgroundTerms - 1;
  for (int i = 0; i < n; ++i) {
    const double x = grid[static_cast<std::size_t>(i)];
    const double t = normalised ? (h != 0 ? (x - c) / h : 0.0) : x;
    double v = 0, p = 1;
    for (int k = 0; k <= order; ++k, p *= t) v += b[k] * p;
    backgroundCurve.Y[static_cast<std::size_t>(i)] = v;
    totalCurve.Y[static_cast<std::size_t>(i)] = v;
  }
  backgroundCurve.UpdateRange();

  // One curve per peak, reused from the last computation where there is one.
  const std::size_t want = static_cast<std::size_t>(peakCount);
  if (peakCurves.size() > want) peakCurves.resize(want);
  int result = 1;
  for (int j = 0; j < peakCount; ++j) {
    if (static_cast<std::size_t>(j) >= peakCurves.size()) peakCurves.emplace_back();
    CurveSlot& slot = peakCurves[static_cast<std::size_t>(j)];
    CGraphData& curve = *slot.curve;
    if (!PrepareCurve(curve, n, slot.stamp, slot.w0, slot.w1)) {
      peakCurves.resize(static_cast<std::size_t>(j));
      char text[96];
      std::snprintf(text, sizeof text, "Can't create curve #%d with datan=%d", j, n);
      if (platform) platform->ShowMessage(text, "Error");
      result = -1;
      break;
    }
    char label[96];
    std::snprintf(label, sizeof label, "Curve#%2d - %lg", j, column[kPosition].value[j]);
    curve.label = label + name;
    curve.lineColor = j == currentPeak ? kBlue : kGreen;
    if (n >= 2) {
      if (dataKind == 1)
        MakeDiffractionPeak(j, slot, n);
      else
        MakeSingleLinePeak(j, slot, n);
    }
    UpdatePeakRange(slot, n);
  }

  totalCurve.UpdateRange();
  return result;
}

void CPeakSearch::UpdatePeakRange(CurveSlot& slot, int n) {
  CGraphData& curve = *slot.curve;
  const CGraphData& ref = backgroundCurve;
  const bool sameX = curve.XAxisType == ref.XAxisType && curve.XScale == ref.XScale && curve.XOffset == ref.XOffset;
  if (n < 1 || !sameX) {
    curve.UpdateRange();
    return;
  }
  // Every point outside the window holds 0, so one of them stands for all; the X′ values are
  // the background curve's, whose range was taken over the same grid.
  double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](int i) {
    const double y = curve.ProcessedY(i);
    if (!any || y < lo) lo = y;
    if (!any || y > hi) hi = y;
    any = true;
  };
  if (slot.w0 > 0) take(0);
  else if (slot.w1 < n) take(slot.w1);
  for (int i = slot.w0; i < slot.w1; ++i) take(i);
  curve.XMin = ref.XMin;
  curve.XMax = ref.XMax;
  curve.YMin = lo;
  curve.YMax = hi;
}

// The Kα1/Kα2 doublet, averaged over the asymmetric spread:
//   X1 = h (x − p + t² A cot p), X2 = h (x − p2 + t² A cot p2), h = 1/Wg, q = 4 r²
//   value = (1/18) Σ w (CG (G1 + iRatio G2) + CL (L1 + iRatio L2)),
//   G = exp(−c X²), L = 1/(1 + q X²),
// with p2 the Kα2 angle from the wavelength ratio. The window runs from p − w to p2 + w.
void CPeakSearch::MakeDiffractionPeak(int j, CurveSlot& slot, int n) {
  const double p = column[kPosition].value[j];
  if (!(p >= 0 && p < 180)) return;
  const double wg = column[kFWHMGauss].value[j];
  const double wl = column[kFWHMLorentz].value[j];
  const double r = column[kFWHMGLRatio].value[j];
  const double A = column[kAniso].value[j];
  const double intensity = column[kCTotal].value[j];
  const double fraction = column[kGaussFraction].value[j];
  if (!(wg > 0) || !std::isfinite(wg) || !std::isfinite(r)) return;
  const double cg = intensity * fraction / 18.0, cl = intensity * (1.0 - fraction) / 18.0;
  const double hInv = 1.0 / wg, q = 4.0 * r * r;
  const double w = qRange * std::max(wg, wl);

  // Kα2 angle: s = 2 sin(p/2)/λ1, p2 = 2 asin(λ2 s/2). A line that would lie beyond 180° is
  // left out.
  const double s = 2.0 * std::sin(p * 0.5 * kDeg) / ramda1;
  const double arg = ramda2 * 0.5 * s;
  const bool ka2Angle = std::isfinite(arg) && std::fabs(arg) <= 1.0;
  const double p2 = ka2Angle ? std::asin(arg) * 2.0 / kDeg : p;
  const bool ka2 = ka2Angle && iRatio != 0;
  // The asymmetric shift t² A cot(2θ); none without anisotropy (and none at 2θ = 0).
  const bool asym = A != 0 && std::tan(p * kDeg) != 0;
  const double k1 = asym ? A / std::tan(p * kDeg) : 0.0;
  const double k2 = asym && ka2 && std::tan(p2 * kDeg) != 0 ? A / std::tan(p2 * kDeg) : 0.0;

  const int i0 = FirstAtOrAbove(grid, n, p - w);
  const int i1 = std::max(i0, EndBelow(grid, n, std::max(p, p2) + w));
  slot.w0 = i0;
  slot.w1 = i1;
  const int samples = asym ? 7 : 1;
  // The shifts of the samples in units of the inverse width, and their weights.
  double d1[7], d2[7], wk[7];
  for (int k = 0; k < samples; ++k) {
    d1[k] = hInv * (kT2[k] * k1 - p);
    d2[k] = hInv * (kT2[k] * k2 - p2);
    wk[k] = asym ? kW[k] : 18.0;
  }
  // Sample by sample over the window, so that each pass is one simple loop over the points.
  const int m = i1 - i0;
  if (m <= 0) return;
  if (static_cast<int>(scratch.size()) < 3 * m) scratch.resize(static_cast<std::size_t>(3 * m));
  double* xh = scratch.data();
  double* gs = xh + m;
  double* ls = gs + m;
  const double* X = grid.data() + i0;
  for (int i = 0; i < m; ++i) {
    xh[i] = hInv * X[i];
    gs[i] = ls[i] = 0.0;
  }
  for (int k = 0; k < samples; ++k) {
    AddLine(xh, m, d1[k], wk[k], q, gs, ls);
    if (ka2) AddLine(xh, m, d2[k], wk[k] * iRatio, q, gs, ls);
  }
  double* Y = slot.curve->Y.data() + i0;
  double* total = totalCurve.Y.data() + i0;
  for (int i = 0; i < m; ++i) {
    const double v = cg * gs[i] + cl * ls[i];
    Y[i] = v;
    total[i] += v;
  }
}

// One line: intensity (g exp(−c ((x − p)/Wg)²) + (1 − g)/(1 + 4 ((x − p)/Wl)²)), Wl = Wg/rfwhm,
// in the window p ± w. A part of width 0 is left out.
void CPeakSearch::MakeSingleLinePeak(int j, CurveSlot& slot, int n) {
  const double p = column[kPosition].value[j];
  const double wg = column[kFWHMGauss].value[j];
  const double r = column[kFWHMGLRatio].value[j];
  const double intensity = column[kCTotal].value[j];
  const double fraction = column[kGaussFraction].value[j];
  const double wl = wg > 0 && r > 0 ? wg / r : column[kFWHMLorentz].value[j];
  const double w = qRange * std::max(wg, column[kFWHMLorentz].value[j]);
  if (!std::isfinite(p) || !std::isfinite(w)) return;
  const bool gauss = wg > 0 && std::isfinite(wg), lorentz = wl > 0 && std::isfinite(wl);
  const int i0 = FirstAtOrAbove(grid, n, p - w);
  const int i1 = std::max(i0, EndBelow(grid, n, p + w));
  slot.w0 = i0;
  slot.w1 = i1;
  const double gInv = gauss ? 1.0 / wg : 0.0, lInv = lorentz ? 1.0 / wl : 0.0;
  const double cg = intensity * fraction, cl = intensity * (1.0 - fraction);
  double* Y = slot.curve->Y.data();
  double* total = totalCurve.Y.data();
  for (int i = i0; i < i1; ++i) {
    const double d = grid[static_cast<std::size_t>(i)] - p;
    double v = 0;
    if (gauss) v += cg * numeric::expNonPositive(-kGaussC * (d * gInv) * (d * gInv));
    if (lorentz) v += cl / (1.0 + 4.0 * (d * lInv) * (d * lInv));
    Y[i] = v;
    total[i] += v;
  }
}
