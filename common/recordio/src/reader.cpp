// Free-format (list-directed) input: numbers separated by blanks, tabs or commas, a record
// continuing on the next line while numbers are missing, the rest of its last line dropped.
// Numbers are parsed with std::from_chars on a small normalised copy (D exponent turned into
// E, a leading '+' dropped), so a bad number costs no exception.
#include <charconv>
#include <climits>

#include "recordio/recordio.h"

namespace recordio {
namespace {

enum class Parse { kOk, kNotNumber, kNotInteger, kRange };

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Longest number text that is parsed; longer tokens are not numbers.
constexpr std::size_t kMaxToken = 256;

// Parses a real written the Fortran way: [sign] digits [. digits] [exponent], the exponent
// being E, e, D or d followed by [sign] digits, or a bare sign followed by digits (1.5+3).
template <typename T>
Parse parseReal(std::string_view t, T& value) {
  if (t.size() > kMaxToken) return Parse::kNotNumber;
  char buf[kMaxToken + 8];
  std::size_t n = 0;
  const char* p = t.data();
  const char* end = p + t.size();
  bool neg = false;
  if (p < end && (*p == '+' || *p == '-')) {
    neg = *p == '-';
    ++p;
  }
  if (neg) buf[n++] = '-';
  // Mantissa; `lead` is the decimal position of its first non-zero digit, so that the value
  // is about 10^(lead + exponent - 1).
  int digits = 0;
  int lead = 0;
  bool point = false;
  bool nonzero = false;
  int beforePoint = 0;
  int zerosAfterPoint = 0;
  while (p < end && (isDigit(*p) || (*p == '.' && !point))) {
    if (*p == '.') {
      point = true;
    } else {
      ++digits;
      if (*p != '0') nonzero = true;
      if (!point && nonzero) ++beforePoint;
      if (point && !nonzero && beforePoint == 0) ++zerosAfterPoint;
    }
    buf[n++] = *p++;
  }
  if (digits == 0) return Parse::kNotNumber;
  lead = beforePoint > 0 ? beforePoint : -zerosAfterPoint;
  long exponent = 0;
  if (p < end) {
    const char c = *p;
    const bool letter = c == 'e' || c == 'E' || c == 'd' || c == 'D';
    if (!letter && c != '+' && c != '-') return Parse::kNotNumber;
    if (letter) ++p;
    buf[n++] = 'e';
    bool expNeg = false;
    if (p < end && (*p == '+' || *p == '-')) {
      expNeg = *p == '-';
      buf[n++] = *p++;
    }
    if (p == end || !isDigit(*p)) return Parse::kNotNumber;
    while (p < end && isDigit(*p)) {
      if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
      buf[n++] = *p++;
    }
    if (p != end) return Parse::kNotNumber;
    if (expNeg) exponent = -exponent;
  }
  T x{};
  auto r = std::from_chars(buf, buf + n, x, std::chars_format::general);
  if (r.ptr != buf + n) return Parse::kNotNumber;
  if (r.ec == std::errc::result_out_of_range) {
    // Too small for the type: the value underflows to zero, as a Fortran runtime reads it.
    if (nonzero && lead + exponent <= 0) {
      value = neg ? -T(0) : T(0);
      return Parse::kOk;
    }
    return Parse::kRange;
  }
  if (r.ec != std::errc()) return Parse::kNotNumber;
  value = x;
  return Parse::kOk;
}

Parse parseInt(std::string_view t, int& value) {
  const char* p = t.data();
  const char* end = p + t.size();
  bool neg = false;
  if (p < end && (*p == '+' || *p == '-')) {
    neg = *p == '-';
    ++p;
  }
  bool allDigits = p < end;
  for (const char* q = p; q < end; ++q)
    if (!isDigit(*q)) allDigits = false;
  if (!allDigits) {
    double d = 0;
    return parseReal(t, d) == Parse::kOk ? Parse::kNotInteger : Parse::kNotNumber;
  }
  long long v = 0;
  for (; p < end; ++p) {
    v = v * 10 + (*p - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return Parse::kRange;
  }
  if (neg) v = -v;
  if (v > INT_MAX || v < INT_MIN) return Parse::kRange;
  value = static_cast<int>(v);
  return Parse::kOk;
}

// The token as it appears in a message: at most 40 characters, control characters as '?'.
std::string quoted(std::string_view t) {
  constexpr std::size_t kShown = 40;
  std::string s = "'";
  for (std::size_t i = 0; i < t.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    s += c < 0x20 || c == 0x7f ? '?' : t[i];
  }
  if (t.size() > kShown) s += "...";
  s += '\'';
  return s;
}

}  // namespace

FreeReader::FreeReader(std::istream& in, std::string fileName) : in_(in), name_(std::move(fileName)) {}

bool FreeReader::nextLine(std::string& line) {
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool FreeReader::fail(const std::string& what) {
  error_ = name_ + ": record " + std::to_string(record_) + ": " + what;
  return false;
}

bool FreeReader::reject(const std::string& what) {
  if (!error_.empty()) return false;
  return fail(what);
}

bool FreeReader::text(std::string& out, std::size_t n) {
  if (!error_.empty()) return false;
  ++record_;
  if (!nextLine(line_)) return fail(in_.bad() ? "the file cannot be read" : "the file ends early");
  out.assign(line_, 0, n < line_.size() ? n : line_.size());
  out.resize(n, ' ');
  return true;
}

bool FreeReader::record(std::initializer_list<Target> targets) {
  return record(std::span<const Target>(targets.begin(), targets.size()));
}

bool FreeReader::record(std::span<const Target> targets) {
  if (!error_.empty()) return false;
  ++record_;
  std::size_t i = 0;
  do {
    if (!nextLine(line_)) return fail(in_.bad() ? "the file cannot be read" : "the file ends early");
    const char* p = line_.data();
    const char* end = p + line_.size();
    while (i < targets.size()) {
      while (p < end && isSeparator(*p)) ++p;
      if (p == end) break;
      const char* start = p;
      while (p < end && !isSeparator(*p)) ++p;
      const std::string_view token(start, static_cast<std::size_t>(p - start));
      const Parse result = std::visit(
          [&](auto* target) -> Parse {
            using T = std::remove_pointer_t<decltype(target)>;
            if constexpr (std::is_same_v<T, int>)
              return parseInt(token, *target);
            else
              return parseReal(token, *target);
          },
          targets[i]);
      switch (result) {
        case Parse::kOk:
          break;
        case Parse::kNotNumber:
          return fail(quoted(token) + " is not a number");
        case Parse::kNotInteger:
          return fail(quoted(token) + " is not an integer");
        case Parse::kRange:
          return fail(quoted(token) + " is out of range");
      }
      ++i;
    }
  } while (i < targets.size());
  return true;
}

}  // namespace recordio
