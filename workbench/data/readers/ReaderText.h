// Shared reading machinery of the instrument file readers.
//
// A file is held in memory and read the way every reader reads it: lines of at most 255 bytes
// into a 256-byte buffer (a longer line comes back in several pieces, a NUL byte ends the text
// of a line as it ends a C string), and C-style free-format numbers taken from the current
// position. "Text" files have their CR LF line ends read as LF and end at a Ctrl-Z byte, as a
// text-mode stream reads them; "bytes" files are read exactly as stored.
//
// Numbers are scanned without regard to the process locale: a decimal point is always ".".
// Only decimal numbers within the range of a double convert (sign, digits, point, exponent):
// words such as "inf", "nan" or "Info" in a header, and "4e400", are text, not numbers.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CGraphData;

namespace balimor::readers {

constexpr int kLineBuffer = 256;  // bytes of the line buffer, terminating NUL included

class FileText {
 public:
  enum class Mode { kText, kBytes };

  // Reads the whole file, or only its first `maxBytes` bytes where a reader needs no more to
  // recognise its kind; false when it cannot be opened or read.
  bool Open(const std::string& path, Mode mode, std::size_t maxBytes = kWholeFile);
  static constexpr std::size_t kWholeFile = static_cast<std::size_t>(-1);

  // The next line into the 256-byte buffer (line end kept, NUL-terminated); null at end of file.
  // The text stays valid until the next call.
  const char* ReadLine();
  // Skips `count` lines (each piece of a long line counts as one); false when the file ends
  // first.
  bool SkipLines(int count);

  // Free-format scanning from the current position, skipping blanks, tabs and line ends
  // ("%lg", "%d", "%s"). False, with the position left at the offending byte, when nothing
  // converts.
  bool ScanDouble(double& v);
  bool ScanInt(int& v);
  bool ScanWord(std::string& word);

  void Rewind() { pos_ = 0; }
  bool AtEnd() const { return pos_ >= size_; }
  std::size_t Position() const { return pos_; }
  void Seek(std::size_t pos) { pos_ = pos < size_ ? pos : size_; }
  std::size_t Size() const { return size_; }
  std::size_t Remaining() const { return size_ - pos_; }
  // The whole text as read (for a reader that walks it itself).
  std::string_view Text() const { return {data_.data(), size_}; }
  // Next raw byte, -1 at end of file.
  int GetByte() { return pos_ < size_ ? static_cast<unsigned char>(data_[pos_++]) : -1; }

 private:
  std::vector<char> data_;  // file contents followed by one NUL
  std::size_t size_ = 0;    // bytes of contents
  std::size_t pos_ = 0;
  char line_[kLineBuffer] = {};
};

// ---- C-style conversions on NUL-terminated text ----

// Scans one decimal floating-point number (optional sign, digits, point, exponent) after
// blanks, tabs and line ends; advances p past it. False, p unchanged, when nothing converts.
// A decimal number too large for a double ("4e400") does not convert, like a word; one too
// small for it gives 0.
bool ParseDouble(const char*& p, double& v);
// Scans one decimal integer ("%d"); a value beyond the int range is clamped to it.
bool ParseInt(const char*& p, int& v);
// Scans one long integer ("%ld"), clamped to the range of long long.
bool ParseLong(const char*& p, long long& v);

// The leading number of a text (as atof / atoi): 0 when none converts.
double LeadingNumber(const char* s);
int LeadingInt(const char* s);

// sscanf(s, "%lg %lg ...") with `max` conversions: the number of values converted, or -1
// when the text holds nothing but blanks and line ends (no number, either way).
int ScanNumbers(const char* s, double* out, int max);

// The text of `s` from index `index` on; "" when the text is shorter (a field beyond the end
// of a short line reads as nothing).
const char* From(const char* s, std::size_t index);
// True when `s` begins with `prefix`.
bool StartsWith(const char* s, const char* prefix);
// Copies of a text without its line end (trailing CR and LF), or without every trailing
// blank, tab, CR and LF.
std::string WithoutLineEnd(const char* s);
std::string WithoutTrailingBlanks(const char* s);

// Narrows [begin, end) to leave out blanks, tabs, CR and LF at both ends.
void TrimBlanks(const char*& begin, const char*& end);

// The characters of a line of numbers in any notation (Fortran "D" exponents included).
inline constexpr char kNumberChars[] = "0123456789 \t\r\nEe+-.Dd";
// True when every character of `s` is one of `allowed`.
bool AllIn(const char* s, const char* allowed);

// Splits a data line at its first ",", or when there is none at its first tab, or when there
// is none at its first blank: X = the number before, Y = the number after. False when the line
// holds none of the three.
bool SplitPair(const char* line, double& x, double& y);

// ---- Points ----

// The points of one read, collected before they are stored so that the curve is allocated
// for the points the file really holds, never for a count it merely claims.
struct Points {
  std::vector<double> x, y;

  // Reserves room for a claimed count, bounded by what `bytesLeft` bytes can hold when each
  // point takes at least `minBytes` bytes of the file.
  void ReserveFor(long long claimed, std::size_t bytesLeft, std::size_t minBytes);
  void Add(double px, double py) {
    x.push_back(px);
    y.push_back(py);
  }
  int Count() const { return static_cast<int>(x.size()); }
};

// The least text of one point in a file: "1 2\n" for an X Y pair, "1\n" or "1 " for one value.
// Allocations for a claimed count are bounded with these.
constexpr std::size_t kMinPairBytes = 4;
constexpr std::size_t kMinValueBytes = 2;

// Up to n lines of "%lg %lg" (X, Y) from the current position of the file; the data end early
// at the end of the file or at a line that does not give both numbers.
void ReadPairLines(FileText& f, int n, Points& points);
// Up to n pairs of free-format numbers (X, Y) in any line layout; the data end early where
// two numbers no longer convert.
void ReadFreePairs(FileText& f, int n, Points& points);

// Sizes the curve for the points (SetSize), stores them, runs UpdateRange. False (curve
// left empty) when the allocation fails.
bool StorePoints(CGraphData& curve, const Points& points);
// Reverses both arrays in place when X[0] > X[1], so that X ascends.
void MakeAscending(CGraphData& curve);

}  // namespace balimor::readers
