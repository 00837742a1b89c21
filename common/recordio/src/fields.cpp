// Field-level number formatting: iN, fW.D, eW.D (with scale factor), gW.D, aN, and the
// fixed-width items of free-format output. Digits come from std::to_chars, which rounds the
// exact binary value correctly; no iostream and no allocation besides the output string.
#include <charconv>
#include <cmath>
#include <type_traits>

#include "fields.h"

namespace recordio {
namespace detail {
namespace {

// Largest number of decimals or significant digits a field may ask for.
constexpr int kMaxDigits = 100;

// |v| rounded to `sig` significant digits: d[0..sig) and exp such that |v| ~ d0.d1d2... x 10^exp.
struct Digits {
  char d[kMaxDigits + 1];
  int exp;
};

bool significant(double a, int sig, Digits& out) {
  char buf[kMaxDigits + 32];
  auto r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, sig - 1);
  if (r.ec != std::errc()) return false;
  const char* p = buf;
  int n = 0;
  while (p < r.ptr && *p != 'e') {
    if (*p != '.') out.d[n++] = *p;
    ++p;
  }
  if (p + 1 >= r.ptr) return false;
  ++p;
  if (*p == '+') ++p;
  out.exp = 0;
  std::from_chars(p, r.ptr, out.exp);
  return n == sig;
}

// Writes the characters s[0..len) (the number without its sign) right-aligned in a field of w
// columns whose last `tail` columns are blanks. When `zeroOptional` the leading "0" of "0.ddd"
// is dropped if that is what makes the number fit; a number that still does not fit fills the
// whole field with asterisks.
void emit(std::string& out, int w, bool neg, const char* s, int len, bool zeroOptional, int tail) {
  const int room = w - tail;
  int need = len + (neg ? 1 : 0);
  if (need > room) {
    if (zeroOptional && need - 1 <= room) {
      ++s;
      --len;
      --need;
    } else {
      appendStars(out, w);
      return;
    }
  }
  appendBlanks(out, room - need);
  if (neg) out += '-';
  out.append(s, static_cast<std::size_t>(len));
  appendBlanks(out, tail);
}

// Appends the exponent part of an e field: E+ee for |expo| <= 99, +eee (the sign taking the
// place of the letter) for |expo| <= 999. Returns false for anything wider.
bool putExponent(char* p, int& len, int expo, char letter) {
  const int m = expo < 0 ? -expo : expo;
  if (m > 999) return false;
  if (m <= 99) p[len++] = letter;
  p[len++] = expo < 0 ? '-' : '+';
  if (m > 99) p[len++] = static_cast<char>('0' + m / 100);
  p[len++] = static_cast<char>('0' + m / 10 % 10);
  p[len++] = static_cast<char>('0' + m % 10);
  return true;
}

// The exponent form 0.ddd...E+ee of a value whose significant digits are g.d[0..sig).
void emitExponent(std::string& out, int w, bool neg, const Digits& g, int sig, int expo, int scale) {
  char s[kMaxDigits + 16];
  int len = 0;
  if (scale <= 0) {
    s[len++] = '0';
    s[len++] = '.';
    for (int i = 0; i < -scale; ++i) s[len++] = '0';
    for (int i = 0; i < sig; ++i) s[len++] = g.d[i];
  } else {
    for (int i = 0; i < scale; ++i) s[len++] = g.d[i];
    s[len++] = '.';
    for (int i = scale; i < sig; ++i) s[len++] = g.d[i];
  }
  if (!putExponent(s, len, expo, 'E')) {
    appendStars(out, w);
    return;
  }
  emit(out, w, neg, s, len, scale <= 0, 0);
}

// A free-format real: fixed with `dec` decimals for a magnitude in [2^-11, 10^6) or zero,
// otherwise d.ddd...Xseee with `dec` decimals and a three-digit exponent; right-aligned in w.
void appendFreeReal(std::string& out, double v, int w, int dec, char letter) {
  if (!std::isfinite(v)) {
    appendStars(out, w);
    return;
  }
  const double a = std::fabs(v);
  const bool neg = v < 0;
  char s[64];
  int len = 0;
  if (a == 0 || (a >= 0x1p-11 && a < 1e6)) {
    auto r = std::to_chars(s, s + sizeof s, a, std::chars_format::fixed, dec);
    len = static_cast<int>(r.ptr - s);
  } else {
    Digits g;
    significant(a, dec + 1, g);
    s[len++] = g.d[0];
    s[len++] = '.';
    for (int i = 1; i <= dec; ++i) s[len++] = g.d[i];
    s[len++] = letter;
    s[len++] = g.exp < 0 ? '-' : '+';
    const int m = g.exp < 0 ? -g.exp : g.exp;
    s[len++] = static_cast<char>('0' + m / 100);
    s[len++] = static_cast<char>('0' + m / 10 % 10);
    s[len++] = static_cast<char>('0' + m % 10);
  }
  const int need = len + (neg ? 1 : 0);
  appendBlanks(out, w - need);
  if (neg) out += '-';
  out.append(s, static_cast<std::size_t>(len));
}

}  // namespace

void appendStars(std::string& out, int w) {
  if (w > 0) out.append(static_cast<std::size_t>(w), '*');
}

void appendBlanks(std::string& out, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

void appendI(std::string& out, long long v, int w) {
  char s[24];
  auto r = std::to_chars(s, s + sizeof s, v);
  const int len = static_cast<int>(r.ptr - s);
  if (w == 0) w = len;  // i0: as few columns as the number needs
  if (len > w) {
    appendStars(out, w);
    return;
  }
  appendBlanks(out, w - len);
  out.append(s, static_cast<std::size_t>(len));
}

void appendF(std::string& out, double v, int w, int d) {
  if (w < 0 || d < 0 || d > kMaxDigits || !std::isfinite(v)) {
    appendStars(out, w);
    return;
  }
  // The largest double has 309 integer digits.
  char s[320 + kMaxDigits];
  auto r = std::to_chars(s, s + sizeof s - 1, std::fabs(v), std::chars_format::fixed, d);
  if (r.ec != std::errc()) {
    appendStars(out, w);
    return;
  }
  int len = static_cast<int>(r.ptr - s);
  if (d == 0) s[len++] = '.';  // fW.0 still writes the decimal point: "12345."
  const bool neg = v < 0;
  if (w == 0) w = len + (neg ? 1 : 0);
  // The zero before the point may go only when digits follow the point.
  const bool zeroOptional = d > 0 && s[0] == '0';
  emit(out, w, neg, s, len, zeroOptional, 0);
}

void appendE(std::string& out, double v, int w, int d, int scale) {
  // Significant digits: d + 1 with a positive scale factor (k digits before the point and
  // d - k + 1 after it), d + k otherwise (0. followed by -k zeros and d + k digits).
  const int sig = scale > 0 ? d + 1 : d + scale;
  if (w < 0 || d < 0 || d >= kMaxDigits || sig < 1 || scale > d + 1 || !std::isfinite(v)) {
    appendStars(out, w);
    return;
  }
  Digits g;
  int expo = 0;
  if (v == 0) {
    for (int i = 0; i < sig; ++i) g.d[i] = '0';
  } else {
    if (!significant(std::fabs(v), sig, g)) {
      appendStars(out, w);
      return;
    }
    expo = g.exp + 1 - scale;
  }
  emitExponent(out, w, v < 0, g, sig, expo, scale);
}

void appendG(std::string& out, double v, int w, int d, bool zeroFixed) {
  if (w < 0 || d < 1 || d > kMaxDigits || !std::isfinite(v)) {
    appendStars(out, w);
    return;
  }
  const double a = std::fabs(v);
  const bool neg = v < 0;
  char s[kMaxDigits + 16];
  if (a == 0) {
    if (!zeroFixed) {
      appendE(out, 0.0, w, d, 0);
      return;
    }
    // Zero as F(w-4).(d-1) followed by 4 blanks: "0.00000    " for g.6.
    int len = 0;
    s[len++] = '0';
    s[len++] = '.';
    for (int i = 1; i < d; ++i) s[len++] = '0';
    emit(out, w, false, s, len, d > 1, 4);
    return;
  }
  // The choice between fixed and exponent form is made on the value rounded to d significant
  // digits, so 0.09999996 (g.6) is written 0.100000 and 999999.6 as 0.100000E+07.
  Digits g;
  if (!significant(a, d, g)) {
    appendStars(out, w);
    return;
  }
  const int k = g.exp + 1;  // digits before the point of the rounded value
  if (k < 0 || k > d) {
    emitExponent(out, w, neg, g, d, k, 0);
    return;
  }
  // F(w-4).(d-k) followed by 4 blanks.
  int len = 0;
  if (k == 0) s[len++] = '0';
  for (int i = 0; i < k; ++i) s[len++] = g.d[i];
  s[len++] = '.';
  for (int i = k; i < d; ++i) s[len++] = g.d[i];
  emit(out, w, neg, s, len, k == 0 && d > 0, 4);
}

void appendA(std::string& out, std::string_view text, int w) {
  if (w < 0) {
    out.append(text);
  } else if (text.size() >= static_cast<std::size_t>(w)) {
    out.append(text.substr(0, static_cast<std::size_t>(w)));
  } else {
    appendBlanks(out, w - static_cast<int>(text.size()));
    out.append(text);
  }
}

void appendFreeItem(std::string& out, const Item& item, const Notation& notation) {
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, long long>) {
          char s[24];
          auto r = std::to_chars(s, s + sizeof s, v);
          appendBlanks(out, 12 - static_cast<int>(r.ptr - s));
          out.append(s, r.ptr);
        } else if constexpr (std::is_same_v<T, float>) {
          appendFreeReal(out, static_cast<double>(v), 16, 7, notation.singleExponentLetter);
        } else if constexpr (std::is_same_v<T, double>) {
          appendFreeReal(out, v, 24, 15, notation.doubleExponentLetter);
        } else {
          out.append(v);
        }
      },
      item);
}

}  // namespace detail

