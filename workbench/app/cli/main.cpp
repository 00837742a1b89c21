// balimor-cli: the workbench's document without windows. It loads an instrument file exactly
// as the workbench does and reports or writes the measured data, or sets up a fit on the setup
// form's logic (peak search, job file, model curves) and runs it. Messages that the workbench
// shows in a box go to the error stream as "caption: text". Exit status 0 when the command did
// its work, 1 otherwise.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "BalimorVersion.h"
#include "Batch.h"
#include "GraphFrameArray.h"
#include "PathText.h"
#include "Profile.h"
#include "Series.h"

// The plot command draws with Qt. So that every other command starts without loading Qt,
// balimor-cli hands plot to its sibling build balimor-cli-plot, which holds the drawing.
#if BALIMOR_CLI_PLOT
#include <QGuiApplication>

#include "GraphExport.h"
#include "QuietQtStart.h"
#include "ViewFont.h"
#endif

namespace {

const char* const kUsage =
    "usage: balimor-cli COMMAND ARGUMENTS\n"
    "\n"
    "Loads FILE as the workbench does (recognised by its extension and first lines) and\n"
    "works on the measured data.\n"
    "\n"
    "commands:\n"
    "  info FILE [--section N] [--columns [X,Y]]\n"
    "      prints, one per line: result, title, kind, x-label, y-label, label, points,\n"
    "      then first and last point when there are points.\n"
    "  export FILE OUT [--section N] [--columns [X,Y]]\n"
    "      writes the measured data to OUT as text: the point count, then X<tab>Y per line.\n"
    "  rietan FILE OUT [--columns [X,Y]]\n"
    "      writes the measured data to OUT as a Rietan INT file.\n"
    "  search FILE [COMMON]\n"
    "      runs the peak search and prints its list: the header, then one line per peak.\n"
    "  pfc FILE OUT [COMMON]\n"
    "      writes the fit job (the PFC file of the data kind's fitter) to OUT.\n"
    "  curves FILE OUT [COMMON]\n"
    "      writes the model curves to OUT, tab-separated: X Data Background Total Peak0 ...\n"
    "  fit FILE [COMMON]\n"
    "      runs the fit as \"Curve Fit\" does (job file, fitter, results copied back) and\n"
    "      prints the peak-area table and its Sigma line. The fitter's console output and\n"
    "      every question (answered yes) go to the error stream.\n"
    "  plot FILE OUT [COMMON] [--fit] [--log] [--width PX] [--height PX]\n"
    "      draws what the graph view shows (frames, axes, the data and the model curves\n"
    "      under the [GraphView] display switches, the peak-area text) into OUT: a PNG,\n"
    "      SVG or PDF file by OUT's extension. --fit fits first, as fit does; --log shows\n"
    "      the logarithm of the intensity (the form's \"Log\" button); --width and\n"
    "      --height give the size of a PNG image (default 1600 x 1000 pixels). The page\n"
    "      holds every frame and the peak-area text with a margin; the font is [GraphView]\n"
    "      ViewFontFaceName and ViewFontHeight, else DejaVu Sans Mono at 9 points.\n"
    "  series FILE... --out SUMMARY.csv [COMMON] [--chain [--start JOB] | --from JOB]\n"
    "         [-j N] [--resume] [--plot TREND] [--jobs DIR] [--order given]\n"
    "      fits every FILE as fit does, in the natural order of the names (scan_9 before\n"
    "      scan_10; --order given keeps the command line's order), and writes SUMMARY.csv,\n"
    "      one row per scan and peak: file,scan,status,cycles,S,sigma,peak,position,fwhm,\n"
    "      area,intensity,area_percent,position_err,fwhm_err,area_err. --chain (the\n"
    "      default): the first scan starts from --start JOB, else from its own job\n"
    "      (--search applies to it), every later scan from the refined job of the last\n"
    "      scan that converged. --from JOB: every scan starts from JOB's settings,\n"
    "      background and peaks. -j N: N scans at a time (with --from only), each fitter\n"
    "      in its own working folder. --jobs DIR: the job and report files go into DIR.\n"
    "      --resume: the scans already in SUMMARY.csv are skipped, the rest appended.\n"
    "      --plot: the trend of every peak's position, FWHM and area against the scan, a\n"
    "      PNG, SVG or PDF file by the extension. Progress goes to the error stream;\n"
    "      Ctrl+C ends the running fitters, restores their jobs and exits 130. Exit\n"
    "      status 0 when every scan converged, 1 otherwise.\n"
    "  series --merge OUT.csv PART.csv...\n"
    "      joins summaries written in parts into OUT.csv, as one run over all the files.\n"
    "  --help\n"
    "      shows this text.\n"
    "  --version\n"
    "      prints the program's name and version.\n"
    "\n"
    "COMMON options, applied in this order after FILE is loaded as the setup form's input\n"
    "(the job FILE#n.pfc and the report FILE#n.out beside it, an existing job read):\n"
    "  --kind 1|2          data kind: 1 diffraction, 2 Raman/IR\n"
    "  --pfc JOB           the job file: JOB is read with its points, which replace the data\n"
    "  --range LOW HIGH    the optimisation and the output range\n"
    "  --program PATH      the fitter of the data kind for this run\n"
    "  --method M          the diffraction fitter's method for this run: Marq (fixed\n"
    "                      damping) or MarqAdaptive (damping adapted to every step,\n"
    "                      with standard errors in the report)\n"
    "  --clear             the peaks and the background of the job cleared (as \"Clear\n"
    "                      Peaks\" does) before --search, so that a repeated fit --search\n"
    "                      gives the same job\n"
    "  --search            the peak search, its peaks added to the peak table\n"
    "  --smooth N          the search's half-width (default [PeakSearch] nSmooth)\n"
    "  --threshold T       the search's least peak height (default [PeakSearch] Threshold)\n"
    "  --search-method M   the search: slope (a smoothed slope, the least height above the\n"
    "                      lowest point) or prominence (the least prominence, and k times\n"
    "                      the noise, k = [PeakSearch] NoiseFactor); default [PeakSearch] Method\n"
    "  --section N         answers the section choice of a file with several sections\n"
    "                      (\".xrd\", \".asc\" starting \"*TYPE\") with section N (from 0);\n"
    "                      without it the choice counts as cancelled and section 0 is read.\n"
    "  --columns [X,Y]     reads FILE as column text whatever its extension: columns X\n"
    "                      and Y (from 1; default the first two numeric columns), the\n"
    "                      delimiter, a decimal comma and the header found from the data,\n"
    "                      rows without numbers there skipped. Also for info, export and\n"
    "                      rietan.\n"
    "\n"
    "Settings come from the INI file named by BALIMOR_INI, else the one beside the program;\n"
    "balimor-cli never writes it. An empty XRDLSQProgram or RamanLSQProgram means the xZentrab\n"
    "or simplexfit beside balimor-cli. The job and report files of a fit are those the\n"
    "workbench uses, in the job's folder (with prev.pfc, prevout.txt, out.txt and new.pfc).\n"
    "Exit status: 0 when the command did its work (for fit: the refined job replaced the job\n"
    "file), 1 otherwise.\n";

struct Args {
  std::string command;
  std::vector<std::string> files;
  BatchOptions options;
  bool help = false;
  bool common = false;  // an option other than --section was given
  // plot: fit first, the log display, the image size; plotOption when any was given.
  bool fit = false, log = false, plotOption = false;
  SeriesOptions series;  // the series command's own options
  int width = 1600, height = 1000;
  std::string error;
};

bool ParseNumber(const char* text, double& v) {
  char* end = nullptr;
  v = std::strtod(text, &end);
  return end != text && *end == '\0';
}

bool ParseInt(const char* text, long lo, long hi, int& v) {
  char* end = nullptr;
  const long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < lo || n > hi) return false;
  v = static_cast<int>(n);
  return true;
}

