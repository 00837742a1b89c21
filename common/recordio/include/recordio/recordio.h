// Record notation of the fitters: an edit-descriptor writer, free-format output and a
// free-format reader. Both fitters use this one module; where they differ, the difference
// is an explicit field of `Notation`.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace recordio {

// How the two fitters differ in writing numbers.
struct Notation {
  // gW.D writes zero in fixed notation ("0.00000    ") when true; in exponent form otherwise.
  bool gZeroFixed = true;
  // Letter of the exponent in free-format output of double-precision reals ('D' or 'E').
  char doubleExponentLetter = 'E';
  // Letter of the exponent in free-format output of single-precision reals.
  char singleExponentLetter = 'E';
};

// Notation of the diffraction fitter (xZentrab, Zentrab): g writes zero in fixed notation;
// free-format doubles carry D, singles E.
Notation diffractionNotation();
// Notation of simplexfit: g writes zero in exponent form; free-format doubles use E, never D,
// since the workbench reads "new.pfc" with C-style scanning.
Notation simplexNotation();

// One value of an output list. Integers, single- and double-precision reals and texts are
// distinct because free-format output writes each kind in its own width.
using Item = std::variant<long long, float, double, std::string_view>;

// Field-level formatting (each returns exactly the characters of the field, no line break).
// A value too wide for its field, or a non-finite real, gives w asterisks. A width of 0 for
// i and f means as few columns as the value needs; fW.0 keeps the point ("12345.").
std::string formatI(long long v, int w);
std::string formatF(double v, int w, int d);
// gW.D: a value that rounds to d significant digits with a magnitude in [0.1, 10^d) is
// written as F(w-4).(d-k) followed by 4 blanks, k being the number of digits before the point;
// any other as Ew.d (0.ddddddE+ee). Zero follows `Notation::gZeroFixed`.
std::string formatG(double v, int w, int d, const Notation& n);
// eW.D with scale factor p (0: 0.ddddE+ee; 1: d.dddE+ee). An exponent beyond 99 takes the
// place of the letter: 0.1235+100.
std::string formatE(double v, int w, int d, int scale);
// aN: exactly w characters, a longer text cut to its first w, a shorter one right-aligned.
// w < 0 means plain a (the text unchanged).
std::string formatA(std::string_view text, int w);

// A parsed layout such as "(a, i3, 2x, 7i1, f10.4, f12.0, 5f8.4)" or "(1p,3e16.7)".
//   a, aN, iN, fW.D, gW.D, eW.D, Np (scale factor for the e fields after it), Nx, '/', N(...).
// Values are consumed by the data descriptors in order; when the list outlives the layout,
// output continues on a new line from the last top-level repeat group (or from the start).
// Output stops at the first data descriptor for which no value is left. Every record (line)
// ends with '\n'. Nx only moves the position: blanks appear when something is written after
// them, so Nx at the end of a record adds nothing. A quoted text ('...' or "...") is written
// as it stands. The scale factor affects e fields only.
// A value too wide for its field, a non-finite real, or a value of the wrong kind for its
// descriptor (text in a number field, a number in an a field, a real in an i field) fills the
// field with asterisks; integers are accepted by f, e and g.
class Layout {
 public:
  // Parses the layout; an ill-formed layout is a programming error and throws std::invalid_argument.
  explicit Layout(std::string_view format, Notation notation = diffractionNotation());
  ~Layout();
  Layout(const Layout&);
  Layout(Layout&&) noexcept;
  Layout& operator=(const Layout&);
  Layout& operator=(Layout&&) noexcept;

  std::string write(std::span<const Item> items) const;
  std::string write(std::initializer_list<Item> items) const {
    return write(std::span<const Item>(items.begin(), items.size()));
  }
  // Appends the records to `out` (no allocation once `out` has grown to size).
  void writeTo(std::string& out, std::span<const Item> items) const;
  void writeTo(std::string& out, std::initializer_list<Item> items) const {
    writeTo(out, std::span<const Item>(items.begin(), items.size()));
  }

  struct Node;  // one parsed descriptor (defined in the implementation)

 private:
  std::vector<Node> nodes_;  // descriptors in order, groups as open/close pairs, closed by an end
  Notation notation_;
  int reversion_ = 0;              // where output continues when the list outlives the layout
  bool reversionHasData_ = false;  // whether that part consumes values at all
};

// Writes one record of a layout (convenience for a single use).
std::string write(std::string_view format, std::initializer_list<Item> items,
                  const Notation& notation = diffractionNotation());

// Free-format (list-directed) output of one record: items one after another, no separator;
// integer right-aligned in 12 columns, single real in 16, double real in 24, text unchanged.
// A real whose magnitude lies in [2^-11, 10^6), or zero, is fixed with 7 (single) or 15 (double)
// decimals; any other in exponent form d.dddd with a three-digit exponent. Ends with '\n'.
std::string writeFree(std::span<const Item> items, const Notation& notation);
std::string writeFree(std::initializer_list<Item> items, const Notation& notation);
// Appends the record to `out`. A non-finite real fills its 16 or 24 columns with asterisks.
void writeFreeTo(std::string& out, std::span<const Item> items, const Notation& notation);

// Free-format (list-directed) input.
//   - numbers separated by blanks or commas (a real may carry an E or D exponent);
//   - a record that holds fewer numbers than asked for continues on the next line;
//   - the rest of a line after the last number asked for is dropped;
//   - every record starts on a new line.
// Fixed-width text records take the first N characters of a line, padded with blanks.
// Separators are blanks, tabs and commas; a run of them counts as one separator. The CR of
// CR-LF lines is dropped. On failure the reader keeps one clear line naming the file and the
// record in `error()`, and every later call fails at once.
class FreeReader {
 public:
  FreeReader(std::istream& in, std::string fileName);

  // A text record: the first n characters of the next line, padded with blanks to n.
  bool text(std::string& out, std::size_t n);

  // A numeric record: fills each target in order. Integers must be written as integers.
  using Target = std::variant<int*, float*, double*>;
  bool record(std::initializer_list<Target> targets);
  bool record(std::span<const Target> targets);

  // Fails the record just read with a message of the caller's (say, a count beyond a table),
  // in the same form as the reader's own errors; an earlier error stays. Returns false.
  bool reject(const std::string& what);

  // Number of records read so far (the failing one while `error()` is set).
  int recordNumber() const { return record_; }
  // "<file>: record <k>: <what went wrong>", empty while nothing failed.
  const std::string& error() const { return error_; }

 private:
  bool nextLine(std::string& line);
  bool fail(const std::string& what);

  std::istream& in_;
  std::string name_;
  int record_ = 0;
  std::string error_;
  std::string line_;  // the line being read, reused from record to record
};

}  // namespace recordio
