// SeriesSummary: the summary of a series of fits as a tidy CSV table, one row per scan and
// peak, and the pieces that make and read it: the peak rows of a fitter's report, the natural
// order of file names, the rows of a summary file read back (for resuming and joining runs).
//
// Columns: file,scan,status,cycles,S,sigma,peak,position,fwhm,area,intensity,area_percent,
// position_err,fwhm_err,area_err. position, intensity, fwhm, area and area_percent are the
// peak-area table's 2Q, C, fwhm, I and I(%) (simplexfit's Pos., C, FWHM, Area, Area(%)); the
// standard errors are those of the report's table of standard errors (the adaptive method),
// the area's propagated from the intensity's and the width's as if they were independent.
// A scan that gave no peaks has one row with the peak columns empty. Numbers are written in
// the shortest form that reads back to the same double.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view kSeriesHeader =
    "file,scan,status,cycles,S,sigma,peak,position,fwhm,area,intensity,area_percent,"
    "position_err,fwhm_err,area_err";

struct CSeriesPeak {
  int peak = 0;  // from 1, as the table numbers them
  double position = 0, fwhm = 0, area = 0, intensity = 0, areaPercent = 0;
  std::optional<double> positionErr, fwhmErr, areaErr;
};

// One scan of a series as the summary holds it.
struct CSeriesScan {
  std::string file;   // as given
  int scan = 0;       // the 1-based place of the file in the series
  std::string status;  // "converged", "not converged (30 cycles)", "failed: ...", "cancelled", ...
  std::optional<int> cycles;
  std::optional<double> s, sigma;
  std::vector<CSeriesPeak> peaks;
  bool Converged() const { return status == "converged"; }
};

// The peak rows of a report: the rows of its peak-area table (the lines of numbers after the
// line holding "*** Peak area: #   2Q" or "[Peak Area]") with the standard errors of the
// report's "*** Standard errors" table when it has one.
std::vector<CSeriesPeak> ReadPeakRows(std::string_view report);

// The cycle of the report's last " Start cycle " line; none when there is no such line.
std::optional<int> LastStartCycle(std::string_view report);

// The scan's rows, each ending with "\n".
std::string FormatScanRows(const CSeriesScan& scan);

// A number in its shortest round-trip form ("6.8812", "1e-07").
std::string RoundTrip(double v);

// One CSV record split into fields (RFC 4180 quoting); false when the quoting is broken.
bool SplitCsvRecord(std::string_view line, std::vector<std::string>& fields);
// A field quoted when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view text);

// A summary file read back. header is its first line; rows every complete later line split
// into fields (a last line without its line end is left out: a write cut short); no rows are
// read under a header that is not kSeriesHeader. false when the file cannot be read or a row
// is not a record of our columns.
struct CSeriesSummaryFile {
  std::string header;
  std::vector<std::vector<std::string>> rows;
  std::size_t completeBytes = 0;  // the length up to the end of the last complete line
};
bool ReadSummaryFile(const std::string& path, CSeriesSummaryFile& file, std::string& error);

// Field positions of the columns that readers need.
enum SeriesColumn { kColFile = 0, kColScan = 1, kColStatus = 2, kColPeak = 6, kColPosition = 7, kColFwhm = 8,
                    kColArea = 9, kSeriesColumns = 15 };

// File names compared as a person reads them: runs of digits as numbers, so that scan_9
// comes before scan_10; ties broken by the plain text.
bool NaturalLess(const std::string& a, const std::string& b);

// The rows of several summaries joined into one: the header once, the rows in the natural
// order of their file names (the order of a single run over all the files), scan numbered
// anew from 1 in that order. false with a message when a part is not a summary of ours or a
// file appears in two parts.
bool MergeSummaries(const std::vector<std::string>& parts, std::string& merged, std::string& error);
