#include "GraphData.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>

#include "Platform.h"

namespace {

// Below this magnitude a value counts as zero for the logarithmic and reciprocal transforms.
constexpr double kEpsilon = 1e-30;

// Shows "Invalid <axis>AxisType (<type>)" the first time it is asked for in this run.
void ShowInvalidTypeOnce(CDataMessages* messages, bool CDataMessages::*shown, const char* axis, int type,
                         const char* caption) {
  if (!messages || messages->*shown) return;
  messages->*shown = true;
  char text[64];
  std::snprintf(text, sizeof text, "Invalid %sAxisType (%d)", axis, type);
  messages->Show(text, caption);
}

}  // namespace

void CDataMessages::Show(const std::string& text, const std::string& caption) const {
  if (platform) platform->ShowMessage(text, caption);
}

CGraphData::CGraphData() = default;

CGraphData::~CGraphData() { Reset(); }

int CGraphData::SetSize(int n) {
  // A negative count would leave datan negative; it is taken as an empty curve.
  if (n < 0) n = 0;
  datan = n;
  if (n < maxDatan) return n;
  try {
    std::vector<double> newX(static_cast<std::size_t>(n));
    std::vector<double> newY(static_cast<std::size_t>(n));
    X.swap(newX);
    Y.swap(newY);
  } catch (const std::bad_alloc&) {
    X = std::vector<double>();
    Y = std::vector<double>();
    datan = maxDatan = 0;
    return -1;
  } catch (const std::length_error&) {
    X = std::vector<double>();
    Y = std::vector<double>();
    datan = maxDatan = 0;
    return -1;
  }
  maxDatan = n;
  return n;
}

int CGraphData::SetCount(int n) {
  datan = n < maxDatan ? n : maxDatan;
  if (datan < 0) datan = 0;
  return datan;
}

int CGraphData::SetX(int i, double v) {
  if (i < 0 || i >= datan) return -1;
  X[i] = v;
  return i;
}

int CGraphData::SetY(int i, double v) {
  if (i < 0 || i >= datan) return -1;
  Y[i] = v;
  return i;
}

double CGraphData::GetX(int i) const { return (i < 0 || i >= datan) ? 0.0 : X[i]; }
double CGraphData::GetY(int i) const { return (i < 0 || i >= datan) ? 0.0 : Y[i]; }

double CGraphData::ScaledX(int i) const { return GetX(i) * XScale + XOffset; }
double CGraphData::ScaledY(int i) const { return GetY(i) * YScale + YOffset; }

double CGraphData::ProcessedX(int i) const {
  const double x = ScaledX(i);
  const bool tiny = std::fabs(x) < kEpsilon;
  switch (XAxisType) {
    case 0:
    case 7:
      return x;
    case 1:
      return tiny ? 0.0 : std::log(std::fabs(x));
    case 2:
      return tiny ? 0.0 : std::log10(std::fabs(x));
    case 3:
      return tiny ? 0.0 : 1.0 / x;
    case 4:
      return tiny ? 0.0 : 1000.0 / x;
    case 5:
      // Reciprocal temperature from degrees Celsius; the zero test is on x itself.
      return tiny ? 0.0 : 1000.0 / (x + 273.14);
    case 6:
      return -x;
    default:
      ShowInvalidTypeOnce(messages, &CDataMessages::xTypeShown, "X", XAxisType, "CGraphData::ProcessedX");
      return x;
  }
}

double CGraphData::ProcessedY(int i) const {
  const double y = ScaledY(i);
  const bool tiny = std::fabs(y) < kEpsilon;
  switch (YAxisType) {
    case 0:
      return y;
    case 1:
      return tiny ? 0.0 : std::log(std::fabs(y));
    case 2:
    case 4:
      return tiny ? 0.0 : std::log10(std::fabs(y));
    case 3:
      return tiny ? 0.0 : 1.0 / y;
    case 6:
    case 7:
      return -y;
    default:
      ShowInvalidTypeOnce(messages, &CDataMessages::yTypeShown, "Y", YAxisType, "CGraphData::ProcessedY");
      return y;
  }
}

int CGraphData::UpdateRange() {
  if (datan < 1) return -1;
  XMin = XMax = ProcessedX(0);
  YMin = YMax = ProcessedY(0);
  for (int i = 1; i < datan; ++i) {
    const double x = ProcessedX(i);
    const double y = ProcessedY(i);
    if (x < XMin) XMin = x;
    if (x > XMax) XMax = x;
    if (y < YMin) YMin = y;
    if (y > YMax) YMax = y;
  }
  return 0;
}

void CGraphData::Reset() {
  datan = 0;
  maxDatan = 0;
  X = std::vector<double>();
  Y = std::vector<double>();
  XMin = 0;
  XMax = 1;
  YMin = 0;
  YMax = 1;
  label.clear();
  fileName.clear();
  lineWidth = 0.2;
  lineStyle = 0;
  lineColor = 0;
  isValid = true;
  drawLine = true;
  breakOnReturn = false;
}

