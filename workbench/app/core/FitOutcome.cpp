#include "FitOutcome.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FitRun.h"
#include "PeakSearch.h"

namespace {

// The fitters' fixed tables.
constexpr int kZentrabPeaks = 70, kZentrabPoints = 20000, kZentrabParameters = 200;
constexpr int kSimplexPeaks = 30, kSimplexPoints = 10000, kSimplexFewest = 2, kSimplexParameters = 50;

std::string Format(const char* format, auto... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, args...);
  return buf;
}

// "1 peak", "75 peaks".
std::string Counted(int n, const char* noun) { return std::to_string(n) + " " + noun + (n == 1 ? "" : "s"); }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool Holds(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

// The end-of-fit repairs of the diffraction fitter: the head of its message (after the
// leading blanks) and what the warning says of it.
struct Repair {
  std::string_view head;
  const char* text;  // with the peak number and the value printed
};
constexpr Repair kRepairs[] = {
    {"C(Gauss) must be positive. #:", "Peak %d: Gauss part came out negative (%g) and was set to 0"},
    {"C(Lorentz) must be positive. #:", "Peak %d: Lorentz part came out negative (%g) and was set to 0"},
    {"Gaussian fwhm must be positive. #:", "Peak %d: Gaussian fwhm came out negative (1/fwhm %g) and was set to 0.001"},
    {"Gaussian fwhm must not be zero. #:", "Peak %d: Gaussian fwhm came out as %g and was set to 0.001"},
    {"rfwhm must be positive. #:", "Peak %d: rfwhm came out negative (%g) and was set to 0.0001"},
    {"Anisotropic parameter must be positive. #:", "Peak %d: anisotropy came out negative (%g) and was set to 0"},
};

bool ReadRepair(std::string_view line, CPeakWarning& w) {
  for (const Repair& r : kRepairs) {
    if (!line.starts_with(r.head)) continue;
    const std::string rest(line.substr(r.head.size()));
    char* end = nullptr;
    const long peak = std::strtol(rest.c_str(), &end, 10);
    const double value = std::strtod(end, nullptr);
    w.peak = static_cast<int>(peak);
    w.text = Format(r.text, w.peak, value);
    return true;
  }
  static constexpr std::string_view kNotFinite = "Parameter not finite, start value kept. #:";
  if (line.starts_with(kNotFinite)) {
    const std::string rest(line.substr(kNotFinite.size()));
    w.peak = std::atoi(rest.c_str());
    w.text = w.peak == 0 ? std::string("Background: a coefficient was not finite; its start value was kept")
                         : Format("Peak %d: a parameter was not finite; its start value was kept", w.peak);
    return true;
  }
  return false;
}

void ReadZentrab(std::string_view report, CFitOutcome& o) {
  int cycleLines = 0;
  bool adaptive = false, converged = false, stalled = false, saved = false;
  std::size_t from = 0;
  while (from < report.size()) {
    std::size_t end = report.find('\n', from);
    if (end == std::string_view::npos) end = report.size();
    const std::string_view raw = report.substr(from, end - from);
    from = end + 1;
    const std::string_view line = Trimmed(raw);
    double v = 0;
    if (raw.starts_with(kStartCycle)) {
      ++cycleLines;
      double s = 0, sigma = 0;
      if (NumberAfter(raw, " S=", s) && NumberAfter(raw, "sigma=", sigma)) {
        o.s = s;
        o.sigma = sigma;
      }
    } else if (line.starts_with("Maximum number of iteration:")) {
      if (NumberAfter(line, ":", v)) o.limit = static_cast<int>(v);
    } else if (line.starts_with("Optimize by ")) {
      std::string method(Trimmed(line.substr(12)));
      std::transform(method.begin(), method.end(), method.begin(), [](unsigned char c) { return std::tolower(c); });
      adaptive = method.starts_with("marqadaptive");
    } else if (line.starts_with("******  Converged")) {
      converged = true;
    } else if (Holds(line, "No step lowers S any more")) {
      stalled = true;
    } else if (line.starts_with("***Save new parameters to")) {
      saved = true;
    } else if (line.starts_with("***** ") || Holds(line, "MATRIX IS SINGULAR")) {
      if (o.reason.empty()) o.reason = std::string(line);
    } else {
      CPeakWarning w;
      if (ReadRepair(line, w)) o.warnings.push_back(std::move(w));
    }
  }
  o.done = adaptive ? std::max(cycleLines - 1, 0) : cycleLines;
  if (!saved) {
    o.end = CFitOutcome::End::kNotFitted;
    if (o.reason.empty()) o.reason = "the report ends before the refined job was saved";
  } else if (converged) {
    o.end = CFitOutcome::End::kConverged;
  } else if (stalled) {
    o.end = CFitOutcome::End::kStalled;
  } else {
    o.end = CFitOutcome::End::kAtLimit;
  }
}

void ReadSimplex(std::string_view report, CFitOutcome& o) {
  bool converged = false, atLimit = false, refused = false, saved = false;
  std::size_t from = 0;
  while (from < report.size()) {
    std::size_t end = report.find('\n', from);
    if (end == std::string_view::npos) end = report.size();
    const std::string_view line = Trimmed(report.substr(from, end - from));
    from = end + 1;
    double v = 0;
    if (line.starts_with("ITER=")) {
      if (NumberAfter(line, "ITER=", v)) o.done = static_cast<int>(v);
    } else if (line.starts_with("(SUBR.SMPLX) CONVERGENCE AT ITER=")) {
      converged = true;
      if (NumberAfter(line, "ITER=", v)) o.done = static_cast<int>(v);
    } else if (line.starts_with("(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX")) {
      atLimit = true;
    } else if (line.starts_with("(SUBR.SMPLX)")) {
      // Its arguments refused: the search did not run, and the job is written back unchanged.
      refused = true;
      if (o.reason.empty()) o.reason = std::string(line);
    } else if (line.starts_with("[Save new pameters to")) {
      saved = true;
    } else if (line.starts_with("The search ended at a value that is not finite") || Holds(line, "cannot be")) {
      if (o.reason.empty()) o.reason = std::string(line);
    }
  }
  if (refused) {
    o.end = CFitOutcome::End::kNotFitted;
  } else if (!saved) {
    o.end = CFitOutcome::End::kNotFitted;
    if (o.reason.empty()) o.reason = "the report ends before the refined job was saved";
  } else if (converged) {
    o.end = CFitOutcome::End::kConverged;
  } else if (atLimit) {
    o.end = CFitOutcome::End::kAtLimit;
    if (o.limit >= 0) o.done = o.limit;
  }
}

// The width of a peak: the larger fwhm of its parts that have height (the Gaussian one when
// neither has).
double PeakWidth(const CPeakSearch& r, int i) {
  using C = CPeakSearch;
  const bool gauss = r.Value(C::kCGauss, i) > 0, lorentz = r.Value(C::kCLorentz, i) > 0;
  double w = gauss || !lorentz ? std::fabs(r.Value(C::kFWHMGauss, i)) : 0;
  if (lorentz) w = std::max(w, std::fabs(r.Value(C::kFWHMLorentz, i)));
  return w;
}

}  // namespace

