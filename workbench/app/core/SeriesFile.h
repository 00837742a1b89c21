// The summary file of a series, written so that a run stopped at any moment (Ctrl+C, kill -9,
// power loss) leaves a valid CSV of every scan written before: each scan's rows go to the end
// of the file in one write and reach the disk before the next scan is reported; a write that
// fails (a full disk) is cut off again; a file written anew goes under a scratch name that is
// renamed into place only when complete and on the disk.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SeriesRun.h"

class CSummaryFile {
 public:
  CSummaryFile() = default;
  ~CSummaryFile();
  CSummaryFile(const CSummaryFile&) = delete;
  CSummaryFile& operator=(const CSummaryFile&) = delete;

  // The file at path made anew with text (the header, or rows kept from before).
  bool Replace(const std::string& path, const std::string& text, std::string& error);
  // Opens the file at path for Append.
  bool OpenToAppend(const std::string& path, std::string& error);
  // Adds rows at the end and syncs them; on failure the file is cut back to what it held.
  bool Append(const std::string& rows, std::string& error);

 private:
  int fd_ = -1;
  std::string path_;
};

struct CSeriesWriteResult {
  bool written = true;       // every scan's rows were written
  bool allConverged = true;  // every scan reported converged (SeriesScanConverged)
  std::string error;         // why a write failed
};

// RunSeries with every scan's rows appended to the open summary in scan order: a scan that
// ends before an earlier one waits for it (at most one per fitter, so memory stays flat). A
// failed write stops the series. onScan sees each scan as it ends.
CSeriesWriteResult RunSeriesIntoSummary(const CSeriesSettings& settings, const std::vector<int>& todo, int chainFrom,
                                        CSummaryFile& summary, const std::function<void(const CSeriesScan&)>& onScan);
