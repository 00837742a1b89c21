// Fits run end to end through the setup form: the real built fitters in a scratch folder whose
// name holds a blank and a non-ASCII letter, and stand-in fitters that fail in every way a run
// can fail. The user's job file is never lost.
#include <sys/stat.h>

#include <cstring>

#include "DocTestSupport.h"
#include "FitRun.h"
#include "IniKeys.h"
#include "PeakSearchDialog.h"
#include "SetupForm.h"

namespace doctest {
namespace {

using C = CPeakSearch;

class FitRunTest : public DocTest {
 protected:
  void SetUp() override {
    DocTest::SetUp();
    work = dir / "fit ü";
    fs::create_directories(work);
    // The fitters beside the "running program": an empty program setting finds them.
    doc = std::make_unique<CBalimorDoc>(platform, ini, fs::path(XZENTRAB_PATH).parent_path().string());
    form = std::make_unique<CSetupForm>(*doc);
  }
  void TearDown() override {
    form.reset();
    doc.reset();
    DocTest::TearDown();
  }
  CPeakSearch& Record() { return doc->GetPeakSearch(); }
  std::string W(const std::string& name) const { return (work / name).string(); }

  // The bundled diffraction scan loaded and its six peaks found.
  void LoadDemoScan() {
    fs::copy_file(fs::path(BALIMOR_EXAMPLES_DIR) / "diffraction" / "demo.txt", work / "demo.txt");
    ASSERT_EQ(form->OpenInputFile(W("demo.txt")), 1);
    auto dialog = form->MakePeakSearchDialog();
    ASSERT_TRUE(dialog);
    dialog->threshold = 300;
    dialog->OnSearch();
    dialog->OnOK();
    form->AfterPeakSearch();
    ASSERT_EQ(Record().peakCount, 6);
  }

