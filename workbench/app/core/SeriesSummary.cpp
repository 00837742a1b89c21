#include "SeriesSummary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "FitRun.h"

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

// The numbers of a line made of numbers only; empty when anything else stands in it.
std::vector<double> Numbers(std::string_view line) {
  std::vector<double> v;
  std::string text(line);
  const char* p = text.c_str();
  while (true) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    char* end = nullptr;
    const double x = std::strtod(p, &end);
    if (end == p || (*end && *end != ' ' && *end != '\t')) return {};
    v.push_back(x);
    p = end;
  }
  return v;
}

bool StartsWith(std::string_view s, std::string_view head) { return s.substr(0, head.size()) == head; }

void Put(std::string& out, const std::optional<double>& v) {
  out += ',';
  if (v) out += RoundTrip(*v);
}

}  // namespace

std::vector<CSeriesPeak> ReadPeakRows(std::string_view report) {
  std::vector<CSeriesPeak> peaks;
  const std::vector<std::string_view> lines = Lines(report);
  // The last peak-area table of the report counts.
  std::size_t start = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].find(kZentrabReport.start) != std::string_view::npos ||
        lines[i].find(kSimplexReport.start) != std::string_view::npos)
      start = i;
  for (std::size_t i = start + 1; i < lines.size(); ++i) {
    const std::vector<double> n = Numbers(lines[i]);
    if (n.empty()) {
      if (!peaks.empty()) break;  // the table ends at its first line that is not a row
      continue;                   // a column header
    }
    CSeriesPeak p;
    p.peak = static_cast<int>(n[0]);
    if (n.size() == 7) {  // #, 2Q, C, fwhm, I, I(rel), I(%)
      p.position = n[1];
      p.intensity = n[2];
      p.fwhm = n[3];
      p.area = n[4];
      p.areaPercent = n[6];
    } else if (n.size() == 6) {  // No., Pos., C, FWHM, Area, Area(%)
      p.position = n[1];
      p.intensity = n[2];
      p.fwhm = n[3];
      p.area = n[4];
      p.areaPercent = n[5];
    } else {
      break;
    }
    peaks.push_back(p);
  }
  // The standard errors: "#  parameter  value  standard error" rows of each peak.
  std::map<int, double> posErr, cErr, wErr;
  bool inErrors = false;
  for (std::string_view line : lines) {
    if (line.find("*** Standard errors") != std::string_view::npos) {
      inErrors = true;
      continue;
    }
    if (!inErrors) continue;
    if (line.find_first_not_of(' ') == std::string_view::npos) break;
    std::string text(line);
    char name[64] = {};
    int k = 0;
    double value = 0, err = 0;
    // "   1  position           28.4399      0.908565E-04"
    const char* p = text.c_str();
    char* end = nullptr;
    k = static_cast<int>(std::strtol(p, &end, 10));
    if (end == p) continue;
    p = end;
    while (*p == ' ') ++p;
    const char* nameStart = p;
    while (*p && !(std::isdigit(static_cast<unsigned char>(*p)) || *p == '-' || *p == '+' || *p == '.')) ++p;
    std::size_t len = static_cast<std::size_t>(p - nameStart);
    while (len > 0 && nameStart[len - 1] == ' ') --len;
    if (len >= sizeof name) continue;
    std::memcpy(name, nameStart, len);
    value = std::strtod(p, &end);
    if (end == p) continue;
    p = end;
    err = std::strtod(p, &end);
    if (end == p) continue;
    (void)value;
    const std::string_view n(name, len);
    if (n == "position") posErr[k] = err;
    else if (n == "intensity") cErr[k] = err;
    else if (n == "Gaussian fwhm" || n == "fwhm") wErr[k] = err;
  }
  for (CSeriesPeak& p : peaks) {
    if (posErr.count(p.peak)) p.positionErr = posErr[p.peak];
    if (wErr.count(p.peak)) p.fwhmErr = wErr[p.peak];
    if (cErr.count(p.peak) && p.intensity != 0) {
      const double rc = cErr[p.peak] / p.intensity;
      const double rw = wErr.count(p.peak) && p.fwhm != 0 ? wErr[p.peak] / p.fwhm : 0.0;
      p.areaErr = std::fabs(p.area) * std::sqrt(rc * rc + rw * rw);
    }
  }
  return peaks;
}

std::optional<int> LastStartCycle(std::string_view report) {
  std::optional<int> cycle;
  for (std::string_view line : Lines(report)) {
    if (!StartsWith(line, kStartCycle)) continue;
    std::string rest(line.substr(kStartCycle.size()));
    char* end = nullptr;
    const long n = std::strtol(rest.c_str(), &end, 10);
    if (end != rest.c_str()) cycle = static_cast<int>(n);
  }
  return cycle;
}