FitterKind FitterOf(const CPeakSearch& record) {
  if (record.UsesSimplex()) return FitterKind::kSimplexfit;
  const std::string& program = record.dataKind == DataKind::Diffraction ? record.xrdProgram : record.ramanProgram;
  std::string name = program.substr(program.find_last_of('/') + 1);
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
  const std::size_t at = name.find("ZENTRAB");
  if (at == std::string::npos || (at > 0 && name[at - 1] == 'X')) return FitterKind::kXZentrab;
  return FitterKind::kZentrab;
}

const char* FitterName(FitterKind fitter) {
  switch (fitter) {
    case FitterKind::kXZentrab: return "xZentrab";
    case FitterKind::kZentrab: return "Zentrab";
    case FitterKind::kSimplexfit: return "simplexfit";
  }
  return "";
}

CFitJobCounts CountFitJob(const CPeakSearch& r, FitterKind fitter) {
  using C = CPeakSearch;
  CFitJobCounts n;
  n.peaks = r.peakCount;
  const CGraphData* data = r.dataSet;
  n.points = data ? std::max(data->datan, 0) : 0;
  if (fitter == FitterKind::kSimplexfit) {
    const double lo = std::min(r.optLow, r.optHigh), hi = std::max(r.optLow, r.optHigh);
    for (int i = 0; i < n.points; ++i) {
      const double x = data->ScaledX(i);
      if (lo <= x && x <= hi) ++n.pointsInRange;
    }
    const int order = std::clamp(r.backgroundOrder, 0, C::kBackgroundTerms - 1);
    for (int k = 0; k <= order; ++k) n.freeParameters += r.optimizeB[k] == 1;
    for (int i = 0; i < r.peakCount; ++i)
      for (C::Column c : {C::kPosition, C::kCGauss, C::kFWHMGauss, C::kCLorentz, C::kFWHMLorentz})
        n.freeParameters += r.Flag(c, i) == 1;
    return n;
  }
  // The diffraction fitter reads its numbers in single precision, takes the points from the
  // first at or above the calculation range's start up to the first beyond its end, and
  // optimises only the peaks whose centre lies in the optimisation range.
  const float calcLow = static_cast<float>(r.calcLow), calcHigh = static_cast<float>(r.calcHigh);
  for (int i = 0; i < n.points; ++i) {
    const float x = static_cast<float>(data->ScaledX(i));
    if (x < calcLow) continue;
    if (x > calcHigh) break;
    ++n.pointsInRange;
  }
  for (int k = 0; k < C::kBackgroundTerms; ++k) n.freeParameters += r.optimizeB[k] == 1;
  const float optLow = static_cast<float>(r.optLow), optHigh = static_cast<float>(r.optHigh);
  for (int i = 0; i < r.peakCount; ++i) {
    const float p = static_cast<float>(r.Value(C::kPosition, i));
    if (!(optLow <= p && p <= optHigh)) continue;
    for (C::Column c : {C::kCTotal, C::kGaussFraction, C::kPosition, C::kAniso, C::kFWHMGauss, C::kFWHMGLRatio}) {
      if (c == C::kAniso && fitter == FitterKind::kZentrab) continue;
      n.freeParameters += r.Flag(c, i) == 1;
    }
  }
  return n;
}

