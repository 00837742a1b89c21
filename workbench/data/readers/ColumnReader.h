// Generic column text: the two-or-more-column exports that most instruments and programs write
// (".xy", ".xye", ".tsv", ".prn", and many ".txt", ".dat" and ".csv" files). The layout is found
// from the data itself: the delimiter (tab, comma, semicolon or blanks), a decimal comma where
// the delimiter is not a comma, and the first two numeric columns as X and Y unless others are
// asked for. Header and comment lines are skipped, a header's names become the axis labels, CR LF
// reads as LF, and rows whose X or Y is not a number are skipped and counted. The whole file is
// read once and every line of it is looked at, so nothing is lost to a count written in a header.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DataKind.h"

class CGraphData;

// How the fields of a line are separated. Blanks: runs of blanks and tabs, leading ones
// ignored; the other three: every delimiter character ends a field (empty fields count).
enum class ColumnDelimiter { kTab, kComma, kSemicolon, kBlanks };

struct CColumnFormat {
  ColumnDelimiter delimiter = ColumnDelimiter::kBlanks;
  bool decimalComma = false;  // "1,5" is 1.5; never with the comma delimiter
};

// What a column import is asked to do; what is left open is found from the data.
struct CColumnChoice {
  std::optional<CColumnFormat> format;
  int xColumn = 0;  // 1-based; 0 for both: the first two numeric columns
  int yColumn = 0;
};

// What a column import found and read.
struct CColumnLayout {
  CColumnFormat format;
  int xColumn = 0, yColumn = 0;  // 1-based: the columns read (0: the data have no two numeric columns)
  int columns = 0;               // the fields of a data line (the commonest count)
  std::vector<std::string> names;  // the header's names, one per column (empty without a header)
  std::string xName, yName;        // the names of the X and Y columns ("" where none)
  int points = 0;
  int headerLines = 0;  // lines before the first data line
  int skippedRows = 0;  // later lines (not blank, not comments) whose X or Y is no number
};

// The delimiter's name in the notes ("<name>-separated"): "tab", "comma", "semicolon", "blank".
const char* ColumnDelimiterName(ColumnDelimiter d);

// The layout of the text and the counts of a read, without keeping the points: the format
// (unless chosen), the columns and the header's names.
CColumnLayout DetectColumns(std::string_view text, const CColumnChoice& choice = {});

// Reads the X and Y columns of the text (the layout as DetectColumns finds it for the choice)
// into x and y; returns the layout with the counts.
CColumnLayout ReadColumns(std::string_view text, const CColumnChoice& choice, std::vector<double>& x,
                          std::vector<double>& y);

// The lines of the text that hold two or more numbers, in the text's own format.
int CountNumericLines(std::string_view text);

// The lines of numbers of a file that a load took only `points` of: their count when the points
// are fewer than half of them, else -1 (also when the file cannot be read). A file too small to
// hold twice as many lines of two numbers as points is not read at all.
int PartialLoadLines(const std::string& path, int points);

// The column reader on a file. 1 success; 0 when the file holds no two numeric columns (no
// points); -1 when it cannot be opened or read. The layout, when asked for, says what was read.
int ReadColumnData(CGraphData& data, const std::string& path, const CColumnChoice& choice = {},
                   CColumnLayout* layout = nullptr);

// The data kind of column data: diffraction when every X lies within 0 ... 180 (an angle 2θ)
// and the X column's name does not speak of a wavenumber or a wavelength, else spectroscopic.
DataKind ColumnDataKind(const CGraphData& data, const std::string& xName);

// The axis labels of column data: the header's names, else "X axis" and "Y axis".
std::string ColumnXLabel(const CColumnLayout& layout);
std::string ColumnYLabel(const CColumnLayout& layout);
