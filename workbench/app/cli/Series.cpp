#include "Series.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "ConsolePlatform.h"
#if BALIMOR_CLI_PLOT
#include <QGuiApplication>

#include "QuietQtStart.h"
#include "SeriesTrend.h"
#endif
#include "SeriesFile.h"
#include "SeriesRun.h"

namespace fs = std::filesystem;

namespace {

// The progress line: redrawn in place on a terminal, else one line per scan.
class Progress {
 public:
  Progress(int total) : total_(total), terminal_(::isatty(STDERR_FILENO) == 1), start_(Clock::now()) {}
  void Scan(const CSeriesScan& scan, bool converged) {
    ++done_;
    if (!converged) ++short_;
    const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
    const double rate = seconds > 0 ? done_ / seconds : 0.0;
    const double eta = rate > 0 ? (total_ - done_) / rate : 0.0;
    char line[256];
    std::snprintf(line, sizeof line, "scan %d/%d, %.1f scans/s, eta %.0f s, %d not converged", done_, total_, rate,
                  eta, short_);
    if (terminal_)
      std::fprintf(stderr, "\r%s\033[K", line);
    else
      std::fprintf(stderr, "%s: %s %s\n", line, scan.file.c_str(), scan.status.c_str());
    std::fflush(stderr);
  }
  void End() {
    if (terminal_ && done_ > 0) std::fputc('\n', stderr);
  }

 private:
  using Clock = std::chrono::steady_clock;
  int total_, done_ = 0, short_ = 0;
  bool terminal_;
  Clock::time_point start_;
};

int Refuse(const std::string& why) {
  std::fprintf(stderr, "balimor-cli: series: %s\n", why.c_str());
  return 1;
}

int Merge(const std::vector<std::string>& files) {
  if (files.size() < 2) return Refuse("--merge needs OUT.csv and at least one PART.csv");
  const std::vector<std::string> parts(files.begin() + 1, files.end());
  std::error_code ec;
  for (const std::string& p : parts)
    if (fs::exists(files[0], ec) && fs::equivalent(files[0], p, ec)) return Refuse("OUT.csv is one of the parts");
  std::string merged, error;
  if (!MergeSummaries(parts, merged, error)) return Refuse(error);
  CSummaryFile out;
  if (!out.Replace(files[0], merged, error)) return Refuse(error);
  return 0;
}

// The rows of a summary that stays, in the order of their scans.
std::string Rows(const std::vector<std::vector<std::string>>& rows) {
  std::vector<const std::vector<std::string>*> sorted;
  for (const auto& r : rows) sorted.push_back(&r);
  std::stable_sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) {
    return std::atol((*a)[kColScan].c_str()) < std::atol((*b)[kColScan].c_str());
  });
  std::string text;
  for (const auto* r : sorted) {
    for (std::size_t k = 0; k < r->size(); ++k) {
      if (k) text += ',';
      text += CsvField((*r)[k]);
    }
    text += '\n';
  }
  return text;
}

}  // namespace

