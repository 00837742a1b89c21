// Generic column text.
#include "ColumnReader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <utility>

#include "GraphData.h"
#include "ReaderText.h"

using namespace balimor::readers;

namespace {

constexpr char kCtrlZ = 26;  // the end of a text file
// The lines (not blank, not comments) from which the format and the columns are found.
constexpr int kSampleLines = 1000;
// A field longer than this is no number of a data file.
constexpr std::size_t kMaxNumberText = 64;

struct Line {
  const char* b;
  const char* e;
};

// The lines of a text: LF ends a line, a CR before it is dropped, a Ctrl-Z ends the text, a
// UTF-8 byte-order mark before the first line is passed over.
class Lines {
 public:
  explicit Lines(std::string_view t) : p_(t.data()), end_(t.data() + t.size()) {
    if (t.size() >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
    if (const void* z = std::memchr(p_, kCtrlZ, end_ - p_)) end_ = static_cast<const char*>(z);
  }
  bool Next(Line& l) {
    if (p_ >= end_) return false;
    const char* nl = static_cast<const char*>(std::memchr(p_, '\n', end_ - p_));
    l.b = p_;
    l.e = nl ? nl : end_;
    if (l.e > l.b && l.e[-1] == '\r') --l.e;
    p_ = nl ? nl + 1 : end_;
    return true;
  }

 private:
  const char* p_;
  const char* end_;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

void Trim(const char*& b, const char*& e) {
  while (b < e && IsBlank(*b)) ++b;
  while (e > b && IsBlank(e[-1])) --e;
}

bool BlankLine(Line l) {
  Trim(l.b, l.e);
  return l.b == l.e;
}

// The marker of a comment line at b, or 0: "#", "%", "!", "//", and ";" where ";" does not
// separate fields. Returns its length.
std::size_t CommentMarker(const char* b, const char* e, ColumnDelimiter d) {
  if (b >= e) return 0;
  if (*b == '#' || *b == '%' || *b == '!') return 1;
  if (*b == ';' && d != ColumnDelimiter::kSemicolon) return 1;
  if (*b == '/' && e - b >= 2 && b[1] == '/') return 2;
  return 0;
}

bool CommentLine(Line l, ColumnDelimiter d) {
  Trim(l.b, l.e);
  return CommentMarker(l.b, l.e, d) > 0;
}

char DelimiterChar(ColumnDelimiter d) {
  switch (d) {
    case ColumnDelimiter::kTab: return '\t';
    case ColumnDelimiter::kComma: return ',';
    case ColumnDelimiter::kSemicolon: return ';';
    case ColumnDelimiter::kBlanks: break;
  }
  return ' ';
}

// Calls f(index, begin, end) for each field of [b, e) from the first on, until f returns false.
template <class F>
void ForEachField(const char* b, const char* e, ColumnDelimiter d, F&& f) {
  int i = 0;
  if (d == ColumnDelimiter::kBlanks) {
    for (;;) {
      while (b < e && (*b == ' ' || *b == '\t')) ++b;
      if (b >= e) return;
      const char* s = b;
      while (b < e && *b != ' ' && *b != '\t') ++b;
      if (!f(i++, s, b)) return;
    }
  }
  const char c = DelimiterChar(d);
  for (;;) {
    const char* q = static_cast<const char*>(std::memchr(b, c, e - b));
    if (!q) q = e;
    if (!f(i++, b, q) || q >= e) return;
    b = q + 1;
  }
}

// A field without its blanks and the double quotes around it.
void Unquote(const char*& b, const char*& e) {
  Trim(b, e);
  if (e - b >= 2 && *b == '"' && e[-1] == '"') {
    ++b;
    --e;
    Trim(b, e);
  }
}

// The number of a field: the whole field must be one finite decimal number (a sign, digits, a
// point or with decimalComma a comma, an exponent).
bool ParseField(const char* b, const char* e, bool decimalComma, double& v) {
  Unquote(b, e);
  if (b < e && *b == '+') {
    ++b;
    if (b < e && (*b == '+' || *b == '-')) return false;
  }
  if (b >= e) return false;
  char buf[kMaxNumberText];
  if (decimalComma && std::memchr(b, ',', e - b)) {
    const std::size_t n = static_cast<std::size_t>(e - b);
    if (n >= sizeof buf) return false;
    for (std::size_t k = 0; k < n; ++k) buf[k] = b[k] == ',' ? '.' : b[k];
    b = buf;
    e = buf + n;
  }
  const std::from_chars_result r = std::from_chars(b, e, v);
  return r.ec == std::errc() && r.ptr == e && std::isfinite(v);
}

// Numeric and text fields of a line in a format (empty fields count as neither).
struct FieldCount {
  int numbers = 0, texts = 0;
};
FieldCount CountFields(Line l, const CColumnFormat& f) {
  FieldCount c;
  ForEachField(l.b, l.e, f.delimiter, [&](int, const char* b, const char* e) {
    double v;
    if (ParseField(b, e, f.decimalComma, v)) {
      ++c.numbers;
    } else {
      Unquote(b, e);
      if (b < e) ++c.texts;
    }
    return true;
  });
  return c;
}

// The format of a text: of the formats below, the one whose lines of two or more numbers
// hold the most numbers beyond their text fields; on a tie the earlier.
CColumnFormat DetectFormat(std::string_view text) {
  using D = ColumnDelimiter;
  static const CColumnFormat kFormats[] = {{D::kTab, false},       {D::kTab, true},    {D::kComma, false},
                                           {D::kSemicolon, false}, {D::kSemicolon, true}, {D::kBlanks, false},
                                           {D::kBlanks, true}};
  long score[std::size(kFormats)] = {};
  Lines lines(text);
  Line l;
  for (int seen = 0; seen < kSampleLines && lines.Next(l);) {
    if (BlankLine(l) || CommentLine(l, D::kSemicolon)) continue;
    ++seen;
    for (std::size_t k = 0; k < std::size(kFormats); ++k) {
      const FieldCount c = CountFields(l, kFormats[k]);
      if (c.numbers >= 2) score[k] += c.numbers - c.texts;
    }
  }
  std::size_t best = std::size(kFormats) - 2;  // blanks when nothing scores
  long bestScore = 0;
  for (std::size_t k = 0; k < std::size(kFormats); ++k)
    if (score[k] > bestScore) {
      best = k;
      bestScore = score[k];
    }
  return kFormats[best];
}

// The default columns and the field count of a data line: of the sample lines with two or
// more numbers, the commonest pair of first two numeric columns (0-based) and the commonest
// field count.
void DetectColumnPair(std::string_view text, const CColumnFormat& f, int& x, int& y, int& columns) {
  std::map<std::pair<int, int>, int> pairs;
  std::map<int, int> counts;
  Lines lines(text);
  Line l;
  for (int seen = 0; seen < kSampleLines && lines.Next(l);) {
    if (BlankLine(l) || CommentLine(l, f.delimiter)) continue;
    ++seen;
    int first = -1, second = -1, fields = 0;
    ForEachField(l.b, l.e, f.delimiter, [&](int i, const char* b, const char* e) {
      double v;
      if (second < 0 && ParseField(b, e, f.decimalComma, v)) (first < 0 ? first : second) = i;
      fields = i + 1;
      return true;
    });
    if (second < 0) continue;
    ++pairs[{first, second}];
    ++counts[fields];
  }
  x = y = -1;
  columns = 0;
  int most = 0;
  for (const auto& [pair, n] : pairs)
    if (n > most) {
      most = n;
      x = pair.first;
      y = pair.second;
    }
  most = 0;
  for (const auto& [fields, n] : counts)
    if (n > most) {
      most = n;
      columns = fields;
    }
}

// The names of a header line, one per column: its fields without a leading comment marker,
// blanks and quotes. Where the fields do not match the columns, the fields that are not empty
// do (a name over each column with extra delimiters between them) when their count does. A
// line of fewer than two names gives none.
std::vector<std::string> HeaderNames(Line h, ColumnDelimiter d, int columns) {
  Trim(h.b, h.e);
  while (const std::size_t m = CommentMarker(h.b, h.e, d)) {
    h.b += m;
    Trim(h.b, h.e);
  }
  // Blank-separated data under a tab-separated header: names may hold blanks.
  if (d == ColumnDelimiter::kBlanks && std::memchr(h.b, '\t', h.e - h.b)) d = ColumnDelimiter::kTab;
  std::vector<std::string> fields, filled;
  ForEachField(h.b, h.e, d, [&](int, const char* b, const char* e) {
    Unquote(b, e);
    while (b < e && *b == '#') ++b;
    fields.emplace_back(b, e);
    if (b < e) filled.emplace_back(b, e);
    return true;
  });
  if (static_cast<int>(fields.size()) != columns && static_cast<int>(filled.size()) == columns)
    return filled;
  // A single word over the data ("XYDATA", "BEGIN") marks the data; it names no columns.
  if (filled.size() < 2) fields.clear();
  return fields;
}

bool IsNumber(const std::string& s, bool decimalComma) {
  double v;
  return ParseField(s.data(), s.data() + s.size(), decimalComma, v);
}

// DetectColumns and ReadColumns: the layout, and the points when x and y are given.
CColumnLayout Scan(std::string_view text, const CColumnChoice& choice, std::vector<double>* x,
                   std::vector<double>* y) {
  CColumnLayout layout;
  layout.format = choice.format ? *choice.format : DetectFormat(text);
  if (layout.format.delimiter == ColumnDelimiter::kComma) layout.format.decimalComma = false;
  const CColumnFormat& f = layout.format;
  int xi = -1, yi = -1;
  DetectColumnPair(text, f, xi, yi, layout.columns);
  if (choice.xColumn > 0 && choice.yColumn > 0) {
    xi = choice.xColumn - 1;
    yi = choice.yColumn - 1;
  }
  if (xi < 0 || yi < 0) return layout;
  layout.xColumn = xi + 1;
  layout.yColumn = yi + 1;
  const int last = std::max(xi, yi);

  if (x && y) {
    const std::size_t lineCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    x->reserve(lineCount);
    y->reserve(lineCount);
  }
  Lines lines(text);
  Line l, header{nullptr, nullptr};
  bool inData = false;
  while (lines.Next(l)) {
    double vx = 0, vy = 0;
    bool gx = false, gy = false;
    ForEachField(l.b, l.e, f.delimiter, [&](int i, const char* b, const char* e) {
      if (i == xi) gx = ParseField(b, e, f.decimalComma, vx);
      if (i == yi) gy = ParseField(b, e, f.decimalComma, vy);
      return i < last;
    });
    if (gx && gy) {
      if (!inData && header.b) layout.names = HeaderNames(header, f.delimiter, layout.columns);
      inData = true;
      ++layout.points;
      if (x && y) {
        x->push_back(vx);
        y->push_back(vy);
      }
    } else if (!BlankLine(l)) {
      if (!inData) {
        ++layout.headerLines;
        header = l;
      } else if (!CommentLine(l, f.delimiter)) {
        ++layout.skippedRows;
      }
    }
  }
  auto nameOf = [&](int i) { return i < static_cast<int>(layout.names.size()) ? layout.names[i] : std::string(); };
  layout.xName = nameOf(xi);
  layout.yName = nameOf(yi);
  // A line of numbers in another layout (a point count, say) names nothing.
  if (IsNumber(layout.xName, f.decimalComma) || IsNumber(layout.yName, f.decimalComma)) {
    layout.names.clear();
    layout.xName.clear();
    layout.yName.clear();
  }
  return layout;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

const char* ColumnDelimiterName(ColumnDelimiter d) {
  switch (d) {
    case ColumnDelimiter::kTab: return "tab";
    case ColumnDelimiter::kComma: return "comma";
    case ColumnDelimiter::kSemicolon: return "semicolon";
    case ColumnDelimiter::kBlanks: break;
  }
  return "blank";
}

CColumnLayout DetectColumns(std::string_view text, const CColumnChoice& choice) {
  return Scan(text, choice, nullptr, nullptr);
}

CColumnLayout ReadColumns(std::string_view text, const CColumnChoice& choice, std::vector<double>& x,
                          std::vector<double>& y) {
  x.clear();
  y.clear();
  return Scan(text, choice, &x, &y);
}

int CountNumericLines(std::string_view text) {
  const CColumnFormat f = DetectFormat(text);
  int n = 0;
  Lines lines(text);
  Line l;
  while (lines.Next(l)) {
    int numbers = 0;
    ForEachField(l.b, l.e, f.delimiter, [&](int, const char* b, const char* e) {
      double v;
      if (ParseField(b, e, f.decimalComma, v)) ++numbers;
      return numbers < 2;
    });
    if (numbers >= 2) ++n;
  }
  return n;
}

int PartialLoadLines(const std::string& path, int points) {
  // The least line of two numbers is "1 2" and its line end.
  constexpr std::uintmax_t kLeastLine = 4;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return -1;
  const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
  const std::uintmax_t twice = 2 * static_cast<std::uintmax_t>(std::max(points, 0));
  if (ec || twice >= (bytes + 1) / kLeastLine) return -1;
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) return -1;
  const std::string_view text = f.Text();
  if (twice >= static_cast<std::uintmax_t>(std::count(text.begin(), text.end(), '\n')) + 1) return -1;
  const int lines = CountNumericLines(text);
  return twice < static_cast<std::uintmax_t>(lines) ? lines : -1;
}

int ReadColumnData(CGraphData& data, const std::string& path, const CColumnChoice& choice, CColumnLayout* layout) {
  data.fileName = path;
  data.label.clear();
  FileText f;
  if (!f.Open(path, FileText::Mode::kBytes)) {
    StorePoints(data, Points{});
    return -1;
  }
  Points pts;
  CColumnLayout l;
  try {
    l = ReadColumns(f.Text(), choice, pts.x, pts.y);
  } catch (const std::bad_alloc&) {
    StorePoints(data, Points{});
    return -1;
  }
  if (layout) *layout = l;
  if (!StorePoints(data, pts)) return -1;
  return l.points > 0 ? 1 : 0;
}

DataKind ColumnDataKind(const CGraphData& data, const std::string& xName) {
  for (int i = 0; i < data.datan; ++i)
    if (!(data.GetX(i) >= 0 && data.GetX(i) <= 180)) return DataKind::Spectroscopic;
  // The name without blanks, hyphens, underscores and carets: "Wave number", "wave-length" and
  // "cm^-1" read as "wavenumber", "wavelength" and "cm1".
  std::string name;
  for (char c : Lower(xName))
    if (c != ' ' && c != '-' && c != '_' && c != '^') name += c;
  for (const char* word : {"wavenumber", "wavelength", "cm1", "1/cm", "raman", "\xE2\x81\xBB\xC2\xB9"})
    if (name.find(word) != std::string::npos) return DataKind::Spectroscopic;
  // "nm" as a word of its own: the unit of a wavelength.
  const std::string lower = Lower(xName);
  for (std::size_t p = lower.find("nm"); p != std::string::npos; p = lower.find("nm", p + 1)) {
    const bool before = p == 0 || !std::isalpha(static_cast<unsigned char>(lower[p - 1]));
    const bool after = p + 2 >= lower.size() || !std::isalpha(static_cast<unsigned char>(lower[p + 2]));
    if (before && after) return DataKind::Spectroscopic;
  }
  return DataKind::Diffraction;
}

std::string ColumnXLabel(const CColumnLayout& layout) { return layout.xName.empty() ? "X axis" : layout.xName; }
std::string ColumnYLabel(const CColumnLayout& layout) { return layout.yName.empty() ? "Y axis" : layout.yName; }
