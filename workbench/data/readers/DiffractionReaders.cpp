// Readers of the text diffraction scans: Rigaku XRF csv, RAS, MRD, ScanData csv, the ".txt"
// forms (GENERAL, count-first, count-on-third-line, sample header), XDT and the sectioned scan
// with its section choice.
#include "DiffractionReaders.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DatumSelectDialog.h"
#include "GraphData.h"
#include "Platform.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

// Enough of a file to hold its first line as the 256-byte line buffer reads it.
constexpr std::size_t kFirstLineBytes = kLineBuffer;

// A csv field stripped of blanks, tabs, CR and LF at both ends, then of one enclosing pair of
// quotes ("..." or '...'), converted as a number (its leading numeric part; 0 when none).
double CsvField(const char* begin, const char* end) {
  TrimBlanks(begin, end);
  if (end - begin >= 2 && (*begin == '"' || *begin == '\'') && end[-1] == *begin) {
    ++begin;
    --end;
  }
  return LeadingNumber(std::string(begin, end).c_str());
}

// The number after the first "=" of a line; 0 when there is no "=".
double AfterEquals(const char* line) {
  const char* eq = std::strchr(line, '=');
  return eq ? LeadingNumber(eq + 1) : 0.0;
}

// Number after the "=" of a section header line ("*START\t=  4") as strtod reads it; 0 when
// there is none.
double NumberAfterEquals(const char* line) {
  const char* eq = std::strchr(line, '=');
  return eq ? std::strtod(eq + 1, nullptr) : 0.0;
}

}  // namespace

