#include "FitRun.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GraphData.h"
#include "PathText.h"
#include "PeakSearch.h"
#include "Process.h"

namespace fs = std::filesystem;

namespace {

std::string CantCopy(const std::string& from, const std::string& to) {
  return "Can't copy [" + from + "] to [" + to + "]";
}

bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// A file of the run, as opposed to a device, a pipe or a folder that a path may name.
bool IsRegular(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Deletes a file of the run; a path that names a device, a pipe or a folder is left alone.
void Remove(const std::string& path) {
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(path, ec);
  if (fs::is_regular_file(link) || fs::is_symlink(link)) fs::remove(path, ec);
}

// The command line of a run with the job as argument, as the messages show it.
std::string QuotedCommandLine(const std::string& program, const std::string& job) {
  char buf[2048];
  std::snprintf(buf, sizeof buf, "\"%s\" \"%s\"", program.c_str(), job.c_str());
  return buf;
}

// S and sigma of a kStartCycle line, taken from their labelled fields "S=" and "sigma=".
bool ScanCycleLine(const char* line, double& s, double& sigma) {
  const char* sl = std::strstr(line + kStartCycle.size(), " S=");
  const char* gl = std::strstr(line + kStartCycle.size(), "sigma=");
  if (!sl || !gl) return false;
  char* end = nullptr;
  const double sv = std::strtod(sl + 3, &end);
  if (end == sl + 3) return false;
  const double gv = std::strtod(gl + 6, &end);
  if (end == gl + 6) return false;
  s = sv;
  sigma = gv;
  return true;
}

// The refined job reads back completely in the form of this run, points included (into a
// scratch record).
bool RefinedJobIsWhole(const std::string& newPfc, CFitRunPlan::JobForm form) {
  CPeakSearch check;
  CGraphData points;
  check.dataSet = &points;
  std::string program;
  const int read = form == CFitRunPlan::JobForm::kRaman ? check.ReadRamanPFCFile(newPfc, true)
                                                         : check.ReadZentrabPFCFile(newPfc, program, true);
  return read == 1 && check.lastReadComplete;
}

}  // namespace

bool CopyJobFile(const std::string& src, const std::string& dst) {
  if (SamePath(src, dst)) return true;
  if (!IsRegular(src)) return false;
  std::ifstream in(src, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  return WriteFileText(dst, "w", text.str()) == 0;
}

CFitRunPlan FitRunFor(const CPeakSearch& record, const std::string& jobPath, const std::string& reportPath) {
  CFitRunPlan plan;
  plan.jobPath = jobPath;
  plan.reportPath = reportPath;
  plan.workDir = pathtext::FolderOrCurrent(jobPath);
  if (record.UsesSimplex()) {
    plan.argv = {record.ramanProgram};
    plan.commandLine = record.ramanProgram;
    plan.jobAsFitPfc = true;
    plan.readBack = CFitRunPlan::JobForm::kRaman;
    plan.scan = kSimplexReport;
  } else {
    const std::string& program =
        record.dataKind == DataKind::Diffraction ? record.xrdProgram : record.ramanProgram;
    plan.argv = {program, jobPath};
    plan.commandLine = QuotedCommandLine(program, jobPath);
  }
  return plan;
}

CFitRunResult RunFit(IPlatform& platform, const CFitRunPlan& plan) {
  const std::string& W = plan.workDir;
  const std::string& P = plan.jobPath;
  const std::string& O = plan.reportPath;
  const std::string prevPfc = W + "/prev.pfc", fitPfc = W + "/fit.pfc";
  const std::string outTxt = W + "/out.txt", newPfc = W + "/new.pfc";
  CFitRunResult result;
  result.reportPath = O;

  platform.SetCurrentDirectory(W);
  if (!CopyJobFile(P, prevPfc)) {
    platform.ShowMessage(CantCopy(P, prevPfc), "Error");
    return result;
  }
  if (plan.jobAsFitPfc) {
    // A job that is itself named fit.pfc is the fitter's job as it stands and is kept.
    const bool jobIsFitPfc = SamePath(P, fitPfc);
    if (!jobIsFitPfc && !CopyJobFile(P, fitPfc)) {
      platform.ShowMessage(CantCopy(P, fitPfc), "Error");
      return result;
    }
    if (!jobIsFitPfc) Remove(P);
  }
  CopyJobFile(O, W + "/prevout.txt");
  Remove(O);
  Remove(newPfc);
  if (!SamePath(outTxt, O)) Remove(outTxt);

  result.run = platform.RunProgram(plan.argv, W, plan.commandLine, nullptr);
  if (!result.run.Started()) {
    result.status = CFitRunResult::kNotStarted;
    platform.ShowMessage("Can't exec [" + plan.commandLine + "]", "Error");
    // The job was taken away for the run; a run that never started gives it back.
    if (plan.jobAsFitPfc && !CopyJobFile(prevPfc, P)) platform.ShowMessage(CantCopy(prevPfc, P), "Error");
    return result;
  }
  result.status = CFitRunResult::kRan;
  if (!CopyJobFile(outTxt, O)) platform.ShowMessage(CantCopy(outTxt, O), "Error");

  // The refined job replaces the job file only when the run ended by itself and left it
  // whole; anything else restores the previous job and says what went wrong.
  std::error_code ec;
  const bool exists = fs::exists(newPfc, ec);
  std::string why;
  if (result.run.status == ProgramRun::kCancelled) {
    why = "The calculation was cancelled\r\n";
  } else if (result.run.status == ProgramRun::kSignalled) {
    why = "[" + plan.commandLine + "] " + process::Describe(result.run) + "\r\n";
  }
  if (why.empty() && exists && RefinedJobIsWhole(newPfc, plan.readBack)) {
    if (CopyJobFile(newPfc, P)) {
      result.refined = true;
    } else {
      platform.ShowMessage(CantCopy(newPfc, P) + "\r\n" + "Some error must occur in file system\r\nRetrieve previous file",
                           "Error");
    }
  } else if (why.empty() && exists) {
    platform.ShowMessage("File [" + newPfc + "] is incomplete or damaged\r\nSome error must occur in the calculation\r\nRetrieve previous file",
                         "Calculation error");
  } else if (why.empty()) {
    platform.ShowMessage("File [" + newPfc + "] doesn't exist\r\nSome error must occur in the calculation\r\nRetrieve previous file",
                         "Calculation error");
  } else {
    const bool cancelled = result.run.status == ProgramRun::kCancelled;
    platform.ShowMessage(why + "Retrieve previous file", cancelled ? "Fit cancelled" : "Calculation error");
  }
  if (!result.refined && !CopyJobFile(prevPfc, P)) platform.ShowMessage(CantCopy(prevPfc, P), "Error");
  return result;
}

CReportPart ScanReport(const std::string& path, const CReportScan& scan) {
  CReportPart part;
  std::FILE* f = IsRegular(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (!f) return part;
  part.read = true;
  char line[256];
  bool collecting = false;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strstr(line, scan.start)) {
      collecting = true;
      part.text += line;
    } else if (collecting && scan.endsAtNextSection && std::strchr(line, '[')) {
      collecting = false;
    } else if (collecting) {
      part.text += line;
    }
    if (scan.cycleStatistics && std::strncmp(line, kStartCycle.data(), kStartCycle.size()) == 0)
      ScanCycleLine(line, part.s, part.sigma);
  }
  std::fclose(f);
  return part;
}

std::string SigmaLine(double s, double sigma) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "\r\nSigma: %lg   %lg %%", s, sigma);
  return buf;
}

bool NumberAfter(std::string_view line, std::string_view label, double& value) {
  const std::size_t at = line.find(label);
  if (at == std::string_view::npos) return false;
  const std::string rest(line.substr(at + label.size()));
  char* end = nullptr;
  const double v = std::strtod(rest.c_str(), &end);
  if (end == rest.c_str() || !std::isfinite(v)) return false;
  value = v;
  return true;
}