Notation diffractionNotation() { return Notation{true, 'D', 'E'}; }

Notation simplexNotation() { return Notation{false, 'E', 'E'}; }

std::string formatI(long long v, int w) {
  std::string s;
  detail::appendI(s, v, w);
  return s;
}

std::string formatF(double v, int w, int d) {
  std::string s;
  detail::appendF(s, v, w, d);
  return s;
}

std::string formatG(double v, int w, int d, const Notation& n) {
  std::string s;
  detail::appendG(s, v, w, d, n.gZeroFixed);
  return s;
}

std::string formatE(double v, int w, int d, int scale) {
  std::string s;
  detail::appendE(s, v, w, d, scale);
  return s;
}

std::string formatA(std::string_view text, int w) {
  std::string s;
  detail::appendA(s, text, w);
  return s;
}

void writeFreeTo(std::string& out, std::span<const Item> items, const Notation& notation) {
  for (const Item& item : items) detail::appendFreeItem(out, item, notation);
  out += '\n';
}

std::string writeFree(std::span<const Item> items, const Notation& notation) {
  std::string s;
  writeFreeTo(s, items, notation);
  return s;
}

std::string writeFree(std::initializer_list<Item> items, const Notation& notation) {
  return writeFree(std::span<const Item>(items.begin(), items.size()), notation);
}

}  // namespace recordio