int RunSeriesCommand(const std::vector<std::string>& given, const BatchOptions& options, const SeriesOptions& o) {
  if (o.merge) {
    if (!o.out.empty() || o.chain || !o.from.empty() || !o.start.empty() || o.resume || !o.plot.empty() ||
        !o.jobsDir.empty() || o.orderGiven || o.jobs != 1)
      return Refuse("--merge takes OUT.csv and the parts only");
    return Merge(given);
  }
  if (o.out.empty()) return Refuse("--out SUMMARY.csv is needed");
  if (given.empty()) return Refuse("no FILE given");
  if (!o.from.empty() && (o.chain || !o.start.empty())) return Refuse("--from and --chain are two ways to start; give one");
  const bool chain = o.from.empty();
  if (chain && o.jobs != 1)
    return Refuse("-j " + std::to_string(o.jobs) + " needs --from JOB: a chain fits one scan after another");
  if (!options.pfc.empty()) return Refuse("--pfc replaces a scan's data; start the scans from a job with --from JOB");
  if (options.search && !(chain && o.start.empty()))
    return Refuse("--search belongs to the first scan of a chain that starts from its own job");
  std::error_code ec;
  if (!o.jobsDir.empty() && !fs::is_directory(o.jobsDir, ec)) return Refuse("--jobs [" + o.jobsDir + "] is not a folder");
  for (const std::string* job : {&o.from, &o.start})
    if (!job->empty() && !fs::is_regular_file(*job, ec)) return Refuse("can't read the job [" + *job + "]");

  // The series in natural order of the names (or as given), each file once; with a folder of
  // jobs, two files of the same name would share their job.
  std::vector<std::string> files = given;
  if (!o.orderGiven) std::stable_sort(files.begin(), files.end(), NaturalLess);
  std::map<std::string, std::string> seen, names;
  for (const std::string& f : files) {
    const std::string key = fs::weakly_canonical(fs::absolute(f, ec), ec).string();
    if (!seen.emplace(key, f).second) return Refuse("[" + f + "] is given twice (as [" + seen[key] + "])");
    const std::string name = fs::path(f).filename().string();
    if (!o.jobsDir.empty() && !names.emplace(name, f).second)
      return Refuse("[" + names[name] + "] and [" + f + "] would share their job files in --jobs " + o.jobsDir);
  }
  if (fs::exists(o.out, ec) && seen.count(fs::weakly_canonical(fs::absolute(o.out, ec), ec).string()))
    return Refuse("--out [" + o.out + "] is one of the scans");

  // What a resumed run keeps: the rows of every scan that ended, save a cancelled one.
  std::vector<std::vector<std::string>> kept;
  std::set<std::string> finished;
  std::string error;
  if (o.resume && fs::exists(o.out, ec)) {
    CSeriesSummaryFile old;
    if (!ReadSummaryFile(o.out, old, error)) return Refuse(error + "; nothing appended");
    if (old.header != kSeriesHeader && !(old.header.empty() && old.rows.empty()))
      return Refuse("[" + o.out + "] is not a series summary (its header differs); nothing appended");
    // The last scan in the file is fitted again: its rows may have been cut short by a power
    // loss while they were written.
    std::string last = old.rows.empty() ? std::string() : old.rows.back()[kColFile];
    if (std::find(files.begin(), files.end(), last) == files.end()) last.clear();  // not ours to fit again
    for (auto& row : old.rows)
      if (row[kColStatus] != "cancelled" && row[kColFile] != last) finished.insert(row[kColFile]);
    for (auto& row : old.rows)
      if (finished.count(row[kColFile])) kept.push_back(std::move(row));
  }
  std::vector<int> todo;
  int chainFrom = -1;
  for (int i = 0; i < static_cast<int>(files.size()); ++i) {
    if (!finished.count(files[static_cast<std::size_t>(i)])) {
      todo.push_back(i);
      continue;
    }
    for (const auto& row : kept)
      if (row[kColFile] == files[static_cast<std::size_t>(i)] &&
          (row[kColStatus] == "converged" || row[kColStatus].rfind("stalled", 0) == 0))
        chainFrom = todo.empty() ? i : chainFrom;
  }
  CSummaryFile summary;
  if (!summary.Replace(o.out, std::string(kSeriesHeader) + "\n" + Rows(kept), error) ||
      !summary.OpenToAppend(o.out, error))
    return Refuse(error);

  CatchInterrupts();
  ConsolePlatform platform;
  const CIniLocation location = CIniLocation::ForProgram(platform, platform.RunningProgramPath());
  CSeriesSettings settings;
  settings.files = files;
  settings.chain = chain;
  settings.startJob = chain ? o.start : o.from;
  if (!settings.startJob.empty()) settings.startJob = fs::absolute(settings.startJob, ec).string();
  settings.jobs = o.jobs;
  settings.iniPath = location.iniPath;
  settings.programDir = location.programDir;
  // A folder of this run's own: the fitters of a run that was killed may still be running in theirs.
  settings.workRoot = o.out + ".fitters-" + std::to_string(::getpid());
  settings.section = options.section;
  const std::string jobsDir = o.jobsDir.empty() ? std::string() : fs::absolute(o.jobsDir, ec).string();
  // The fitters run in folders of their own: a program named by a relative path is the one
  // that path names from here.
  BatchOptions scanOptions = options;
  if (scanOptions.program.find('/') != std::string::npos) scanOptions.program = fs::absolute(scanOptions.program, ec).string();
  settings.prepare = [&](CBalimorDoc& doc, CSetupForm& form, const std::string& file, const std::string& startJob) {
    doc.Ini().SetReadOnly(true);
    // The search belongs to the first scan of a chain, the one that starts from its own job.
    BatchOptions own = scanOptions;
    if (!startJob.empty()) own.search = false;
    return PrepareFile(doc, form, own, file, false, nullptr, ScanStart{jobsDir, startJob});
  };
  settings.cancelRequested = [] { return Interrupted(); };

  Progress progress(static_cast<int>(todo.size()));
  const CSeriesWriteResult result = RunSeriesIntoSummary(settings, todo, chainFrom, summary, [&](const CSeriesScan& scan) {
    progress.Scan(scan, SeriesScanConverged(scan));
  });
  const bool written = result.written, allConverged = result.allConverged;
  error = result.error;
  progress.End();
  if (!written) {
    std::fprintf(stderr, "balimor-cli: series: %s; the summary holds the scans before\n", error.c_str());
    return 1;
  }
  // Rows kept from before that stand after scans fitted now are put in scan order.
  const bool outOfOrder = !kept.empty() && !todo.empty() && std::atoi(kept.back()[kColScan].c_str()) > todo.front() + 1;
  if (outOfOrder) {
    CSeriesSummaryFile now;
    if (!ReadSummaryFile(o.out, now, error) || !summary.Replace(o.out, now.header + "\n" + Rows(now.rows), error))
      std::fprintf(stderr, "balimor-cli: series: %s; the rows stay in the order the scans ended\n", error.c_str());
  }
  if (Interrupted()) {
    std::fputs("balimor-cli: series: interrupted; the summary holds every scan that ended\n", stderr);
    return 130;
  }
  if (!o.plot.empty() && !DrawSeriesTrend(o.out, o.plot, error)) {
    std::fprintf(stderr, "balimor-cli: series: %s\n", error.c_str());
    return 1;
  }
  if (!allConverged) return 1;
  // A resumed run counts the scans it kept too.
  for (const auto& row : kept)
    if (!(row[kColStatus] == "converged" || row[kColStatus].rfind("stalled", 0) == 0)) return 1;
  return 0;
}

#if BALIMOR_CLI_PLOT
bool DrawSeriesTrend(const std::string& summary, const std::string& picture, std::string& error) {
  const auto app = StartDrawingApplication();
  ConsolePlatform platform;
  const CIniLocation location = CIniLocation::ForProgram(platform, platform.RunningProgramPath());
  return ExportSeriesTrend(summary, picture, platform, location.iniPath, kConsoleFont, error);
}
#else
bool DrawSeriesTrend(const std::string&, const std::string&, std::string& error) {
  error = "the trend picture is drawn by balimor-cli-plot";
  return false;
}
#endif
