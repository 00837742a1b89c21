// Readers of infrared, Raman, photoluminescence, optical density and quantum efficiency
// spectra, the binary-file test and the ".dat" Raman-or-degradation test.
#include "OpticalReaders.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "GraphData.h"
#include "LogReaders.h"
#include "Platform.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

// Where the next value of a tabular IR data line begins, searching after `from`'s first
// character: after a run of blanks that is followed by more text, or at a "-" sign (which
// belongs to the value). Null when the line holds neither. Only the blank separates: a tab
// is part of the text between separators.
const char* NextIrValue(const char* from) {
  if (*from == '\0') return nullptr;
  for (const char* p = from + 1; *p; ++p) {
    if (*p == '-') return p;
    if (*p == ' ') {
      const char* q = p;
      while (*q == ' ') ++q;
      if (*q != '\0' && *q != '\n' && *q != '\r') return q;
      p = q - 1;
    }
  }
  return nullptr;
}

// Lines that scan as numbers, up to the first that yields none: X = value `xi`, Y = value
// `yi` (0 when the line holds fewer values). Lines beginning with `comment` are skipped.
void ReadNumberLines(FileText& f, int xi, int yi, const char* comment, Points& pts) {
  double v[4];
  const int want = (xi > yi ? xi : yi) + 1;
  pts.ReserveFor(INT_MAX, f.Remaining(), 8 * want);
  while (const char* line = f.ReadLine()) {
    if (comment && StartsWith(line, comment)) continue;
    const int got = ScanNumbers(line, v, want);
    if (got < 1 || pts.Count() == INT_MAX) break;
    pts.Add(got > xi ? v[xi] : 0.0, got > yi ? v[yi] : 0.0);
  }
}

}  // namespace

bool IsBinaryFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return true;
  unsigned char buf[65536];
  bool binary = false;
  std::size_t got;
  while (!binary && (got = std::fread(buf, 1, sizeof buf, f)) > 0) {
    for (std::size_t i = 0; i < got; ++i) {
      const unsigned char c = buf[i];
      if (c < 32 && c != '\n' && c != '\r' && c != '\t' && c != 0 && c != 26) {
        binary = true;
        break;
      }
    }
  }
  if (std::ferror(f)) binary = true;
  std::fclose(f);
  return binary;
}

int ReadTabularIr(CGraphData& data, const std::string& path) {
  data.fileName = path;
  if (IsBinaryFile(path)) return -1;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  // Header: title, then first X (line 3) and last X (line 4) from the 11th character, the
  // count n (line 6) from the 11th character; line 7 is skipped.
  const char* header[7];
  std::string lines[7];
  for (int k = 0; k < 7; ++k) {
    const char* line = f.ReadLine();
    lines[k] = line ? line : "";
    header[k] = lines[k].c_str();
  }
  data.label = WithoutLineEnd(header[0]);
  const double firstX = LeadingNumber(From(header[2], 10));
  const double lastX = LeadingNumber(From(header[3], 10));
  const int n = LeadingInt(From(header[5], 10));
  const double delta = n > 1 ? (lastX - firstX) / (n - 1) : 0.0;

  // Each data line: x0 = its leading number, then its values at X = x0 + j*delta.
  Points pts;
  pts.ReserveFor(n, f.Remaining(), 2);
  const char* line = nullptr;
  while (pts.Count() < n && (line = f.ReadLine()) && !StartsWith(line, "##END=")) {
    const double x0 = LeadingNumber(line);
    const char* v = NextIrValue(line);
    for (int j = 0; v && pts.Count() < n; ++j, v = NextIrValue(v))
      pts.Add(x0 + j * delta, LeadingNumber(v));
  }
  if (!StorePoints(data, pts)) return -1;
  MakeAscending(data);
  return 1;
}

