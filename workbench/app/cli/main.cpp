// balimor-cli: loads an instrument file exactly as the workbench does and reports or writes
// the measured data. Messages that the workbench shows in a box go to the error stream as
// "caption: text". Exit status 0 when the load (and the write) succeeded, 1 otherwise.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BalimorDoc.h"
#include "ConsolePlatform.h"
#include "GraphFrameArray.h"
#include "Profile.h"

namespace {

const char* const kUsage =
    "usage: balimor-cli COMMAND ARGUMENTS\n"
    "\n"
    "Loads FILE as the workbench does (recognised by its extension and first lines) and\n"
    "works on the measured data.\n"
    "\n"
    "commands:\n"
    "  info FILE [--section N]\n"
    "      prints, one per line: result, title, kind, x-label, y-label, label, points,\n"
    "      then first and last point when there are points.\n"
    "  export FILE OUT [--section N]\n"
    "      writes the measured data to OUT as text: the point count, then X<tab>Y per line.\n"
    "  rietan FILE OUT\n"
    "      writes the measured data to OUT as a Rietan INT file.\n"
    "  --help\n"
    "      shows this text.\n"
    "\n"
    "  --section N  answers the section choice of a file with several sections (\".xrd\",\n"
    "               \".asc\" starting \"*TYPE\") with section N (from 0); without it the\n"
    "               choice counts as cancelled and section 0 is read.\n"
    "\n"
    "Settings ([Setup] GraphPosition) come from the INI file named by BALIMOR_INI, else the\n"
    "one beside the program. Exit status: 0 when the load succeeded, 1 otherwise.\n";

struct Args {
  std::string command;
  std::vector<std::string> files;
  int section = -1;
  bool help = false;
  std::string error;
};

Args Parse(int argc, char** argv) {
  Args a;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
    } else if (arg == "--section") {
      if (i + 1 >= argc) {
        a.error = "--section needs a number";
        return a;
      }
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || n < 0 || n > 1000000) {
        a.error = std::string("bad section number: ") + argv[i];
        return a;
      }
      a.section = static_cast<int>(n);
    } else if (a.command.empty()) {
      a.command = arg;
    } else {
      a.files.push_back(arg);
    }
  }
  return a;
}

void PrintInfo(CBalimorDoc& doc, int result) {
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  const CVariousData& data = *doc.GetOriginalData();
  std::printf("result: %d\n", result);
  std::printf("title: %s\n", doc.GetPathName().c_str());
  std::printf("kind: %d\n", doc.GetDataKind());
  std::printf("x-label: %s\n", frame ? frame->xLabel.c_str() : "");
  std::printf("y-label: %s\n", frame ? frame->yLabel.c_str() : "");
  std::printf("label: %s\n", data.label.c_str());
  std::printf("points: %d\n", data.datan);
  if (data.datan > 0) {
    std::printf("first: %.10g %.10g\n", data.GetX(0), data.GetY(0));
    std::printf("last: %.10g %.10g\n", data.GetX(data.datan - 1), data.GetY(data.datan - 1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Args args = Parse(argc, argv);
  if (args.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "balimor-cli: %s\n%s", args.error.c_str(), kUsage);
    return 1;
  }
  const bool info = args.command == "info";
  const bool exportText = args.command == "export";
  const bool rietan = args.command == "rietan";
  const std::size_t wanted = info ? 1 : 2;
  if ((!info && !exportText && !rietan) || args.files.size() != wanted) {
    std::fputs(kUsage, stderr);
    return 1;
  }
  if (rietan && args.section >= 0) {
    std::fputs("balimor-cli: --section belongs to info and export\n", stderr);
    return 1;
  }

  ConsolePlatform platform;
  platform.lineAnswer = args.section;
  CGraphData::SetMessagePlatform(&platform);
  const CIniLocation ini(CIniLocation::RunningProgramPath());
  int status = 1;
  {
    CBalimorDoc doc(platform, ini.iniPath);
    const int result = doc.ReadDataFile(args.files[0]);
    const bool loaded = result >= 0;
    if (info) {
      PrintInfo(doc, result);
      status = loaded ? 0 : 1;
    } else if (loaded) {
      const std::string& out = args.files[1];
      const CVariousData& data = *doc.GetOriginalData();
      const int w = exportText ? data.WriteText(out, "w") : data.WriteRietanInt(out, "w");
      if (w < 0) {
        std::fprintf(stderr, "balimor-cli: can't write [%s]\n", out.c_str());
      } else {
        status = 0;
      }
    } else {
      std::fprintf(stderr, "balimor-cli: %s: nothing written\n", doc.GetPathName().c_str());
    }
  }
  CGraphData::SetMessagePlatform(nullptr);
  return status;
}