CFitLimitCheck CheckFitLimits(const CFitJobCounts& n, FitterKind fitter) {
  const bool simplex = fitter == FitterKind::kSimplexfit;
  const char* name = FitterName(fitter);
  const int mostPeaks = simplex ? kSimplexPeaks : kZentrabPeaks;
  const int mostPoints = simplex ? kSimplexPoints : kZentrabPoints;
  const int mostParameters = simplex ? kSimplexParameters : kZentrabParameters;
  CFitLimitCheck c;
  if (n.peaks > mostPeaks) {
    c.message = "The fit has " + Counted(n.peaks, "peak") + "; " + name + " takes at most " +
                std::to_string(mostPeaks) + ". Raise the search threshold or narrow the range.";
    c.status = "limit: " + Counted(n.peaks, "peak") + " > " + std::to_string(mostPeaks);
  } else if (n.points > mostPoints) {
    c.message = "The data has " + Counted(n.points, "point") + "; " + name + " takes at most " +
                std::to_string(mostPoints) + ". Load the data with fewer points (a coarser step or a shorter scan).";
    c.status = "limit: " + Counted(n.points, "point") + " > " + std::to_string(mostPoints);
  } else if (!simplex && n.pointsInRange > kZentrabPoints) {
    c.message = "The calculation range holds " + Counted(n.pointsInRange, "point") + "; " + name +
                " takes at most " + std::to_string(kZentrabPoints) + ". Narrow the output range.";
    c.status = "limit: " + Counted(n.pointsInRange, "point") + " in range > " + std::to_string(kZentrabPoints);
  } else if (n.freeParameters > mostParameters) {
    c.message = "The fit has " + Counted(n.freeParameters, "free parameter") + "; " + name + " takes at most " +
                std::to_string(mostParameters) +
                ". Fix some parameters, or fit fewer peaks (raise the search threshold or narrow the range).";
    c.status = "limit: " + Counted(n.freeParameters, "free parameter") + " > " + std::to_string(mostParameters);
  } else if (simplex && n.freeParameters < kSimplexFewest) {
    c.message = "The fit has " + Counted(n.freeParameters, "free parameter") + "; " + name + " needs at least " +
                std::to_string(kSimplexFewest) + ". Free more parameters of the peaks or the background.";
    c.status = "limit: " + Counted(n.freeParameters, "free parameter") + " < " + std::to_string(kSimplexFewest);
  }
  return c;
}

CFitLimitCheck CheckFitLimits(const CPeakSearch& record) {
  const FitterKind fitter = FitterOf(record);
  return CheckFitLimits(CountFitJob(record, fitter), fitter);
}

std::string CFitOutcome::Status() const {
  const std::string count = Counted(done, Unit());
  switch (end) {
    case End::kConverged: return "converged (" + count + ")";
    case End::kStalled: return "stalled (" + count + ")";
    case End::kAtLimit: return "not converged (" + count + ")";
    case End::kNotFitted: return "not fitted: " + reason;
    case End::kUnknown: break;
  }
  return "unknown";
}