double CGraphData::ValueAt(double x) const {
  if (datan < 1) return 0.0;
  for (int i = 1; i < datan; ++i) {
    const double a = ScaledX(i - 1);
    const double b = ScaledX(i);
    if (a == b) continue;
    const double t = (x - a) / (b - a);
    if (t >= 0.0 && t <= 1.0) {
      const double ya = ScaledY(i - 1);
      return ya + t * (ScaledY(i) - ya);
    }
  }
  return x <= ScaledX(0) ? ScaledY(0) : ScaledY(datan - 1);
}

int CGraphData::WriteText(const std::string& path, const char* mode) const {
  std::string text;
  text.reserve(16 + static_cast<std::size_t>(datan > 0 ? datan : 0) * 24);
  char buf[80];
  int len = std::snprintf(buf, sizeof buf, "%d\n", datan);
  text.append(buf, static_cast<std::size_t>(len));
  for (int i = 0; i < datan; ++i) {
    len = std::snprintf(buf, sizeof buf, "%g\t%g\n", X[i], Y[i]);
    text.append(buf, static_cast<std::size_t>(len));
  }
  return WriteFileText(path, mode, text);
}

int CGraphData::PutOnClipboard(IPlatform& platform) const {
  // Scratch copy of the scaled values; when it cannot be had the raw arrays are exported.
  std::vector<double> xs, ys;
  const double* x = X.data();
  const double* y = Y.data();
  try {
    xs.resize(static_cast<std::size_t>(datan));
    ys.resize(static_cast<std::size_t>(datan));
    for (int i = 0; i < datan; ++i) {
      xs[i] = ScaledX(i);
      ys[i] = ScaledY(i);
    }
    x = xs.data();
    y = ys.data();
  } catch (const std::bad_alloc&) {
  }
  const std::string& heading = label.empty() ? fileName : label;
  const std::string text = ColumnText(heading, datan, 1, x, &y, 0.0, breakOnReturn);
  return platform.SetClipboardText(text) ? 0 : -1;
}

std::string ColumnText(const std::string& heading, int n, int m, const double* x,
                       const double* const* y, double offset, bool breakOnReturn) {
  std::string text;
  text.reserve(heading.size() + 2 + static_cast<std::size_t>(n > 0 ? n : 0) * (14 + 14 * m));
  text += heading;
  text += "\r\n";
  // Direction of the first step: ascending when x[1] > x[0]. A point going against it starts
  // a new block, marked by an empty line.
  const bool ascending = n > 1 && x[1] > x[0];
  char buf[64];
  for (int i = 0; i < n; ++i) {
    if (breakOnReturn && i > 0) {
      const bool back = ascending ? x[i] < x[i - 1] : x[i] > x[i - 1];
      if (back) text += "\r\n";
    }
    int len = std::snprintf(buf, sizeof buf, "%lg", x[i]);
    text.append(buf, static_cast<std::size_t>(len));
    for (int j = 0; j < m; ++j) {
      len = std::snprintf(buf, sizeof buf, "\t%lg", offset + y[j][i]);
      text.append(buf, static_cast<std::size_t>(len));
    }
    text += "\r\n";
  }
  return text;
}

int WriteFileText(const std::string& path, const char* mode, const std::string& text) {
  namespace fs = std::filesystem;
  if (!mode) mode = "w";
  std::string target = path;
  bool viaScratch = mode[0] == 'w';
  if (viaScratch) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);  // follows symbolic links
    const bool isLink = fs::is_symlink(fs::symlink_status(path, ec));
    if (fs::exists(st)) {
      if (!fs::is_regular_file(st)) {
        viaScratch = false;
      } else {
        if (isLink) {
          const fs::path real = fs::canonical(path, ec);
          if (ec) return -1;
          target = real.string();
        }
        // "a" opens for writing without emptying: a file it refuses must not be replaced.
        std::FILE* probe = std::fopen(target.c_str(), "a");
        if (!probe) return -1;
        std::fclose(probe);
      }
    } else if (isLink) {
      viaScratch = false;  // a dangling link: opening it creates the file it names
    }
  }
  const std::string written = viaScratch ? target + ".part" : path;
  std::FILE* f = std::fopen(written.c_str(), mode);
  if (!f) return -1;
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!viaScratch) return ok ? 0 : -1;
  std::error_code ec;
  // The new file keeps the permissions of the one it replaces.
  const fs::file_status old = fs::status(target, ec);
  if (ok && fs::exists(old)) fs::permissions(written, old.permissions(), ec);
  ec.clear();
  if (ok) fs::rename(written, target, ec);
  if (!ok || ec) {
    fs::remove(written, ec);
    return -1;
  }
  return 0;
}