  // A stand-in fitter: a shell script in the working folder.
  std::string StandIn(const std::string& name, const std::string& body) {
    const std::string path = W(name);
    Write((work / name).lexically_relative(dir).string(), "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // A fit that fails must leave the job exactly as it was before the run, and a message.
  void ExpectRestored(const std::string& caption, const std::string& text) {
    EXPECT_FALSE(form->lastFitRefined);
    EXPECT_EQ(Slurp(form->pfcPath), Slurp(W("prev.pfc")));
    EXPECT_EQ(Slurp(form->pfcPath).rfind("title\n", 0), 0u);
    bool found = false;
    for (const auto& m : platform.messages)
      if (m.caption == caption && m.text.find(text) != std::string::npos) found = true;
    EXPECT_TRUE(found) << caption << ": " << text << "\n got: " << ::testing::PrintToString(platform.MessageLines());
  }

  fs::path work;
  std::unique_ptr<CBalimorDoc> doc;
  std::unique_ptr<CSetupForm> form;
};

// The S and sigma of the last " Start cycle " line of a report.
std::pair<double, double> LastCycle(const std::string& report) {
  std::pair<double, double> last{-1, -1};
  for (std::size_t at = report.find(" Start cycle "); at != std::string::npos;
       at = report.find(" Start cycle ", at + 1)) {
    last.first = std::strtod(report.c_str() + report.find("S=", at) + 2, nullptr);
    last.second = std::strtod(report.c_str() + report.find("sigma=", at) + 6, nullptr);
  }
  return last;
}

TEST_F(FitRunTest, DiffractionFitWithXZentrab) {
  LoadDemoScan();
  Write("fit ü/demo#0.out", "the report of an earlier run\n");
  form->OnExecdastelbutton();
  ASSERT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
  EXPECT_TRUE(platform.messages.empty()) << ::testing::PrintToString(platform.MessageLines());
  ASSERT_EQ(platform.runs.size(), 1u);
  const auto& run = platform.runs[0];
  EXPECT_EQ(run.argv, (std::vector<std::string>{XZENTRAB_PATH, form->pfcPath}));
  EXPECT_EQ(run.workingDir, work.string());
  EXPECT_EQ(run.commandLine, "\"" XZENTRAB_PATH "\" \"" + form->pfcPath + "\"");

  // The job file is the refined job, and the record holds its peaks.
  EXPECT_EQ(Slurp(form->pfcPath), Slurp(W("new.pfc")));
  EXPECT_EQ(Slurp(W("prev.pfc")).rfind("title\n", 0), 0u);
  EXPECT_EQ(Slurp(W("prevout.txt")), "the report of an earlier run\n");
  CPeakSearch refined;
  CGraphData points;
  refined.dataSet = &points;
  std::string program;
  refined.ReadZentrabPFCFile(W("new.pfc"), program, true);
  ASSERT_EQ(Record().peakCount, 6);
  for (int j = 0; j < 6; ++j) EXPECT_DOUBLE_EQ(Record().Value(C::kPosition, j), refined.Value(C::kPosition, j));
  EXPECT_NEAR(Record().Value(C::kPosition, 0), 28.44, 0.01);
  EXPECT_EQ(form->peakList.size(), 6u);

  // The report and the peak-area text with its Sigma line.
  const std::string report = Slurp(form->outputPath);
  EXPECT_EQ(report, Slurp(W("out.txt")));
  EXPECT_EQ(doc->ReportText(), report);
  const std::string& areas = doc->peakAreaText;
  EXPECT_EQ(areas.rfind(" *** Peak area: #   2Q", 0), 0u);
  const auto [S, sigma] = LastCycle(report);
  char sigmaLine[128];
  std::snprintf(sigmaLine, sizeof sigmaLine, "\r\nSigma: %lg   %lg %%", S, sigma);
  EXPECT_GT(S, 0);
  EXPECT_EQ(areas.substr(areas.size() - std::strlen(sigmaLine)), sigmaLine);

  // The model of the refined peaks follows the data.
  ASSERT_EQ(Record().MakeModelCurves(doc->GetOriginalData()->datan), 1);
  EXPECT_EQ(Record().PeakCurveCount(), 6);

  // A second run keeps the first run's report as prevout.txt.
  form->OnExecdastelbutton();
  EXPECT_TRUE(form->lastFitRefined);
  EXPECT_EQ(Slurp(W("prevout.txt")), report);
}

TEST_F(FitRunTest, RamanFitWithSimplexfitAndWithAZentrabBuild) {
  // The bundled Raman job: its points as a ".ram" file, the job itself as the PFC file.
  const std::string job = (fs::path(BALIMOR_EXAMPLES_DIR) / "raman" / "fit.pfc").string();
  CPeakSearch source;
  CGraphData points;
  source.dataSet = &points;
  source.dataKind = DataKind::Spectroscopic;
  ASSERT_EQ(source.ReadRamanPFCFile(job, true), 1);
  std::string ram;
  for (int i = 0; i < points.datan; ++i) ram += std::to_string(points.GetX(i)) + " " + std::to_string(points.GetY(i)) + "\n";
  Write("fit ü/glass.ram", ram);
  ASSERT_EQ(form->OpenInputFile(W("glass.ram")), 1);
  ASSERT_EQ(Record().dataKind, DataKind::Spectroscopic);
  fs::copy_file(job, form->pfcPath);
  ASSERT_EQ(form->ReloadPfc(form->pfcPath), 1);
  const int peaks = Record().peakCount;
  ASSERT_GT(peaks, 0);
  Record().maxIteration = 3000;  // no question below 100

  form->OnExecdastelbutton();
  ASSERT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
  ASSERT_EQ(platform.runs.size(), 1u);
  EXPECT_EQ(platform.runs[0].argv, (std::vector<std::string>{SIMPLEXFIT_PATH}));
  EXPECT_EQ(platform.runs[0].commandLine, SIMPLEXFIT_PATH);
  EXPECT_TRUE(fs::exists(W("fit.pfc")));
  EXPECT_EQ(Slurp(form->pfcPath), Slurp(W("new.pfc")));
  EXPECT_EQ(Record().peakCount, peaks);
  const std::string& areas = doc->peakAreaText;
  EXPECT_EQ(areas.rfind("[Peak Area]", 0), 0u);
  EXPECT_EQ(areas.find("[Save"), std::string::npos);
  char sigmaLine[128];
  std::snprintf(sigmaLine, sizeof sigmaLine, "\r\nSigma: %lg   %lg %%", Record().S, Record().R);
  EXPECT_GT(Record().S, 0);
  EXPECT_EQ(areas.substr(areas.size() - std::strlen(sigmaLine)), sigmaLine);

  // A Raman/IR program named like a Zentrab build gets the diffraction form and the quoted
  // two-argument command line.
  const std::string zentrab = W("my zentrab2");
  fs::create_symlink(ZENTRAB_PATH, zentrab);
  doc->Ini().WriteString(ini::kRamanLSQProgram, zentrab);
  Record().maxIteration = 20;
  form->OnExecdastelbutton();
  ASSERT_EQ(platform.runs.size(), 2u);
  EXPECT_EQ(platform.runs[1].argv, (std::vector<std::string>{zentrab, form->pfcPath}));
  EXPECT_EQ(platform.runs[1].commandLine, "\"" + zentrab + "\" \"" + form->pfcPath + "\"");
  EXPECT_TRUE(CPeakSearch::IsMarqPFCFile(W("prev.pfc")));
  EXPECT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
  EXPECT_EQ(doc->peakAreaText.rfind(" *** Peak area: #   2Q        C", 0), 0u);
}

TEST_F(FitRunTest, FailedRunsRestoreTheJob) {
  LoadDemoScan();
  struct Case {
    const char* what;
    const char* script;
    const char* caption;
    const char* text;
  };
  const Case cases[] = {
      {"no new.pfc", "echo report > out.txt", "Calculation error", "new.pfc] doesn't exist\r\nSome error must occur in the calculation"},
      {"a truncated new.pfc", "head -c 300 prev.pfc > new.pfc", "Calculation error", "new.pfc] is incomplete or damaged"},
      {"garbage in new.pfc", "head -c 40 prev.pfc > new.pfc; printf 'x\\001\\377 q\\n%.0s' $(seq 50) >> new.pfc",
       "Calculation error", "is incomplete or damaged"},
      {"a crash after a whole new.pfc", "cp prev.pfc new.pfc; kill -SEGV $$", "Calculation error", "ended by signal 11"},
  };
  for (const Case& c : cases) {
    platform.messages.clear();
    doc->Ini().WriteString(ini::kXRDLSQProgram, StandIn("fitter.sh", c.script));
    form->OnExecdastelbutton();
    ExpectRestored(c.caption, c.text);
    EXPECT_EQ(Record().peakCount, 6) << c.what;
  }

  // A fitter that hangs is cancelled; the job is kept and the next fit runs normally.
  platform.messages.clear();
  doc->Ini().WriteString(ini::kXRDLSQProgram, StandIn("hang.sh", "echo working; sleep 60"));
  platform.cancelOnOutput = "working";
  const auto t0 = std::chrono::steady_clock::now();
  form->OnExecdastelbutton();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
  EXPECT_EQ(platform.runs.back().result.status, ProgramRun::kCancelled);
  ExpectRestored("Fit cancelled", "The calculation was cancelled");
  EXPECT_EQ(doc->peakAreaText, "");  // no Sigma of the run that did not finish, nor of the one before
  platform.cancelOnOutput.clear();
  doc->Ini().WriteString(ini::kXRDLSQProgram, "");
  form->OnExecdastelbutton();
  EXPECT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
}

// How a run ended, said beside its result: a fit stopped at its cycle or iteration limit and a
// peak outside the data are noted in the status bar and at the report's end, the refined job
// taken all the same; a converged fit says nothing more. A job beyond its fitter's limits is
// refused before anything is written or run.
TEST_F(FitRunTest, RunsSayHowTheyEndedAndJobsBeyondTheLimitsAreRefused) {
  using E = CFitOutcome::End;
  LoadDemoScan();
  struct Case {
    const char* what;
    int maxIteration;
    double addPeakAt;  // 0 for none
    E end;
    const char* status;  // the status note, "" for none
  };
  const Case cases[] = {
      {"three cycles", 3, 0, E::kAtLimit, "fit: stopped at the cycle limit (3) before converging"},
      {"converged", 30, 0, E::kConverged, ""},
      {"a peak outside the data", 30, 5, E::kConverged, "fit: Peak 7: centre 5 lies outside the data, 20 … 80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform.statusNotes.clear();
    Record().maxIteration = c.maxIteration;
    if (c.addPeakAt != 0) {
      Record().AddPeak(c.addPeakAt, 100, 1, 1, 0.1);
      form->optLow = 3;  // the optimisation range takes the peak in; the data does not
    }
    form->OnExecdastelbutton();
    EXPECT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
    const CFitOutcome& o = form->lastFitOutcome;
    EXPECT_EQ(o.end, c.end);
    EXPECT_EQ(o.limit, c.maxIteration);
    if (c.end == E::kAtLimit) {
      EXPECT_EQ(o.done, c.maxIteration);
    }
    const std::string status = c.status;
    EXPECT_EQ(platform.statusNotes, status.empty() ? std::vector<std::string>{} : std::vector<std::string>{status});
    const std::string& report = doc->ReportText();
    if (!status.empty()) {
      EXPECT_EQ(report.substr(report.size() - o.Notes().size() - 1), o.Notes() + "\n");
    }
    EXPECT_EQ(report.find("Fit stopped at the cycle limit") != std::string::npos, c.end == E::kAtLimit);
    EXPECT_NE(doc->peakAreaText.find("\r\nSigma: "), std::string::npos);
  }

  // 75 peaks: refused with the limit named; the job, the report and the peak-area text stay.
  while (Record().peakCount < 75) Record().AddPeak(40 + 0.1 * Record().peakCount, 100, 1, 1, 0.1);
  const std::string job = Slurp(form->pfcPath), report = doc->ReportText(), areas = doc->peakAreaText;
  const std::size_t runs = platform.runs.size();
  platform.messages.clear();
  form->OnExecdastelbutton();
  EXPECT_EQ(platform.MessageLines(),
            (std::vector<std::string>{
                "Curve Fit: The fit has 75 peaks; xZentrab takes at most 70. Raise the search threshold or narrow the range."}));
  EXPECT_EQ(platform.runs.size(), runs);
  EXPECT_FALSE(form->lastFitRefined);
  EXPECT_EQ(Slurp(form->pfcPath), job);
  EXPECT_EQ(doc->ReportText(), report);
  EXPECT_EQ(doc->peakAreaText, areas);

  // simplexfit at its iteration limit, on the bundled Raman job.
  const std::string ramanJob = (fs::path(BALIMOR_EXAMPLES_DIR) / "raman" / "fit.pfc").string();
  CPeakSearch source;
  CGraphData points;
  source.dataSet = &points;
  source.dataKind = DataKind::Spectroscopic;
  ASSERT_EQ(source.ReadRamanPFCFile(ramanJob, true), 1);
  std::string ram;
  for (int i = 0; i < points.datan; ++i) ram += std::to_string(points.GetX(i)) + " " + std::to_string(points.GetY(i)) + "\n";
  Write("fit ü/glass.ram", ram);
  ASSERT_EQ(form->OpenInputFile(W("glass.ram")), 1);
  fs::copy_file(ramanJob, form->pfcPath);
  ASSERT_EQ(form->ReloadPfc(form->pfcPath), 1);
  Record().maxIteration = 100;  // no question from 100 on
  platform.statusNotes.clear();
  form->OnExecdastelbutton();
  EXPECT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
  EXPECT_EQ(form->lastFitOutcome.end, E::kAtLimit);
  EXPECT_EQ(form->lastFitOutcome.Status(), "not converged (100 iterations)");
  EXPECT_EQ(platform.statusNotes, std::vector<std::string>{"fit: stopped at the iteration limit (100) before converging"});
  EXPECT_EQ(form->lastFitOutcome.s, Record().S);
}

// The description of the run a record's job goes to, and the scan of each fitter's report
// (read through the 256-byte line buffer, so a long line is looked at in pieces).
TEST_F(FitRunTest, RunDescriptionsAndReportScans) {
  CPeakSearch r;
  r.xrdProgram = "/f/xZentrab";
  r.ramanProgram = "/f/simplexfit";
  const CFitRunPlan x = FitRunFor(r, "/w/a#0.pfc", "/w/a#0.out");
  EXPECT_EQ(x.argv, (std::vector<std::string>{"/f/xZentrab", "/w/a#0.pfc"}));
  EXPECT_EQ(x.commandLine, "\"/f/xZentrab\" \"/w/a#0.pfc\"");
  EXPECT_EQ(x.workDir, "/w");
  EXPECT_FALSE(x.jobAsFitPfc);
  EXPECT_TRUE(x.scan.cycleStatistics);
  r.dataKind = DataKind::Spectroscopic;
  const CFitRunPlan s = FitRunFor(r, "a#0.pfc", "a#0.out");
  EXPECT_EQ(s.argv, (std::vector<std::string>{"/f/simplexfit"}));
  EXPECT_EQ(s.commandLine, "/f/simplexfit");
  EXPECT_EQ(s.workDir, ".");
  EXPECT_TRUE(s.jobAsFitPfc);
  EXPECT_EQ(s.readBack, CFitRunPlan::JobForm::kRaman);
  r.ramanProgram = "/f/Zentrab";
  EXPECT_EQ(FitRunFor(r, "/w/a#0.pfc", "/w/a#0.out").argv, (std::vector<std::string>{"/f/Zentrab", "/w/a#0.pfc"}));

  const std::string zentrab = Write("z.out", " Start cycle   1 S=  10.5 sigma=  2\n" + std::string(300, 'x') +
                                                 "\n *** Peak area: #   2Q\n  1  28.4\n Start cycle   2 S= 9 sigma= 1.5\n");
  const CReportPart zp = ScanReport(zentrab, kZentrabReport);
  EXPECT_TRUE(zp.read);
  EXPECT_EQ(zp.text, " *** Peak area: #   2Q\n  1  28.4\n Start cycle   2 S= 9 sigma= 1.5\n");
  EXPECT_EQ(zp.s, 9);
  EXPECT_EQ(zp.sigma, 1.5);
  const std::string simplex = Write("s.out", "[Fit]\n1\n[Peak Area]\n 1 100\n 2 200\n[Spectrum]\n3\n");
  const CReportPart sp = ScanReport(simplex, kSimplexReport);
  EXPECT_EQ(sp.text, "[Peak Area]\n 1 100\n 2 200\n");
  EXPECT_EQ(sp.s, -1);
  EXPECT_FALSE(ScanReport(W("none.out"), kSimplexReport).read);
  EXPECT_EQ(SigmaLine(692899, 7.53665), "\r\nSigma: 692899   7.53665 %");
}

TEST_F(FitRunTest, ProgramsThatCannotStart) {
  LoadDemoScan();
  const std::string missing = W("no such fitter");
  doc->Ini().WriteString(ini::kXRDLSQProgram, missing);
  form->OnExecdastelbutton();
  ASSERT_FALSE(platform.messages.empty());
  EXPECT_EQ(platform.MessageLines().back(), "Error: Can't exec [\"" + missing + "\" \"" + form->pfcPath + "\"]");
  EXPECT_TRUE(fs::exists(form->pfcPath));

  // simplexfit's run takes the job away for the run; a program that cannot start gives it back.
  Record().dataKind = DataKind::Spectroscopic;
  doc->Ini().WriteString(ini::kRamanLSQProgram, missing);
  Record().maxIteration = 500;
  form->OnExecdastelbutton();
  EXPECT_EQ(platform.MessageLines().back(), "Error: Can't exec [" + missing + "]");
  ASSERT_TRUE(fs::exists(form->pfcPath));
  EXPECT_EQ(Slurp(form->pfcPath), Slurp(W("prev.pfc")));

  // A job folder that has gone: the copy to prev.pfc fails and nothing runs.
  form->pfcPath = (dir / "gone" / "job.pfc").string();
  const std::size_t runs = platform.runs.size();
  Record().dataKind = DataKind::Diffraction;
  Record().maxIteration = 30;
  form->OnExecdastelbutton();
  EXPECT_EQ(platform.runs.size(), runs);
  EXPECT_EQ(platform.MessageLines().back(), "Error in CPeakSearch::SaveZentrabPFCFile: Can't open " + form->pfcPath);
}

}  // namespace
}  // namespace doctest

namespace doctest {
namespace {

// Makes a folder read-only even for the superuser (whose writes ignore permissions) by the
// immutable attribute; false when neither way makes a write fail there.
bool MakeReadOnly(const fs::path& d, bool on) {
  if (::getuid() != 0) {
    fs::permissions(d, on ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
  } else {
    const std::string cmd = std::string("chattr ") + (on ? "+i" : "-i") + " '" + d.string() + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) return false;
  }
  if (!on) return true;
  std::FILE* probe = std::fopen((d / "probe").c_str(), "w");
  if (probe) {
    std::fclose(probe);
    fs::remove(d / "probe");
    return false;
  }
  return true;
}

class FileSystemFaultTest : public FitRunTest {
 protected:
  void TearDown() override {
    MakeReadOnly(work, false);
    FitRunTest::TearDown();
  }
};

TEST_F(FileSystemFaultTest, AReportOnAFullDiskAndAReadOnlyJobFolder) {
  LoadDemoScan();
  // The report cannot be written (a full disk): the fit still lands, the message says why,
  // and the device is neither read as a report nor deleted.
  if (fs::exists("/dev/full")) {
    form->outputPath = "/dev/full";
    form->OnExecdastelbutton();
    EXPECT_TRUE(form->lastFitRefined);
    EXPECT_EQ(platform.MessageLines(), (std::vector<std::string>{"Error: Can't copy [" + W("out.txt") + "] to [/dev/full]"}));
    EXPECT_TRUE(fs::exists("/dev/full"));
    EXPECT_EQ(doc->ReportText(), "");
    form->outputPath = W("demo#0.out");
  }

  // A job folder that cannot be written: the job cannot be saved, nothing runs, the job is as
  // it was; once the folder is writable again the next fit runs.
  form->OnExecdastelbutton();
  ASSERT_TRUE(form->lastFitRefined);
  const std::string job = Slurp(form->pfcPath);
  if (!MakeReadOnly(work, true)) GTEST_SKIP() << "no way to make " << work << " read-only here";
  platform.messages.clear();
  const std::size_t runs = platform.runs.size();
  form->OnExecdastelbutton();
  EXPECT_FALSE(form->lastFitRefined);
  EXPECT_EQ(platform.runs.size(), runs);
  EXPECT_EQ(platform.MessageLines(), (std::vector<std::string>{"Error in CPeakSearch::SaveZentrabPFCFile: Can't open " + form->pfcPath}));
  EXPECT_EQ(Slurp(form->pfcPath), job);
  ASSERT_TRUE(MakeReadOnly(work, false));
  form->OnExecdastelbutton();
  EXPECT_TRUE(form->lastFitRefined) << ::testing::PrintToString(platform.MessageLines());
}

}  // namespace
}  // namespace doctest
