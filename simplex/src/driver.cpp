#include "driver.h"

#include <array>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "Channels.h"
#include "jobfiles.h"
#include "model.h"
#include "recordio/recordio.h"
#include "smplx.h"

namespace simplex {
namespace {

// Writes a whole file through a temporary beside it, so that a failed write never leaves a
// half-written file in place of a good one.
bool writeWhole(const std::filesystem::path& path, const std::string& content,
                std::string& error) {
  std::filesystem::path tmp = path;
  tmp += ".part";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    if (f) f << content;
    if (f) f.flush();
    if (!f) {
      error = path.filename().string() + ": cannot be written";
      std::error_code ignored;
      std::filesystem::remove(tmp, ignored);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    error = path.filename().string() + ": cannot be written: " + ec.message();
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

std::string line(const std::string& text) { return text + "\n"; }

}  // namespace

int runJob(const std::filesystem::path& dir, std::ostream& console) {
  std::ofstream log(dir / "out.txt", std::ios::trunc);
  if (!log) {
    console << "out.txt: cannot be created\n";
    return 1;
  }
  Channels out(console, &log);
  const recordio::Notation nt = recordio::simplexNotation();

  auto fit = std::make_unique<Fit>();
  Job& job = fit->job;
  Tables& tables = fit->tables;

  out.put(readLines());
  {
    std::ifstream in(dir / "fit.pfc");
    if (!in) {
      out.put("fit.pfc: cannot be opened\n");
      return 1;
    }
    std::string error;
    if (!readJob(in, "fit.pfc", job, out, error)) {
      out.put(line(error));
      return 1;
    }
  }

  // A width of exactly 0 leaves its part out of the model (the part has no value at its
  // centre); say so, since the user may not mean it.
  for (int k = 0; k < job.NP; ++k) {
    if (job.peak[k][FWHMGauss].value == 0.0)
      out.put(line("Peak " + std::to_string(k + 1) + ": FWHMGauss is 0, its Gaussian part is left out."));
    if (job.peak[k][FWHMLorentz].value == 0.0)
      out.put(line("Peak " + std::to_string(k + 1) + ": FWHMLorentz is 0, its Lorentzian part is left out."));
  }

  evaluateModel(job, tables);
  selectFitPoints(job, fit->points);

  std::array<double, kMaxGathered> v{};
  std::array<double, kMaxGathered> step{};
  const int N = gather(job, v, step);
  out.put("\n");
  out.put(recordio::writeFree({"[***Start SMPLX]"}, nt));

  double S = 0.0;  // stays 0 when the search refuses its arguments
  Fit& state = *fit;
  SMPLX([&state](std::span<const double> p) { return objective(state, p); }, v, step, job.tolX,
        job.tolF, N, S, job.itmax, job.iPrt, job.iPrtIntvl, out);
  scatter(v, job);

  // A model or data that overflow give the search nothing to compare: S (or the point it ends
  // at) is not finite, and no result file would hold numbers. Nothing is written.
  bool finite = std::isfinite(S);
  for (int j = 0; j < N; ++j) finite = finite && std::isfinite(v[j]);
  if (!finite) {
    out.put(line("The search ended at a value that is not finite (the model or the data overflow); "
                 "fit.spc and new.pfc are not written."));
    return 1;
  }

  const Deviation dev = relativeDeviation(job, S);
  job.S = S;
  job.R = dev.R;
  if (!dev.why.empty()) out.put(line("R is written as 0: " + dev.why + "."));

  // The tables are rebuilt for the returned parameters, so that "fit.spc" shows the model
  // that "new.pfc" holds.
  evaluateModel(job, tables);
  peakAreas(job, tables);

  std::string error;
  if (!writeWhole(dir / "fit.spc", spectrumFile(job, tables), error)) {
    out.put(line(error));
    return 1;
  }
  out.put(peakAreaTable(job, tables));
  out.put(saveLines());
  if (!writeWhole(dir / "new.pfc", refinedJobFile(job, tables), error)) {
    out.put(line(error));
    return 1;
  }
  log.close();
  return log ? 0 : 1;
}

}  // namespace simplex
