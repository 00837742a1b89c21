// Times the hot paths of the fitters' output and input: 20000 data lines through a parsed
// Layout and through free-format output, and reading 20000 "x y" lines back.
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

#include "recordio/recordio.h"

namespace {

constexpr int kLines = 20000;
constexpr int kRepeats = 20;

template <typename F>
double nsPerLine(F&& body) {
  const auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < kRepeats; ++r) body();
  const auto t1 = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(t1 - t0).count() / (kRepeats * kLines);
}

}  // namespace

int main() {
  using namespace recordio;
  const Layout point("(2g14.6)");
  const Layout param("(g14.6, i5, g14.6)");
  std::string out;
  out.reserve(kLines * 40);
  std::size_t sink = 0;

  const double layoutNs = nsPerLine([&] {
    out.clear();
    for (int i = 0; i < kLines; ++i) {
      const float x = 10.0f + 0.005f * static_cast<float>(i);
      const float y = 1000.0f + static_cast<float>(i % 977) * 3.7f;
      point.writeTo(out, {x, y});
    }
    sink += out.size();
  });
  const std::string pointText = out;

  const double paramNs = nsPerLine([&] {
    out.clear();
    for (int i = 0; i < kLines; ++i) param.writeTo(out, {0.001 * i, 1LL, -1.5e-7 * i});
    sink += out.size();
  });

  const Notation n = simplexNotation();
  const double freeNs = nsPerLine([&] {
    out.clear();
    for (int i = 0; i < kLines; ++i)
      writeFreeTo(out, std::initializer_list<Item>{"   ", 0.5 * i, 1LL, 1.0e-7 * i}, n);
    sink += out.size();
  });

  const double readNs = nsPerLine([&] {
    std::istringstream in(pointText);
    FreeReader r(in, "bench");
    float x = 0, y = 0;
    for (int i = 0; i < kLines; ++i) r.record({&x, &y});
    sink += static_cast<std::size_t>(x + y);
  });

  std::printf("recordio_bench: %d lines, %d repeats\n", kLines, kRepeats);
  std::printf("  Layout (2g14.6)           %7.1f ns/line\n", layoutNs);
  std::printf("  Layout (g14.6, i5, g14.6) %7.1f ns/line\n", paramNs);
  std::printf("  free output, 4 items      %7.1f ns/line\n", freeNs);
  std::printf("  reading 2 floats          %7.1f ns/line\n", readNs);
  std::printf("  (checksum %zu)\n", sink);
  return 0;
}
