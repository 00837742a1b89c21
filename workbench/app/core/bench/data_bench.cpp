// data_bench: time ReadDataFile on a 1,000,000-point two-column ".txt" file (count on the
// third line) and a 1,000,000-point ".ras" file, and the column import of a 1,000,000-line
// tab-separated file with a header and CR LF line ends (through ImportColumns and through the
// ".xy" row of ReadDataFile), all generated in a temporary folder.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <unistd.h>

#include "BalimorDoc.h"
#include "RecordingPlatform.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPoints = 1000000;

bool WriteTxt(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "benchmark scan\ngenerated\n%d\n", kPoints);
  for (int i = 0; i < kPoints; ++i)
    std::fprintf(f, "%.4f %d\n", 5.0 + i * 0.0001, 1000 + (i * 37) % 5000);
  return std::fclose(f) == 0;
}

bool WriteRas(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "*RAS_DATA_START\r\n*FILE_COMMENT \"bench\"\r\n*RAS_INT_START\r\n");
  for (int i = 0; i < kPoints; ++i)
    std::fprintf(f, "%.4f %d 1.0000\r\n", 5.0 + i * 0.0001, 1000 + (i * 37) % 5000);
  std::fprintf(f, "*RAS_INT_END\r\n*RAS_DATA_END\r\n");
  return std::fclose(f) == 0;
}

bool WriteColumns(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "2theta\tcounts\tesd\r\n");
  for (int i = 0; i < kPoints; ++i) {
    const int y = 1000 + (i * 37) % 5000;
    std::fprintf(f, "%.4f\t%d\t%.3f\r\n", 5.0 + i * 0.0001, y, 0.5 + (i % 97) * 0.25);
  }
  return std::fclose(f) == 0;
}

// Best of three loads, in seconds; -1 when a load fails or reads the wrong count. columns:
// through ImportColumns, else ReadDataFile.
double TimeLoad(const std::string& path, bool columns = false) {
  double best = -1;
  for (int run = 0; run < 3; ++run) {
    RecordingPlatform platform;
    CBalimorDoc doc(platform, "");
    const auto t0 = std::chrono::steady_clock::now();
    const int r = columns ? doc.ImportColumns(path, {}, std::nullopt) : doc.ReadDataFile(path);
    const auto t1 = std::chrono::steady_clock::now();
    if (r < 0 || doc.GetOriginalData()->datan != kPoints) return -1;
    const double s = std::chrono::duration<double>(t1 - t0).count();
    if (best < 0 || s < best) best = s;
  }
  return best;
}

}  // namespace

int main() {
  std::error_code ec;
  const fs::path dir = fs::temp_directory_path(ec) / ("data_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir, ec);
  if (ec) {
    std::fprintf(stderr, "data_bench: can't make %s\n", dir.c_str());
    return 1;
  }
  const std::string txt = (dir / "bench.txt").string();
  const std::string ras = (dir / "bench.ras").string();
  const std::string xy = (dir / "bench.xy").string();
  int status = 0;
  if (!WriteTxt(txt) || !WriteRas(ras) || !WriteColumns(xy)) {
    std::fprintf(stderr, "data_bench: can't write the files\n");
    status = 1;
  } else {
    const double tTxt = TimeLoad(txt);
    const double tRas = TimeLoad(ras);
    const double tImport = TimeLoad(xy, true);
    const double tXy = TimeLoad(xy);
    std::printf("ReadDataFile .txt (count on third line), %d points: %.3f s\n", kPoints, tTxt);
    std::printf("ReadDataFile .ras, %d points: %.3f s\n", kPoints, tRas);
    std::printf("ImportColumns (tab, header, CR LF), %d lines: %.3f s\n", kPoints, tImport);
    std::printf("ReadDataFile .xy (the same file), %d lines: %.3f s\n", kPoints, tXy);
    if (tTxt < 0 || tRas < 0 || tImport < 0 || tXy < 0) {
      std::fprintf(stderr, "data_bench: a load failed\n");
      status = 1;
    }
  }
  fs::remove_all(dir, ec);
  return status;
}