int ReadPeIr(CGraphData& data, const std::string& path) {
  data.fileName = path;
  if (IsBinaryFile(path)) return -1;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = nullptr;
  while ((line = f.ReadLine()) && !StartsWith(line, "#GR")) {
  }
  if (!line) return -1;
  // The seventh line after "#GR" holds the count.
  int n = 0;
  for (int k = 0; k < 7 && (line = f.ReadLine()); ++k)
    if (k == 6) n = LeadingInt(line);
  while ((line = f.ReadLine()) && !StartsWith(line, "#DATA")) {
  }
  if (!line) {
    data.Reset();
    return -1;
  }
  Points pts;
  ReadFreePairs(f, n, pts);
  if (!StorePoints(data, pts)) return -1;
  MakeAscending(data);
  return 1;
}

int ReadCommaPairs(CGraphData& data, const std::string& path, IPlatform& platform) {
  data.fileName = path;
  const std::string message = "Can't open [" + path + "]";
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) {
    platform.ShowMessage(message, "Read Error");
    return -1;
  }
  // n = the lines up to the first empty one.
  int n = 0;
  while (const char* line = f.ReadLine()) {
    if (line[0] == '\n' || line[0] == '\r' || line[0] == '\0') break;
    ++n;
  }
  FileText g;
  if (!g.Open(path, FileText::Mode::kText)) {
    platform.ShowMessage(message, "Read Error");
    return -2;
  }
  Points pts;
  pts.ReserveFor(n, g.Remaining(), kMinPairBytes);
  const char* line = nullptr;
  while (pts.Count() < n && (line = g.ReadLine())) {
    const char* comma = std::strchr(line, ',');
    if (comma) pts.Add(LeadingNumber(std::string(line, comma).c_str()), LeadingNumber(comma + 1));
  }
  return StorePoints(data, pts) ? 3 : -1;
}

int ReadOpticalDensity(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  Points pts;
  ReadFreePairs(f, INT_MAX, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadQuantumEfficiency(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  Points pts;
  ReadNumberLines(f, 0, 1, "#", pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadRamanPairs(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  Points pts;
  ReadNumberLines(f, 0, 1, nullptr, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadSmoothedRaman(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  f.ReadLine();
  // Four columns; X = the first, Y = the third.
  Points pts;
  ReadNumberLines(f, 0, 2, nullptr, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadF4500(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  // The first 20 lines: at most 20 line buffers, each with a CR that text mode drops.
  constexpr int kSearchLines = 20;
  if (!f.Open(path, FileText::Mode::kText, kSearchLines * (kLineBuffer + 1))) return -1;
  bool found = false;
  const char* line = nullptr;
  for (int k = 0; k < kSearchLines && !found && (line = f.ReadLine()); ++k)
    found = std::strstr(line, "F-4500") != nullptr;
  if (!found) return 0;
  if (!f.Open(path, FileText::Mode::kText)) return -1;

  // Count: the lines after the "nm" line while each is at least five characters long.
  f.Rewind();
  while ((line = f.ReadLine()) && !StartsWith(line, "nm")) {
  }
  if (!line) return -1;
  int n = 0;
  while ((line = f.ReadLine()) && std::strlen(line) >= 5) ++n;

  // Read: the header again, with the sample line (Shift-JIS "sample" and a colon) as label.
  static const char kSample[] = "\xBB\xDD\xCC\xDF\xD9\x3A";
  f.Rewind();
  while ((line = f.ReadLine()) && !StartsWith(line, "nm"))
    if (StartsWith(line, kSample)) data.label = WithoutLineEnd(From(line, 7));
  Points pts;
  pts.ReserveFor(n, f.Remaining(), kMinPairBytes);
  double x, y;
  while (pts.Count() < n && (line = f.ReadLine()) && SplitPair(line, x, y)) pts.Add(x, y);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadRamanOrDegradation(CGraphData& data, const std::string& path) {
  data.fileName = path;
  if (IsBinaryFile(path)) return -1;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText, kLineBuffer)) return -1;
  const char* first = f.ReadLine();
  const std::string line = first ? first : "";

  const bool numeric = AllIn(line.c_str(), kNumberChars);
  const std::string word = line.substr(0, line.find_first_of(" \r\n"));
  const bool dated = AllIn(word.c_str(), "0123456789/");
  if (numeric) return ReadRamanPairs(data, path) >= 1 ? 1 : -1;
  if (dated) return ReadDegradationLog(data, path) >= 1 ? 2 : -1;
  return -1;
}