int ReadRigakuXrfCsv(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* first = f.ReadLine();
  if (!first || !std::strchr(first, ',') || !std::strchr(first, '"')) return -1;

  // Every line with three commas is a point: X = the third field, Y = the text after the
  // third comma. Such a line always counts in the line count that sizes the data.
  Points pts;
  pts.ReserveFor(LLONG_MAX, f.Remaining(), 8);
  while (const char* line = f.ReadLine()) {
    const char* c1 = std::strchr(line, ',');
    const char* c2 = c1 ? std::strchr(c1 + 1, ',') : nullptr;
    const char* c3 = c2 ? std::strchr(c2 + 1, ',') : nullptr;
    if (!c3) continue;
    pts.Add(CsvField(c2 + 1, c3), CsvField(c3 + 1, c3 + 1 + std::strlen(c3 + 1)));
  }
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadRas(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = nullptr;
  while ((line = f.ReadLine()) && !StartsWith(line, "*RAS_INT_START"))
    if (StartsWith(line, "*FILE_COMMENT")) data.label = WithoutLineEnd(From(line, 14));
  if (!line) return -1;
  const std::size_t dataStart = f.Position();

  int n = 0;
  while ((line = f.ReadLine()) && !StartsWith(line, "*RAS_INT_END") && n < INT_MAX) ++n;

  // Angle, count and attenuator factor per point: Y = count * factor.
  f.Seek(dataStart);
  Points pts;
  pts.ReserveFor(n, f.Remaining(), 6);
  double angle, count, factor;
  while (pts.Count() < n && f.ScanDouble(angle) && f.ScanDouble(count) && f.ScanDouble(factor))
    pts.Add(angle, count * factor);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadMrd(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = f.ReadLine();
  data.label = WithoutTrailingBlanks(line ? From(line, 7) : "");
  f.ReadLine();
  line = f.ReadLine();
  const int n = line ? LeadingInt(line) : 0;

  Points pts;
  ReadFreePairs(f, n, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadScanDataCsv(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  double first = 0, step = 0;
  int n = 0;
  const char* line = nullptr;
  while ((line = f.ReadLine()) && !StartsWith(line, "ScanData")) {
    if (StartsWith(line, "Sample,"))
      data.label = WithoutTrailingBlanks(From(line, 7));
    else if (StartsWith(line, "FirstAngle,"))
      first = LeadingNumber(From(line, 11));
    else if (StartsWith(line, "StepWidth,"))
      step = LeadingNumber(From(line, 10));
    else if (StartsWith(line, "NrOfData,"))
      n = LeadingInt(From(line, 9));
  }
  if (!line) return -1;

  // One value per line: Y = its leading number, X = first angle + i * step.
  Points pts;
  pts.ReserveFor(n, f.Remaining(), kMinValueBytes);
  while (pts.Count() < n && (line = f.ReadLine()))
    pts.Add(first + pts.Count() * step, LeadingNumber(line));
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadGeneralText(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes, kFirstLineBytes)) return -1;
  const char* line = f.ReadLine();
  if (!line || !StartsWith(line, "GENERAL")) return 0;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  f.ReadLine();
  data.label = path;
  line = f.ReadLine();
  const int n = line ? LeadingInt(line) : 0;
  Points pts;
  ReadPairLines(f, n, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadCountFirstText(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes, kFirstLineBytes)) return -1;
  const char* line = f.ReadLine();
  if (!line) line = "";
  // The first line, stripped of blanks, tabs, CR and LF at both ends, must be digits only.
  const char* b = line;
  const char* e = line + std::strlen(line);
  TrimBlanks(b, e);
  for (const char* c = b; c < e; ++c)
    if (*c < '0' || *c > '9') return 0;
  const int n = LeadingInt(b);
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  f.ReadLine();
  data.label = path;
  Points pts;
  ReadPairLines(f, n, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadCountOnThirdLineText(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  f.SkipLines(2);
  const char* line = f.ReadLine();
  const int n = line ? LeadingInt(line) : 0;
  Points pts;
  ReadPairLines(f, n, pts);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadSampleHeaderScan(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = f.ReadLine();
  if (!line || !(StartsWith(line, "Sample,") || StartsWith(line, "Sample\t") ||
                 StartsWith(line, "Sample ")))
    return ReadCountOnThirdLineText(data, path);

  // Header: Sample, Start, Stop, Step (which ends it); the first line is its Sample line.
  double start = 0, stop = 0, step = 0;
  for (; line; line = f.ReadLine()) {
    if (StartsWith(line, "Sample")) {
      data.label = WithoutLineEnd(From(line, 7));
    } else if (StartsWith(line, "Start")) {
      start = LeadingNumber(From(line, 6));
    } else if (StartsWith(line, "Stop")) {
      stop = LeadingNumber(From(line, 5));
    } else if (StartsWith(line, "Step")) {
      step = LeadingNumber(From(line, 5));
      break;
    }
  }
  if (stop == 0 || step == 0) return -1;

  // n = integer part of (stop - start) / step + 1.01, kept within what an int can count.
  const double count = (stop - start) / step + 1.01;
  const int n = !(count >= 1) ? 0 : count >= INT_MAX ? INT_MAX : static_cast<int>(count);
  Points pts;
  pts.ReserveFor(n, f.Remaining(), kMinPairBytes);
  double x, y;
  while (pts.Count() < n && (line = f.ReadLine()) && SplitPair(line, x, y)) pts.Add(x, y);
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadXdt(CGraphData& data, const std::string& path) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  const char* line = f.ReadLine();
  if (!line || !StartsWith(line, "Sample \"")) return -1;

  // The quoted part of a line: between its first and its last double quote, from the start
  // when it has none, to the line end when it has only one.
  auto quoted = [](const char* s) {
    const std::string t = WithoutLineEnd(s);
    const std::size_t open = t.find('"');
    const std::size_t begin = open == std::string::npos ? 0 : open + 1;
    const std::size_t close = t.rfind('"');
    const std::size_t end = close == std::string::npos || close < begin ? t.size() : close;
    return t.substr(begin, end - begin);
  };
  std::string title = quoted(line);
  f.ReadLine();
  line = f.ReadLine();
  title += "  " + quoted(line ? line : "");
  f.SkipLines(2);

  // From line 6 on, the data are the lines that scan as two numbers.
  Points pts;
  pts.ReserveFor(INT_MAX, f.Remaining(), kMinPairBytes);
  double v[2];
  while ((line = f.ReadLine()) && ScanNumbers(line, v, 2) == 2 && pts.Count() < INT_MAX)
    pts.Add(v[0], v[1]);
  data.label = title;
  return StorePoints(data, pts) ? 1 : -1;
}

int ReadSectionedScan(CGraphData& data, const std::string& path, int section) {
  data.fileName = path;
  FileText f;
  if (!f.Open(path, FileText::Mode::kText)) return -1;
  if (f.Size() == 0 || f.GetByte() != '*') return ReadCountOnThirdLineText(data, path);
  f.Rewind();

  const char* line = nullptr;
  while ((line = f.ReadLine()) && !StartsWith(line, "*SAMPLE")) {
  }
  if (!line) return -1;
  const char* eq = std::strchr(line, '=');
  data.label = WithoutLineEnd(eq ? eq + 1 : "");

  // Section s begins after the (s+1)-th "*BEGIN" line.
  for (int begins = 0; begins <= std::max(section, 0);) {
    if (!(line = f.ReadLine())) return -1;
    if (StartsWith(line, "*BEGIN")) ++begins;
  }
  double start = 0, step = 0;
  int n = 0;
  while ((line = f.ReadLine())) {
    if (StartsWith(line, "*START")) {
      start = AfterEquals(line);
    } else if (StartsWith(line, "*STEP")) {
      step = AfterEquals(line);
    } else if (StartsWith(line, "*COUNT") && (line[6] == ' ' || line[6] == '\t')) {
      const char* e = std::strchr(line, '=');
      n = e ? LeadingInt(e + 1) : 0;
      break;
    }
  }

  // n blank-separated words across lines: Y = the word's leading number, X = start + i*step.
  Points pts;
  pts.ReserveFor(n, f.Remaining(), kMinValueBytes);
  std::string word;
  while (pts.Count() < n && f.ScanWord(word))
    pts.Add(start + pts.Count() * step, LeadingNumber(word.c_str()));
  return StorePoints(data, pts) ? 1 : -1;
}

int ChooseSection(const std::string& path, IPlatform& platform) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) {
    platform.ShowMessage("Can't read [" + path + "]", "Error");
    return -1;
  }
  char line[kLineBuffer];
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
