#include "SeriesRun.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "BalimorDoc.h"
#include "FitOutcome.h"
#include "FitRun.h"
#include "Process.h"
#include "SetupForm.h"

namespace fs = std::filesystem;

namespace {

// The platform of one scan's document: no person to ask. Questions are answered yes (as
// balimor-cli's fit answers them), the section choice from the settings; a message is kept
// as the scan's reason; the fitter runs in its own folder (the process-wide current folder is
// never changed, so that scans may run side by side) with its console output dropped.
class CSeriesPlatform : public IPlatform {
 public:
  CSeriesPlatform(int section, const std::function<bool()>& cancel) : section_(section), cancel_(cancel) {}

  // What went wrong: a calculation error when there was one (the missing report before it and
  // the restored job after it follow from it), else the first message.
  void ShowMessage(const std::string&, const std::string& caption) override {
    if (lastCaption.empty() || caption == "Calculation error") lastCaption = caption;
  }
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  int ChooseLine(const std::string&, const std::vector<std::string>& lines) override {
    return section_ >= 0 && section_ < static_cast<int>(lines.size()) ? section_ : -1;
  }
  bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override { return false; }
  bool ChooseSaveFile(const std::string&, const std::string&, std::string&) override { return false; }
  bool SetClipboardText(const std::string&) override { return false; }
  std::string CurrentDirectory() override {
    std::error_code ec;
    return fs::current_path(ec).string();
  }
  bool SetCurrentDirectory(const std::string&) override { return true; }
  ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& workingDir, const std::string&,
                        const ProgramOutputSink& sink) override {
    ProgramRun run = process::Run(argv, workingDir, [&](std::string_view chunk) { return sink ? sink(chunk) : true; },
                                  [this] { return cancel_ && cancel_(); });
    if (run.status == ProgramRun::kCancelled) cancelled = true;
    if (!run.Started()) notStarted = true;
    return run;
  }
  bool StartProgram(const std::vector<std::string>&) override { return false; }

  std::string lastCaption;
  bool cancelled = false, notStarted = false;

 private:
  int section_;
  const std::function<bool()>& cancel_;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct FittedScan {
  CSeriesScan scan;
  std::string jobPath;  // the scan's job file (its refined job when it converged)
};

// One scan: a document and form of its own, prepared, checked, fitted and summed up.
FittedScan FitScan(const CSeriesSettings& settings, int index, const std::string& startJob, const std::string& workDir,
                   bool fit = true) {
  FittedScan out;
  CSeriesScan& scan = out.scan;
  scan.file = settings.files[static_cast<std::size_t>(index)];
  scan.scan = index + 1;
  CSeriesPlatform platform(settings.section, settings.cancelRequested);
  CBalimorDoc doc(platform, settings.iniPath, settings.programDir);
  CSetupForm form(doc);
  form.fitWorkDir = workDir;
  std::error_code ec;
  const std::string why = settings.prepare(doc, form, fs::absolute(scan.file, ec).string(), startJob);
  out.jobPath = form.pfcPath;
  if (!why.empty()) {
    scan.status = "failed: " + why;
    return out;
  }
  if (!fit) return out;
  // A range without points would give an empty fit that passes for converged.
  if (CountFitJob(doc.GetPeakSearch(), FitterOf(doc.GetPeakSearch())).pointsInRange == 0) {
    scan.status = "failed: no points in the range";
    return out;
  }
  const CFitLimitCheck limits = CheckFitLimits(doc.GetPeakSearch());
  if (!limits.Within()) {
    scan.status = limits.status;
    return out;
  }
  form.OnExecdastelbutton();
  const std::string report = ReadText(form.outputPath);
  if (platform.cancelled) {
    scan.status = "cancelled";
  } else if (platform.notStarted) {
    scan.status = "failed: can't start the fitter";
  } else if (!form.lastFitRefined) {
    scan.status = "failed: " + (platform.lastCaption.empty() ? std::string("no refined job") : platform.lastCaption);
  } else {
    const CFitOutcome& o = form.lastFitOutcome;
    scan.status = o.end == CFitOutcome::End::kConverged ? "converged" : o.Status();
    scan.peaks = ReadPeakRows(report);
  }
  const CFitOutcome& o = form.lastFitOutcome;
  if (o.end != CFitOutcome::End::kUnknown) {
    scan.cycles = o.done;
    if (o.s >= 0) scan.s = o.s;
    if (o.sigma >= 0) scan.sigma = o.sigma;
  } else if (!report.empty()) {
    scan.cycles = LastStartCycle(report);
    const CReportPart part = ScanReport(form.outputPath, kZentrabReport);
    if (part.s >= 0) scan.s = part.s;
    if (part.sigma >= 0) scan.sigma = part.sigma;
  }
  return out;
}

bool Cancelled(const CSeriesSettings& s) { return s.cancelRequested && s.cancelRequested(); }

}  // namespace

bool SeriesScanConverged(const CSeriesScan& scan) {
  return scan.status == "converged" || scan.status.rfind("stalled", 0) == 0;
}

bool RunSeries(const CSeriesSettings& settings_, const std::vector<int>& todo, int chainFrom,
               const SeriesScanDone& done) {
  // A stop asked for by `done` ends the running fitters as a cancel does.
  std::atomic<bool> stop{false};
  CSeriesSettings settings = settings_;
  settings.cancelRequested = [&] { return stop.load() || Cancelled(settings_); };
  const int slots = settings.chain ? 1 : std::max(1, settings.jobs);
  std::vector<std::string> workDirs;
  std::error_code ec;
  for (int k = 0; k < slots; ++k) {
    workDirs.push_back((fs::path(settings.workRoot) / ("fitter-" + std::to_string(k + 1))).string());
    fs::create_directories(workDirs.back(), ec);
  }
  std::mutex reporting;
  auto report = [&](const CSeriesScan& scan) {
    std::lock_guard<std::mutex> lock(reporting);
    if (stop) return;
    if (!done(scan)) stop = true;
  };

  if (settings.chain) {
    std::string from = settings.startJob;
    if (chainFrom >= 0) {
      // The refined job of the last converged scan before, when it is still there.
      const std::string job = FitScan(settings, chainFrom, settings.startJob, workDirs[0], false).jobPath;
      if (fs::is_regular_file(job, ec)) from = job;
    }
    // Without a start job the first scan fitted starts from its own job, and a chain whose
    // scans have all failed so far goes on from that same job.
    std::string first;
    for (int index : todo) {
      if (settings.cancelRequested()) break;
      const FittedScan f = FitScan(settings, index, from.empty() ? first : from, workDirs[0]);
      if (from.empty() && first.empty() && f.scan.status.rfind("failed: ", 0) != 0) first = f.jobPath;
      if (SeriesScanConverged(f.scan)) from = f.jobPath;
      report(f.scan);
    }
  } else {
    std::atomic<std::size_t> next{0};
    auto worker = [&](int slot) {
      while (!settings.cancelRequested()) {
        const std::size_t i = next++;
        if (i >= todo.size()) break;
        report(FitScan(settings, todo[i], settings.startJob, workDirs[static_cast<std::size_t>(slot)]).scan);
      }
    };
    std::vector<std::thread> threads;
    for (int k = 1; k < slots; ++k) threads.emplace_back(worker, k);
    worker(0);
    for (std::thread& t : threads) t.join();
  }
  for (const std::string& dir : workDirs) fs::remove_all(dir, ec);
  fs::remove(settings.workRoot, ec);  // only when empty: a folder the caller named may hold more
  return !settings.cancelRequested();
}
