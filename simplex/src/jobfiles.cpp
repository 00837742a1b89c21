#include "jobfiles.h"

#include <cfloat>
#include <cmath>
#include <string_view>
#include <vector>

#include "recordio/recordio.h"

namespace simplex {
namespace {

using recordio::Item;
using Targets = std::initializer_list<recordio::FreeReader::Target>;

const recordio::Notation& notation() {
  static const recordio::Notation n = recordio::simplexNotation();
  return n;
}

std::string freeRecord(std::initializer_list<Item> items) {
  return recordio::writeFree(items, notation());
}

std::string layout(std::string_view format, std::initializer_list<Item> items) {
  return recordio::write(format, items, notation());
}

long long integer(int v) { return v; }

// A value written in single precision. A value beyond the single-precision range keeps its
// double value, so that it is written as a number and not as an overflow.
Item single(double v) {
  if (std::isfinite(v) && std::fabs(v) > FLT_MAX) return v;
  return static_cast<float>(v);
}
double singleValue(double v) {
  if (std::isfinite(v) && std::fabs(v) > FLT_MAX) return v;
  return static_cast<float>(v);
}

// iN that never fills its field with asterisks: a value wider than the field is written
// with as many columns as it needs, so that a re-read job keeps its number.
std::string wideInteger(long long v, int w) {
  std::string s = std::to_string(v);
  return s.size() >= static_cast<std::size_t>(w) ? s : recordio::formatI(v, w);
}

std::string echoParam(const Param& p) {
  return freeRecord({"   ", p.value, integer(p.flag), p.step});
}

// A count that sizes a table: refused, naming the file and the record, when outside 0…limit.
bool countFits(recordio::FreeReader& rd, const char* name, int value, int limit) {
  if (value >= 0 && value <= limit) return true;
  return rd.reject(std::string(name) + " = " + std::to_string(value) +
                   " lies outside the job limits 0 to " + std::to_string(limit));
}

}  // namespace

std::string readLines() { return layout("(a30)", {"[Read file from ", "fit.pfc", " ]"}); }

std::string saveLines() { return layout("(a30)", {"[Save new pameters to ", "new.pfc", " ]"}); }

bool readJob(std::istream& in, const std::string& fileName, Job& job, Channels& out,
             std::string& error) {
  recordio::FreeReader rd(in, fileName);
  auto failed = [&] {
    error = rd.error();
    return false;
  };

  if (!rd.text(job.title, kTitleLength)) return failed();
  out.put(layout("(a79)", {job.title}));

  if (!rd.record({&job.iPrt, &job.iPrtIntvl})) return failed();
  out.put(freeRecord({"iPrt, iPrtIntvl: ", integer(job.iPrt), integer(job.iPrtIntvl)}));

  if (!rd.record(Targets{&job.itmax, &job.tolX, &job.tolF})) return failed();
  out.put(freeRecord({integer(job.itmax), job.tolX, job.tolF}));

  if (!rd.record({&job.xLow, &job.xHigh})) return failed();
  out.put(freeRecord({job.xLow, job.xHigh}));

  if (!rd.record({&job.NB})) return failed();
  out.put(freeRecord({integer(job.NB)}));
  if (!countFits(rd, "NB", job.NB, kMaxOrder)) return failed();
  for (int j = 0; j <= job.NB; ++j) {
    Param& p = job.b[j];
    if (!rd.record(Targets{&p.value, &p.flag, &p.step})) return failed();
    out.put(echoParam(p));
  }

  if (!rd.record({&job.NP})) return failed();
  out.put(freeRecord({integer(job.NP)}));
  if (!countFits(rd, "NP", job.NP, kMaxPeaks)) return failed();
  for (int k = 0; k < job.NP; ++k) {
    for (Param& p : job.peak[k]) {
      if (!rd.record(Targets{&p.value, &p.flag, &p.step})) return failed();
      out.put(echoParam(p));
    }
  }

  if (!rd.record({&job.S, &job.R})) return failed();
  out.put(freeRecord({job.S, job.R}));

  if (!rd.record({&job.ND})) return failed();
  out.put(freeRecord({integer(job.ND)}));
  if (!countFits(rd, "ND", job.ND, kMaxPoints)) return failed();
  for (int i = 0; i < job.ND; ++i)
    if (!rd.record({&job.x[i], &job.y[i]})) return failed();
  return true;
}

std::string spectrumFile(const Job& job, const Tables& tables) {
  int n = 0;
  for (int i = 0; i < job.ND; ++i)
    if (job.inRange(job.x[i])) ++n;
  std::string s = layout("(a30)", {job.title});
  s += freeRecord({integer(n)});
  if (job.NP < 1 || job.NP > 6) return s;

  const recordio::Layout point("(f12.6," + std::to_string(3 + job.NP) + "f10.4)", notation());
  std::vector<Item> items(4 + job.NP);
  for (int i = 0; i < job.ND; ++i) {
    if (!job.inRange(job.x[i])) continue;
    items[0] = job.x[i];
    items[1] = job.y[i];
    items[2] = tables.B[i];
    items[3] = tables.Y[i];
    for (int k = 0; k < job.NP; ++k) items[4 + k] = tables.P[k][i];
    s += point.write(items);
  }
  return s;
}

std::string refinedJobFile(const Job& job, const Tables& tables) {
  const recordio::Notation& nt = notation();
  std::string s = layout("(a79)", {job.title});
  s += freeRecord({integer(job.iPrt), integer(job.iPrtIntvl)});
  s += wideInteger(job.itmax, 5) + recordio::formatG(singleValue(job.tolX), 16, 4, nt) +
       recordio::formatG(singleValue(job.tolF), 16, 4, nt) + "\n";
  s += freeRecord({single(job.xLow), single(job.xHigh)});
  s += freeRecord({integer(job.NB)});
  for (int j = 0; j <= job.NB; ++j) {
    const Param& p = job.b[j];
    s += freeRecord({"   ", p.value, integer(p.flag), p.step});
  }
  s += freeRecord({integer(job.NP)});
  for (int k = 0; k < job.NP; ++k)
    for (const Param& p : job.peak[k])
      s += freeRecord({"   ", single(p.value), integer(p.flag), p.step});
  s += layout("(2g16.6)", {singleValue(job.S), singleValue(job.R)});
  s += freeRecord({integer(job.ND)});
  const recordio::Layout point("(a,2g16.6)", nt);
  for (int i = 0; i < job.ND; ++i)
    s += point.write({"   ", singleValue(job.x[i]), singleValue(job.y[i])});
  s += "\n";
  s += freeRecord({"[Peak Area]"});
  for (int k = 0; k < job.NP; ++k)
    s += freeRecord({integer(k + 1), single(job.peak[k][Position].value), single(tables.A[k])});
  return s;
}

std::string peakAreaTable(const Job& job, const Tables& tables) {
  double total = 0.0;
  for (int k = 0; k < job.NP; ++k) total += tables.A[k];

  std::string s = "\n";
  s += freeRecord({"[Peak Area]"});
  s += freeRecord({" No. Pos.   C        FWHM       Area     Area(%)"});
  const recordio::Layout row("(i5,5g14.6)", notation());
  for (int k = 0; k < job.NP; ++k) {
    const auto& p = job.peak[k];
    // C: combined height; W: height-weighted width. Heights that add up to 0 have no
    // weighted width, and areas that add up to 0 no shares: both are written as 0.
    const double C = p[CGauss].value + p[CLorentz].value;
    const double W = C == 0.0 ? 0.0
                              : (p[CGauss].value * p[FWHMGauss].value +
                                 p[CLorentz].value * p[FWHMLorentz].value) / C;
    const double share = total == 0.0 ? 0.0 : 100.0 * tables.A[k] / total;
    s += row.write({integer(k + 1), p[Position].value, C, W, tables.A[k], share});
  }
  return s;
}

}  // namespace simplex
