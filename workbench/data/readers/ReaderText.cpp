#include "ReaderText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "GraphData.h"

namespace balimor::readers {

namespace {

constexpr char kCtrlZ = 26;  // end of a text-mode file

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters that may belong to the text of one number; the conversion itself decides where
// the number really ends.
bool IsNumberChar(char c) {
  return IsDigit(c) || c == '.' || c == '+' || c == '-' || (c >= 'a' && c <= 'z') ||
         (c >= 'A' && c <= 'Z');
}

// Whether a number that a double cannot hold is too large (rather than too small): the
// decimal magnitude, the place of the first significant digit relative to the point plus the
// exponent, is above 0.
bool Overflows(const char* s, const char* e) {
  long long intDigits = 0, zerosAfterPoint = 0;
  bool point = false, significant = false;
  const char* c = s;
  for (; c < e && *c != 'e' && *c != 'E'; ++c) {
    if (*c == '.') {
      point = true;
    } else if (!significant && *c == '0') {
      if (point) ++zerosAfterPoint;
    } else {
      significant = true;
      if (!point) ++intDigits;
    }
  }
  long long exponent = 0;
  if (c < e) {
    ++c;
    bool negative = false;
    if (c < e && (*c == '+' || *c == '-')) negative = *c++ == '-';
    for (; c < e && IsDigit(*c); ++c) exponent = std::min(exponent * 10 + (*c - '0'), 1000000LL);
    if (negative) exponent = -exponent;
  }
  const long long magnitude = (intDigits > 0 ? intDigits : -zerosAfterPoint) + exponent;
  return magnitude > 0;
}

}  // namespace

// ---- FileText ----

bool FileText::Open(const std::string& path, Mode mode, std::size_t maxBytes) {
  data_.clear();
  size_ = pos_ = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = true;
  // A regular file is read in one piece of its size (one byte more tells that it grew);
  // anything else in pieces of a megabyte.
  std::size_t first = std::size_t{1} << 20;
  std::error_code ec;
  if (std::filesystem::is_regular_file(path, ec)) {
    const std::uintmax_t bytes = std::filesystem::file_size(path, ec);
    if (!ec && bytes < first) first = static_cast<std::size_t>(bytes) + 1;
  }
  try {
    for (;;) {
      const std::size_t old = data_.size();
      const std::size_t piece = old == 0 ? first : std::size_t{1} << 20;
      const std::size_t chunk = std::min<std::size_t>(piece, maxBytes - old);
      if (chunk == 0) break;
      data_.resize(old + chunk);
      const std::size_t got = std::fread(data_.data() + old, 1, chunk, f);
      data_.resize(old + got);
      if (got < chunk) break;
    }
    if (std::ferror(f)) ok = false;  // a folder, or a read error
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  std::fclose(f);
  if (!ok) {
    data_.clear();
    return false;
  }
  if (mode == Mode::kText) {
    // CR LF becomes LF; a Ctrl-Z ends the text.
    std::size_t out = 0;
    for (std::size_t i = 0; i < data_.size(); ++i) {
      const char c = data_[i];
      if (c == kCtrlZ) break;
      if (c == '\r' && i + 1 < data_.size() && data_[i + 1] == '\n') continue;
      data_[out++] = c;
    }
    data_.resize(out);
  }
  size_ = data_.size();
  data_.push_back('\0');
  return true;
}

const char* FileText::ReadLine() {
  if (pos_ >= size_) return nullptr;
  const std::size_t avail = std::min<std::size_t>(size_ - pos_, kLineBuffer - 1);
  const char* start = data_.data() + pos_;
  const void* nl = std::memchr(start, '\n', avail);
  const std::size_t len = nl ? static_cast<const char*>(nl) - start + 1 : avail;
  std::memcpy(line_, start, len);
  line_[len] = '\0';
  pos_ += len;
  return line_;
}

bool FileText::SkipLines(int count) {
  for (int i = 0; i < count; ++i)
    if (!ReadLine()) return false;
  return true;
}

bool FileText::ScanDouble(double& v) {
  const char* p = data_.data() + pos_;
  if (!ParseDouble(p, v)) return false;
  pos_ = p - data_.data();
  return true;
}

bool FileText::ScanInt(int& v) {
  const char* p = data_.data() + pos_;
  if (!ParseInt(p, v)) return false;
  pos_ = p - data_.data();
  return true;
}

bool FileText::ScanWord(std::string& word) {
  while (pos_ < size_ && IsSpace(data_[pos_])) ++pos_;
  if (pos_ >= size_) return false;
  const std::size_t start = pos_;
  while (pos_ < size_ && !IsSpace(data_[pos_])) ++pos_;
  word.assign(data_.data() + start, pos_ - start);
  return true;
}

// ---- conversions ----

bool ParseDouble(const char*& p, double& v) {
  const char* s = p;
  while (IsSpace(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  if (!IsDigit(*s) && *s != '.') return false;  // decimal digits only, no "inf" or "nan"
  const char* last = s;
  while (IsNumberChar(*last)) ++last;
  double value = 0;
  const auto r = std::from_chars(s, last, value, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the range of a double ("4e400") the text is no number, as "inf" is none: an
    // infinity would break the scaling and drawing of the curve. Too small, it is 0.
    if (Overflows(s, r.ptr)) return false;
    value = 0.0;
  }
  v = negative ? -value : value;
  p = r.ptr;
  return true;
}

bool ParseLong(const char*& p, long long& v) {
  const char* s = p;
  while (IsSpace(*s)) ++s;
  bool negative = false;
  if (*s == '+' || *s == '-') negative = *s++ == '-';
  if (!IsDigit(*s)) return false;
  // Accumulate as a negative number so that LLONG_MIN fits; saturate on overflow.
  long long value = 0;
  for (; IsDigit(*s); ++s) {
    const int d = *s - '0';
    if (value < (LLONG_MIN + d) / 10)
      value = LLONG_MIN;
    else
      value = value * 10 - d;
  }
  if (!negative) value = value == LLONG_MIN ? LLONG_MAX : -value;
  v = value;
  p = s;
  return true;
}

bool ParseInt(const char*& p, int& v) {
  long long value = 0;
  if (!ParseLong(p, value)) return false;
  v = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
  return true;
}

double LeadingNumber(const char* s) {
  double v = 0;
  return ParseDouble(s, v) ? v : 0.0;
}

int LeadingInt(const char* s) {
  int v = 0;
  return ParseInt(s, v) ? v : 0;
}

int ScanNumbers(const char* s, double* out, int max) {
  int count = 0;
  const char* p = s;
  while (count < max && ParseDouble(p, out[count])) ++count;
  if (count == 0) {
    while (IsSpace(*p)) ++p;
    if (*p == '\0') return -1;
  }
  return count;
}

const char* From(const char* s, std::size_t index) {
  return std::strlen(s) > index ? s + index : "";
}

bool StartsWith(const char* s, const char* prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

std::string WithoutLineEnd(const char* s) {
  std::string t(s);
  while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
  return t;
}

std::string WithoutTrailingBlanks(const char* s) {
  std::string t(s);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\n' || t.back() == '\r'))
    t.pop_back();
  return t;
}

void TrimBlanks(const char*& begin, const char*& end) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (begin < end && blank(*begin)) ++begin;
  while (end > begin && blank(end[-1])) --end;
}

bool AllIn(const char* s, const char* allowed) { return s[std::strspn(s, allowed)] == '\0'; }

bool SplitPair(const char* line, double& x, double& y) {
  const char* sep = std::strchr(line, ',');
  if (!sep) sep = std::strchr(line, '\t');
  if (!sep) sep = std::strchr(line, ' ');
  if (!sep) return false;
  x = LeadingNumber(std::string(line, sep).c_str());
  y = LeadingNumber(sep + 1);
  return true;
}

// ---- points ----

void Points::ReserveFor(long long claimed, std::size_t bytesLeft, std::size_t minBytes) {
  const long long bound = static_cast<long long>(bytesLeft / std::max<std::size_t>(minBytes, 1)) + 1;
  const long long n = std::clamp<long long>(claimed, 0, std::min<long long>(bound, INT_MAX));
  try {
    x.reserve(static_cast<std::size_t>(n));
    y.reserve(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    // Growing as the points come is still possible.
  }
}

void ReadPairLines(FileText& f, int n, Points& points) {
  points.ReserveFor(n, f.Remaining(), kMinPairBytes);
  double v[2];
  while (points.Count() < n) {
    const char* line = f.ReadLine();
    if (!line || ScanNumbers(line, v, 2) < 2) break;
    points.Add(v[0], v[1]);
  }
}

void ReadFreePairs(FileText& f, int n, Points& points) {
  points.ReserveFor(n, f.Remaining(), kMinPairBytes);
  double x, y;
  while (points.Count() < n && f.ScanDouble(x) && f.ScanDouble(y)) points.Add(x, y);
}

bool StorePoints(CGraphData& curve, const Points& points) {
  const int n = points.Count();
  try {
    if (curve.SetSize(n) < 0) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    curve.SetX(i, points.x[i]);
    curve.SetY(i, points.y[i]);
  }
  curve.UpdateRange();
  return true;
}

void MakeAscending(CGraphData& curve) {
  const int n = curve.datan;
  if (n < 2 || !(curve.GetX(0) > curve.GetX(1))) return;
  for (int i = 0, j = n - 1; i < j; ++i, --j) {
    const double xi = curve.GetX(i), yi = curve.GetY(i);
    curve.SetX(i, curve.GetX(j));
    curve.SetY(i, curve.GetY(j));
    curve.SetX(j, xi);
    curve.SetY(j, yi);
  }
}

}  // namespace balimor::readers