// "X,Y" of --columns: two column numbers from 1.
bool ParseColumnPair(const std::string& text, CColumnChoice& choice) {
  const std::size_t comma = text.find(',');
  return comma != std::string::npos && ParseInt(text.substr(0, comma).c_str(), 1, 1000000, choice.xColumn) &&
         ParseInt(text.substr(comma + 1).c_str(), 1, 1000000, choice.yColumn);
}

Args Parse(int argc, char** argv) {
  Args a;
  BatchOptions& o = a.options;
  // Each option: its name, the number of values it takes and what it does with them (false
  // when a value is bad).
  struct Option {
    const char* name;
    int values;
    std::function<bool(char**)> take;
  };
  const Option options[] = {
      {"--section", 1, [&](char** v) { return ParseInt(v[0], 0, 1000000, o.section); }},
      {"--kind", 1,
       [&](char** v) {
         int n;
         if (!ParseInt(v[0], 1, 2, n)) return false;
         o.kind = DataKindOfNumber(n);
         return true;
       }},
      {"--pfc", 1, [&](char** v) { o.pfc = v[0]; return !o.pfc.empty(); }},
      {"--range", 2,
       [&](char** v) {
         double lo, hi;
         if (!ParseNumber(v[0], lo) || !ParseNumber(v[1], hi)) return false;
         o.low = lo;
         o.high = hi;
         return true;
       }},
      {"--program", 1, [&](char** v) { o.program = v[0]; return !o.program.empty(); }},
      {"--method", 1,
       [&](char** v) {
         for (const char* m : kFitMethods)
           if (std::string(v[0]) == m) o.method = m;
         return !o.method.empty();
       }},
      {"--clear", 0, [&](char**) { return o.clear = true; }},
      {"--search", 0, [&](char**) { return o.search = true; }},
      {"--search-method", 1,
       [&](char** v) {
         const std::string m = v[0];
         if (m != "slope" && m != "prominence") return false;
         o.searchMethod = PeakSearchMethodOf(m);
         return true;
       }},
      {"--smooth", 1,
       [&](char** v) {
         int n;
         if (!ParseInt(v[0], -1000000, 1000000, n)) return false;
         o.smooth = n;
         return true;
       }},
      {"--threshold", 1,
       [&](char** v) {
         double t;
         if (!ParseNumber(v[0], t)) return false;
         o.threshold = t;
         return true;
       }},
      {"--fit", 0, [&](char**) { return a.plotOption = a.fit = true; }},
      {"--log", 0, [&](char**) { return a.plotOption = a.log = true; }},
      {"--width", 1, [&](char** v) { return (a.plotOption = true) && ParseInt(v[0], 1, 30000, a.width); }},
      {"--height", 1, [&](char** v) { return (a.plotOption = true) && ParseInt(v[0], 1, 30000, a.height); }},
      // The series command's own options, from kFirstSeriesOption on.
      {"--out", 1, [&](char** v) { a.series.out = v[0]; return !a.series.out.empty(); }},
      {"--chain", 0, [&](char**) { return a.series.chain = true; }},
      {"--start", 1, [&](char** v) { a.series.start = v[0]; return !a.series.start.empty(); }},
      {"--from", 1, [&](char** v) { a.series.from = v[0]; return !a.series.from.empty(); }},
      {"-j", 1, [&](char** v) { return ParseInt(v[0], 1, 64, a.series.jobs); }},
      {"--resume", 0, [&](char**) { return a.series.resume = true; }},
      {"--plot", 1, [&](char** v) { a.series.plot = v[0]; return !a.series.plot.empty(); }},
      {"--jobs", 1, [&](char** v) { a.series.jobsDir = v[0]; return !a.series.jobsDir.empty(); }},
      {"--order", 1,
       [&](char** v) { return (a.series.orderGiven = std::string(v[0]) == "given"); }},
      {"--merge", 0, [&](char**) { return a.series.merge = true; }},
  };
  const std::ptrdiff_t kFirstSeriesOption = 15;
  static_assert(sizeof options / sizeof options[0] == 25);
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      a.help = true;
      continue;
    }
    // --columns takes "X,Y" when the next argument is one (an argument that starts with a digit
    // and holds a comma is taken as such).
    if (arg == "--columns") {
      o.columns = CColumnChoice{};
      const std::string next = i + 1 < argc ? argv[i + 1] : "";
      if (!next.empty() && next[0] >= '0' && next[0] <= '9' && next.find(',') != std::string::npos) {
        if (!ParseColumnPair(next, *o.columns)) {
          a.error = "bad value for --columns";
          return a;
        }
        ++i;
      }
      continue;
    }
    bool matched = false;
    for (const Option& opt : options) {
      if (arg != opt.name) continue;
      matched = true;
      if (i + opt.values >= argc) {
        a.error = arg + " needs " + (opt.values == 1 ? "a value" : "two values");
        return a;
      }
      if (!opt.take(argv + i + 1)) {
        a.error = "bad value for " + arg;
        return a;
      }
      const bool seriesOption = &opt >= options + kFirstSeriesOption;
      if (arg != "--section" && !seriesOption) a.common = true;
      if (seriesOption) a.series.any = true;
      i += opt.values;
    }
    if (matched) continue;
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      a.error = "unknown option " + arg;
      return a;
    }
    if (a.command.empty())
      a.command = arg;
    else
      a.files.push_back(arg);
  }
  return a;
}

