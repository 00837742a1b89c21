#include "zentrab/input.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "recordio/recordio.h"

namespace zentrab::input {

namespace {

using recordio::write;

long long I(int v) { return v; }

// An input/output failure: one line on the error stream and in the log.
Status ioFailure(const Out& out, const std::string& line) {
  if (out.err) *out.err << line << '\n';
  if (out.log) *out.log << line << '\n';
  return Status::ioError;
}

// A limit exceeded: its message on the console only.
Status limitStop(const Out& out, const char* message) {
  out.consoleOnly(write("(a)", {message}));
  return Status::stop;
}

// Reads one parameter record "value, flag, change"; the change is read and dropped.
bool paramRecord(recordio::FreeReader& rd, float& value, int& flag) {
  float change = 0;
  return rd.record({&value, &flag, &change});
}

// False when a value read is not finite ("nan", "inf" or a number out of range).
bool allFinite(std::initializer_list<float> values) {
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

Status rdfile(State& st, const Out& out, const std::string& fileName) {
  out.put(write("(a,a40)", {" ***Read fitting parameters from", fixedName(fileName)}));

  std::error_code ec;
  if (std::filesystem::is_directory(fileName, ec))
    return ioFailure(out, fileName + ": cannot be read: it is a directory");
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return ioFailure(out, fileName + ": cannot be opened for reading");
  recordio::FreeReader rd(in, fileName);
  auto failed = [&] { return ioFailure(out, rd.error()); };
  auto notFinite = [&] {
    return ioFailure(out, fileName + ": record " + std::to_string(rd.recordNumber()) +
                              ": a number is not finite");
  };

  if (!rd.text(st.title, 80)) return failed();
  out.put(write("(a,a70)", {" Title:", st.title}));
  if (!rd.text(st.dataName, 80) || !rd.text(st.program, 80)) return failed();
  out.put(write("(a,a70)", {" Program:", st.program}));
  if (!rd.text(st.method, 25)) return failed();
  out.put(write("(a,a25)", {" Optimize by ", st.method}));

  if (!rd.record({&st.maxIteration, &st.dampingFactor, &st.eps})) return failed();
  if (!allFinite({st.dampingFactor, st.eps})) return notFinite();
  out.put(write("(a,i5)", {" Maximum number of iteration:", I(st.maxIteration)}));
  out.put(write("(a,f10.4)", {" Dumping factor:", st.dampingFactor}));
  out.put(write("(a,g14.6)", {" EPS: ", st.eps}));

  if (!rd.record({&st.ramda1, &st.ramda2, &st.qRange, &st.iRatio})) return failed();
  if (!allFinite({st.ramda1, st.ramda2, st.qRange, st.iRatio})) return notFinite();
  out.put(write("(a)", {" ramda1   ramda2   QRange   IRatio"}));
  out.put(write("(4f12.6)", {st.ramda1, st.ramda2, st.qRange, st.iRatio}));

  if (!rd.record({&st.calcLow, &st.calcHigh})) return failed();
  if (!allFinite({st.calcLow, st.calcHigh})) return notFinite();
  out.put(write("(a, 2f10.4)", {" Calculation :", st.calcLow, st.calcHigh}));
  if (!rd.record({&st.optLow, &st.optHigh})) return failed();
  if (!allFinite({st.optLow, st.optHigh})) return notFinite();
  out.put(write("(a, 2f10.4)", {" Optimization:", st.optLow, st.optHigh}));
  // The background always has kMaxBack coefficients, so " nBack too large" cannot occur.

  for (int k = 0; k < kMaxBack; ++k)
    if (!paramRecord(rd, st.back[k], st.backFlag[k])) return failed();
    else if (!allFinite({st.back[k]})) return notFinite();
  {
    const auto& b = st.back;
    const auto& f = st.backFlag;
    out.put(write("(a,3x,5i1)", {" Back ground parameters and ID", I(f[0]), I(f[1]), I(f[2]),
                                 I(f[3]), I(f[4])}));
    out.put(write("(3x,5g12.6)", {b[0], b[1], b[2], b[3], b[4]}));
  }

  if (!rd.record({&st.nPeak})) return failed();
  out.put(write("(a, i5)", {" Number of Peaks to fit:", I(st.nPeak)}));
  if (st.nPeak > kMaxPeaks) return limitStop(out, " nPeak too large");
  if (st.nPeak < 0) st.nPeak = 0;

  static const recordio::Layout peakEcho("(a, i3, 2x, 7i1, f10.4, f12.0, 5f8.4)");
  for (int j = 0; j < st.nPeak; ++j) {
    for (int k = 0; k < kPeakParams; ++k)
      if (!paramRecord(rd, st.prm[k][j], st.flag[k][j])) return failed();
      else if (!allFinite({st.prm[k][j]})) return notFinite();
    const auto& P = st.prm;
    const auto& F = st.flag;
    out.put(peakEcho.write({"  #", I(j + 1), I(F[0][j]), I(F[1][j]), I(F[2][j]), I(F[3][j]),
                            I(F[4][j]), I(F[5][j]), I(F[6][j]), P[0][j], P[1][j], P[2][j],
                            P[3][j], P[4][j], P[5][j], P[6][j]}));
  }

  if (!rd.record({&st.nOData})) return failed();
  if (st.nOData > kMaxOData) return limitStop(out, " nOData too large");
  if (st.nOData < 0) st.nOData = 0;
  for (int i = 0; i < st.nOData; ++i)
    if (!rd.record({&st.xo[i], &st.yo[i]})) return failed();
    else if (!allFinite({st.xo[i], st.yo[i]})) return notFinite();

  st.backRead = st.back;
  st.prmRead = st.prm;
  return Status::ok;
}

Status selectData(State& st, const Out& out) {
  int n = 0;
  for (int i = 0; i < st.nOData; ++i) {
    const float x = st.xo[i];
    if (x < st.calcLow) continue;
    if (x > st.calcHigh) break;
    if (n == kMaxData) return limitStop(out, " nData too large");
    st.x[n] = x;
    st.y[n] = st.yo[i];
    ++n;
  }
  st.nData = n;
  st.ascending = true;
  for (int i = 1; i < n; ++i)
    if (st.x[i] < st.x[i - 1]) st.ascending = false;
  out.put(write("(a, i5)", {" *** Number of data used in the calculation: ", I(n)}));
  return Status::ok;
}

}  // namespace zentrab::input