std::string CFitOutcome::LimitNote() const {
  if (end != End::kAtLimit) return {};
  return std::string("stopped at the ") + Unit() + " limit (" + std::to_string(limit >= 0 ? limit : done) +
         ") before converging";
}

std::string CFitOutcome::Notes() const {
  std::string text;
  auto add = [&](const std::string& line) {
    if (!text.empty()) text += "\n";
    text += line;
  };
  if (end == End::kAtLimit) add("Fit " + LimitNote() + ".");
  if (end == End::kNotFitted) add("The fit did not finish: " + reason + ".");
  for (const CPeakWarning& w : warnings) add(w.text);
  return text;
}

CFitOutcome ReadFitOutcomeText(std::string_view report, FitterKind fitter, int limit) {
  CFitOutcome o;
  o.iterations = fitter == FitterKind::kSimplexfit;
  o.limit = limit;
  if (o.iterations)
    ReadSimplex(report, o);
  else
    ReadZentrab(report, o);
  if (o.end == CFitOutcome::End::kNotFitted) o.s = o.sigma = -1;  // no result to speak of
  std::stable_sort(o.warnings.begin(), o.warnings.end(),
                   [](const CPeakWarning& a, const CPeakWarning& b) { return a.peak < b.peak; });
  return o;
}

void AddPeakWarnings(CFitOutcome& o, const CPeakSearch& r, FitterKind fitter) {
  using C = CPeakSearch;
  const double lo = std::min(r.optLow, r.optHigh), hi = std::max(r.optLow, r.optHigh);
  // The loaded data's range of X, for a centre that lies outside it too.
  double dataLow = 0, dataHigh = 0;
  bool haveData = false;
  if (const CGraphData* d = r.dataSet) {
    for (int i = 0; i < d->datan; ++i) {
      const double x = d->ScaledX(i);
      if (!std::isfinite(x)) continue;
      dataLow = haveData ? std::min(dataLow, x) : x;
      dataHigh = haveData ? std::max(dataHigh, x) : x;
      haveData = true;
    }
  }
  for (int i = 0; i < r.peakCount; ++i) {
    const int no = i + 1;
    const double p = r.Value(C::kPosition, i);
    if (haveData && !(dataLow <= p && p <= dataHigh))
      o.warnings.push_back({no, Format("Peak %d: centre %g lies outside the data, %g … %g", no, p, dataLow, dataHigh)});
    else if (!(lo <= p && p <= hi))
      o.warnings.push_back({no, Format("Peak %d: centre %g lies outside the optimisation range, %g … %g", no, p, lo, hi)});
    const double w = PeakWidth(r, i);
    if (hi > lo && !(w <= (hi - lo) / 3))
      o.warnings.push_back({no, Format("Peak %d: width %g exceeds a third of the optimisation range, %g … %g", no, w, lo, hi)});
    if (fitter == FitterKind::kSimplexfit) {
      // simplexfit only penalises a part below 0, so one may end a hair below it; a part
      // under a millionth of the peak's larger one is the search's rounding, not a dip.
      const double cg = r.Value(C::kCGauss, i), cl = r.Value(C::kCLorentz, i);
      const double noise = 1e-6 * std::max(std::fabs(cg), std::fabs(cl));
      if (cg < -noise) o.warnings.push_back({no, Format("Peak %d: Gauss part is negative (%g)", no, cg)});
      if (cl < -noise) o.warnings.push_back({no, Format("Peak %d: Lorentz part is negative (%g)", no, cl)});
    }
  }
  std::stable_sort(o.warnings.begin(), o.warnings.end(),
                   [](const CPeakWarning& a, const CPeakWarning& b) { return a.peak < b.peak; });
}

CFitOutcome ReadFitOutcome(const std::string& reportPath, const CPeakSearch& refined) {
  const FitterKind fitter = FitterOf(refined);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(reportPath, ec)) {
    CFitOutcome o;
    o.iterations = fitter == FitterKind::kSimplexfit;
    o.limit = refined.maxIteration;
    return o;
  }
  std::ifstream in(reportPath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  CFitOutcome o = ReadFitOutcomeText(text.str(), fitter, refined.maxIteration);
  if (fitter == FitterKind::kSimplexfit && o.end != CFitOutcome::End::kNotFitted &&
      o.end != CFitOutcome::End::kUnknown) {
    o.s = refined.S;
    o.sigma = refined.R;
  }
  if (o.end != CFitOutcome::End::kNotFitted) AddPeakWarnings(o, refined, fitter);
  return o;
}
