// Rietan files: the INT intensity file (read and written) and the PAT pattern file, whose
// three columns are the observed, the calculated and the background intensities.
#include "RietanFiles.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

#include "GraphData.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

constexpr int kValuesPerLine = 11;

// A number truncated toward zero to an int (kept within the int range; NaN gives 0).
int TruncatedInt(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::clamp(std::trunc(v), double{INT_MIN}, double{INT_MAX}));
}

// The text the writer produces, built before anything touches the file.
std::string RietanIntText(const CGraphData& c) {
  const int n = std::max(c.datan, 0);
  // Step rounded to 0.0001: integer part of ((X[1] - X[0]) * 10000 + 0.01), times 0.0001.
  const double step = n >= 2 ? std::trunc((c.GetX(1) - c.GetX(0)) * 10000 + 0.01) * 0.0001 : 0.0;
  char buf[128];
  std::snprintf(buf, sizeof buf, "%d  %lg  %lg\n", n, c.GetX(0), step);
  std::string text = buf;
  text.reserve(text.size() + static_cast<std::size_t>(n) * 8);
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, " %6d", TruncatedInt(c.GetY(i)));
    text += buf;
    if (i % kValuesPerLine == kValuesPerLine - 1 || i == n - 1) text += '\n';
  }
  return text;
}

}  // namespace

int ReadRietanInt(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  data.label = path;
  const char* line = nullptr;
  while ((line = f.ReadLine()) && line[0] == '*') {
  }
  Points pts;
  // The GENERAL form of the intensity file: the word "GENERAL", the count, then one X Y pair a
  // line (as the GENERAL text reader takes it). Read as such rather than refused, since it is
  // the other form in which intensity files are written.
  if (line && StartsWith(line, "GENERAL")) {
    line = f.ReadLine();
    ReadPairLines(f, line ? LeadingInt(line) : 0, pts);
    return StorePoints(data, pts) ? 1 : -1;
  }

  // The header "%d %lg %lg": count, start, step. A file whose first line after the comments
  // does not give all three is not an intensity file of this form.
  int n = 0;
  double start = 0, step = 0;
  const char* p = line;
  if (!line || !ParseInt(p, n) || !ParseDouble(p, start) || !ParseDouble(p, step)) return -1;

  pts.ReserveFor(n, f.Remaining(), kMinValueBytes);
  double y;
  while (pts.Count() < n && f.ScanDouble(y)) pts.Add(start + pts.Count() * step, y);
  return StorePoints(data, pts) ? 1 : -1;
}

int WriteRietanInt(const CGraphData& data, const std::string& path, const char* mode) {
  // The whole text is built first; the shared file writer never leaves half a file in place
  // of good data and updates a file reached through a link where it lies.
  return WriteFileText(path, mode, RietanIntText(data));
}

int ReadRietanPat(CGraphData& curve, const std::string& path, int column) {
  curve.fileName = path;
  if (column < 0 || column > 2) return 0;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = f.ReadLine();
  curve.label = WithoutLineEnd(line ? line : "");
  while ((line = f.ReadLine()) && !StartsWith(line, " NPTSZ")) {
  }

  Points pts;
  if (line) {
    // " NPTSZ" form: two columns only. Count, then start and step lines, one skipped line,
    // then n pairs.
    if (column > 1) return 0;
    const int n = LeadingInt(From(line, 6));
    line = f.ReadLine();
    const double start = line ? LeadingNumber(From(line, 7)) : 0.0;
    line = f.ReadLine();
    const double step = line ? LeadingNumber(From(line, 6)) : 0.0;
    f.ReadLine();
    pts.ReserveFor(n, f.Remaining(), 2 * kMinValueBytes);
    double a, b;
    while (pts.Count() < n && f.ScanDouble(a) && f.ScanDouble(b))
      pts.Add(start + pts.Count() * step, column == 0 ? a : b);
    return StorePoints(curve, pts) ? 1 : -1;
  }

  // Second form: label line, "%d %lg %d %d" (the step is the second), "%d %lg" (count,
  // start), then n triples.
  f.Rewind();
  f.ReadLine();
  int i1 = 0, i2 = 0, i3 = 0, n = 0;
  double step = 0, start = 0;
  if (!f.ScanInt(i1) || !f.ScanDouble(step) || !f.ScanInt(i2) || !f.ScanInt(i3) ||
      !f.ScanInt(n) || !f.ScanDouble(start))
    return -1;
  pts.ReserveFor(n, f.Remaining(), 3 * kMinValueBytes);
  double v[3];
  while (pts.Count() < n && f.ScanDouble(v[0]) && f.ScanDouble(v[1]) && f.ScanDouble(v[2]))
    pts.Add(start + pts.Count() * step, v[column]);
  return StorePoints(curve, pts) ? 1 : -1;
}