// Why FILE cannot be read (the system's text), or "" when it can.
std::string UnreadableReason(const std::string& path) {
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::strerror(errno ? errno : ENOENT);
  char c;
  errno = 0;
  const bool failed = std::fread(&c, 1, 1, f) == 0 && std::ferror(f);
  const int e = errno ? errno : EIO;
  std::fclose(f);
  return failed ? std::strerror(e) : "";
}

void PrintInfo(CBalimorDoc& doc, int result) {
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  const CVariousData& data = *doc.GetOriginalData();
  std::printf("result: %d\n", result);
  std::printf("title: %s\n", doc.GetPathName().c_str());
  std::printf("kind: %d\n", DataKindNumber(doc.GetDataKind()));
  std::printf("x-label: %s\n", frame ? frame->xLabel.c_str() : "");
  std::printf("y-label: %s\n", frame ? frame->yLabel.c_str() : "");
  std::printf("label: %s\n", data.label.c_str());
  std::printf("points: %d\n", data.datan);
  if (data.datan > 0) {
    std::printf("first: %.10g %.10g\n", data.GetX(0), data.GetY(0));
    std::printf("last: %.10g %.10g\n", data.GetX(data.datan - 1), data.GetY(data.datan - 1));
  }
}

// info, export and rietan: the document alone.
int RunDataCommand(const Args& args) {
  ConsolePlatform platform;
  platform.lineAnswer = args.options.section;
  const CIniLocation ini = CIniLocation::ForProgram(platform, platform.RunningProgramPath());
  int status = 1;
  {
    CBalimorDoc doc(platform, ini.iniPath, ini.programDir);
    doc.Ini().SetReadOnly(true);
    const CColumnChoice* columns = args.options.columns ? &*args.options.columns : nullptr;
    const int result = columns ? doc.ImportColumns(args.files[0], *columns, std::nullopt)
                               : doc.ReadDataFile(args.files[0]);
    const bool loaded = result >= 0;
    if (args.command == "info") {
      PrintInfo(doc, result);
      status = loaded ? 0 : 1;
    } else if (loaded) {
      const std::string& out = args.files[1];
      const CVariousData& data = *doc.GetOriginalData();
      const int w = args.command == "export" ? data.WriteText(out, "w") : WriteRietanInt(data, out, "w");
      if (w < 0) {
        std::fprintf(stderr, "balimor-cli: can't write [%s]\n", out.c_str());
      } else {
        status = 0;
      }
    } else {
      std::fprintf(stderr, "balimor-cli: %s: nothing written\n", doc.GetPathName().c_str());
    }
  }
  return status;
}