std::string RoundTrip(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string FormatScanRows(const CSeriesScan& scan) {
  std::string head = CsvField(scan.file) + "," + std::to_string(scan.scan) + "," + CsvField(scan.status) + ",";
  if (scan.cycles) head += std::to_string(*scan.cycles);
  Put(head, scan.s);
  Put(head, scan.sigma);
  if (scan.peaks.empty()) return head + ",,,,,,,,,\n";
  std::string out;
  for (const CSeriesPeak& p : scan.peaks) {
    out += head + "," + std::to_string(p.peak);
    Put(out, p.position);
    Put(out, p.fwhm);
    Put(out, p.area);
    Put(out, p.intensity);
    Put(out, p.areaPercent);
    Put(out, p.positionErr);
    Put(out, p.fwhmErr);
    Put(out, p.areaErr);
    out += '\n';
  }
  return out;
}

bool SplitCsvRecord(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  std::string field;
  bool quoted = false, wasQuoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"' && field.empty() && !wasQuoted) {
      quoted = wasQuoted = true;
    } else if (c == ',') {
      fields.push_back(field);
      field.clear();
      wasQuoted = false;
    } else if (c == '"') {
      return false;
    } else {
      field += c;
    }
  }
  if (quoted) return false;
  fields.push_back(field);
  return true;
}

bool ReadSummaryFile(const std::string& path, CSeriesSummaryFile& file, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "can't read [" + path + "]";
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  file = {};
  const std::size_t lastEnd = text.rfind('\n');
  file.completeBytes = lastEnd == std::string::npos ? 0 : lastEnd + 1;
  const std::vector<std::string_view> lines = Lines(std::string_view(text).substr(0, file.completeBytes));
  if (lines.empty()) {
    file.header = text;  // a header cut short, or an empty file
    return true;
  }
  file.header = std::string(lines[0]);
  if (file.header != kSeriesHeader) return true;  // not ours: the caller says so
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields;
    if (!SplitCsvRecord(lines[i], fields) || fields.size() != kSeriesColumns) {
      error = "[" + path + "] line " + std::to_string(i + 1) + " is not a row of a series summary";
      return false;
    }
    file.rows.push_back(std::move(fields));
  }
  return true;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool da = std::isdigit(static_cast<unsigned char>(a[i])), db = std::isdigit(static_cast<unsigned char>(b[j]));
    if (da && db) {
      std::size_t ie = i, je = j;
      while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
      while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
      // Leading zeros aside, the longer run of digits is the larger number.
      std::size_t is = i, js = j;
      while (is + 1 < ie && a[is] == '0') ++is;
      while (js + 1 < je && b[js] == '0') ++js;
      if (ie - is != je - js) return ie - is < je - js;
      const int c = a.compare(is, ie - is, b, js, je - js);
      if (c != 0) return c < 0;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
      ++i;
      ++j;
    }
  }
  if (i < a.size() || j < b.size()) return j < b.size();
  return a < b;
}

bool MergeSummaries(const std::vector<std::string>& parts, std::string& merged, std::string& error) {
  // Every file's rows, kept together in the order they stand.
  std::map<std::string, std::vector<std::vector<std::string>>> byFile;
  std::map<std::string, std::string> partOf;
  for (const std::string& part : parts) {
    CSeriesSummaryFile f;
    if (!ReadSummaryFile(part, f, error)) return false;
    if (f.header != kSeriesHeader) {
      error = "[" + part + "] is not a series summary (its header differs)";
      return false;
    }
    std::string lastFile;
    for (auto& row : f.rows) {
      const std::string& file = row[kColFile];
      auto seen = partOf.find(file);
      if (seen != partOf.end() && (seen->second != part || file != lastFile)) {
        error = "[" + file + "] appears twice (in [" + seen->second + "] and [" + part + "])";
        return false;
      }
      partOf[file] = part;
      lastFile = file;
      byFile[file].push_back(std::move(row));
    }
  }
  std::vector<std::string> files;
  for (const auto& [file, rows] : byFile) files.push_back(file);
  std::stable_sort(files.begin(), files.end(), NaturalLess);
  merged = std::string(kSeriesHeader) + "\n";
  int scan = 0;
  for (const std::string& file : files) {
    ++scan;
    for (std::vector<std::string>& row : byFile[file]) {
      row[kColScan] = std::to_string(scan);
      for (std::size_t k = 0; k < row.size(); ++k) {
        if (k) merged += ',';
        merged += CsvField(row[k]);
      }
      merged += '\n';
    }
  }
  return true;
}