// The model curves as tab-separated columns, each value "%.10g".
int WriteCurves(CBatchSession& s, const std::string& out) {
  CPeakSearch& r = s.doc.GetPeakSearch();
  const CVariousData& data = *s.doc.GetOriginalData();
  if (r.MakeModelCurves(data.datan) != 1) {
    std::fprintf(stderr, "balimor-cli: no model curves for data kind %d\n", DataKindNumber(r.dataKind));
    return 1;
  }
  std::string text = "X\tData\tBackground\tTotal";
  for (int j = 0; j < r.PeakCurveCount(); ++j) text += "\tPeak" + std::to_string(j);
  text += "\n";
  char buf[32];
  auto put = [&](double v, const char* sep) {
    std::snprintf(buf, sizeof buf, "%s%.10g", sep, v);
    text += buf;
  };
  for (int i = 0; i < data.datan; ++i) {
    put(data.ScaledX(i), "");
    put(data.ScaledY(i), "\t");
    put(r.backgroundCurve.GetY(i), "\t");
    put(r.totalCurve.GetY(i), "\t");
    for (int j = 0; j < r.PeakCurveCount(); ++j) put(r.PeakCurve(j)->GetY(i), "\t");
    text += "\n";
  }
  if (WriteFileText(out, "w", text) != 0) {
    std::fprintf(stderr, "balimor-cli: can't write [%s]\n", out.c_str());
    return 1;
  }
  return 0;
}

#if BALIMOR_CLI_PLOT
// plot: optionally the fit and the log display, then the graph into the picture file. Qt draws
// it on its offscreen platform (unless QT_QPA_PLATFORM names another), so no display is needed.
int Plot(CBatchSession& s, const Args& args) {
  if (args.fit) {
    s.form.OnExecdastelbutton();
    if (!s.form.lastFitRefined) {
      std::fputs("balimor-cli: the fit gave no refined job; nothing drawn\n", stderr);
      return 1;
    }
  }
  if (args.log) s.form.OnLog();
  const auto app = StartDrawingApplication();
  CGraphExportOptions options;
  options.widthPx = args.width;
  options.heightPx = args.height;
  // The view's font record as the view makes it, the console's face standing in for a window's.
  options.font = LoadViewFont(s.doc.Ini(), &kConsoleFont, PointsPerPixelOfDpi(96));
  std::string error;
  if (!ExportGraph(s.doc, args.files[1], options, error)) {
    std::fprintf(stderr, "balimor-cli: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
#else
// plot: the run goes on as balimor-cli-plot beside this program, with the same arguments.
int Plot(CBatchSession&, const Args&) { return 1; }

[[noreturn]] void RunPlotProgram(char** argv) {
  ConsolePlatform platform;
  const std::string plot = pathtext::FolderOrCurrent(platform.RunningProgramPath()) + "/balimor-cli-plot";
  const std::string why = platform.ReplaceWithProgram(plot, argv);
  std::fprintf(stderr, "balimor-cli: can't start [%s]: %s\n", plot.c_str(), why.c_str());
  std::exit(1);
}
#endif

// search, pfc, curves, fit and plot: the setup form's logic on the loaded file.
int RunBatchCommand(const Args& args) {
  const std::string& cmd = args.command;
  CBatchSession s(args.options, true);
  int status = 1;
  if (s.Prepare(args.files[0], cmd == "search")) {
    if (cmd == "search") {
      for (const std::string& line : s.searchDialog->list) std::printf("%s\n", line.c_str());
      status = 0;
    } else if (cmd == "pfc") {
      const int w = s.doc.GetPeakSearch().SavePFCFile(args.files[1]);
      if (w == 0)
        std::fprintf(stderr, "balimor-cli: data kind %d has no job file\n", DataKindNumber(s.doc.GetDataKind()));
      status = w == 1 ? 0 : 1;
    } else if (cmd == "curves") {
      status = WriteCurves(s, args.files[1]);
    } else if (cmd == "fit") {
      s.form.OnExecdastelbutton();
      std::fputs(WithNewlines(s.doc.peakAreaText).c_str(), stdout);
      status = s.form.lastFitRefined ? 0 : 1;
    } else if (cmd == "plot") {
      status = Plot(s, args);
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (balimor::PrintVersionIfAsked(argc, argv, "balimor-cli")) return 0;
  const Args args = Parse(argc, argv);
  if (args.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!args.error.empty()) {
    std::fprintf(stderr, "balimor-cli: %s\n%s", args.error.c_str(), kUsage);
    return 1;
  }
  if (args.command == "series") {
    if (args.plotOption) {
      std::fputs("balimor-cli: --fit, --log, --width and --height belong to plot\n", stderr);
      return 1;
    }
#if !BALIMOR_CLI_PLOT
    if (!args.series.plot.empty()) RunPlotProgram(argv);
#endif
    return RunSeriesCommand(args.files, args.options, args.series);
  }
  if (args.series.any) {
    std::fputs("balimor-cli: --out, --chain, --start, --from, -j, --resume, --plot, --jobs, --order and --merge belong to series\n",
               stderr);
    return 1;
  }
  struct Command {
    const char* name;
    std::size_t files;
    bool batch;  // takes the COMMON options
  };
  const Command commands[] = {{"info", 1, false},   {"export", 2, false}, {"rietan", 2, false},
                              {"search", 1, true},  {"pfc", 2, true},     {"curves", 2, true},
                              {"fit", 1, true},     {"plot", 2, true}};
  for (const Command& c : commands) {
    if (args.command != c.name) continue;
    if (args.files.size() != c.files) break;
    if (args.plotOption && args.command != "plot") {
      std::fputs("balimor-cli: --fit, --log, --width and --height belong to plot\n", stderr);
      return 1;
    }
    if (!c.batch && args.common) {
      std::fprintf(stderr, "balimor-cli: %s takes no fit options\n", c.name);
      return 1;
    }
    if (args.command == "rietan" && args.options.section >= 0) {
      std::fputs("balimor-cli: --section belongs to info and export\n", stderr);
      return 1;
    }
    // A FILE that cannot be read is named as such instead of being loaded as invalid data;
    // info alone shows what the loader makes of it.
    if (args.command != "info") {
      const std::string why = UnreadableReason(args.files[0]);
      if (!why.empty()) {
        std::fprintf(stderr, "balimor-cli: %s: %s\nbalimor-cli: %s: the file could not be loaded\n",
                     args.files[0].c_str(), why.c_str(), args.files[0].c_str());
        return 1;
      }
    }
#if !BALIMOR_CLI_PLOT
    if (args.command == "plot") RunPlotProgram(argv);
#endif
    return c.batch ? RunBatchCommand(args) : RunDataCommand(args);
  }
  std::fputs(kUsage, stderr);
  return 1;
}
