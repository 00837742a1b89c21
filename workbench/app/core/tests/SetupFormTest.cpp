// The setup form's logic: opening a data file, the peak list and its buttons, the questions of
// a fit, Cal, the spin buttons and typing couplings, and the form's settings.
#include <cmath>
#include <cstdlib>

#include "DocTestSupport.h"
#include "IniKeys.h"
#include "SetupForm.h"

namespace doctest {
namespace {

using C = CPeakSearch;
using F = CSetupForm;

// A ".txt" scan: the count on the first line, then "x y" pairs, y = a + b x.
std::string LineScan(int n, double x0, double step, double a, double b) {
  std::string s = std::to_string(n) + "\n";
  char line[64];
  for (int i = 0; i < n; ++i) {
    const double x = x0 + i * step;
    std::snprintf(line, sizeof line, "%g %g\n", x, a + b * x);
    s += line;
  }
  return s;
}

class SetupFormTest : public DocTest {
 protected:
  void SetUp() override {
    DocTest::SetUp();
    doc = std::make_unique<CBalimorDoc>(platform, ini, "/opt/balimor/bin");
    form = std::make_unique<CSetupForm>(*doc);
    // No program is run in these tests.
    platform.runHandler = [](RecordingPlatform::Run&) { return ProgramRun(); };
  }
  void TearDown() override {
    form.reset();
    doc.reset();
    DocTest::TearDown();
  }
  CPeakSearch& Record() { return doc->GetPeakSearch(); }
  std::unique_ptr<CBalimorDoc> doc;
  std::unique_ptr<CSetupForm> form;
};

TEST_F(SetupFormTest, OpenInputFileNamesRangesAndAnExistingJob) {
  const std::string scan = Write("d/scan.txt", LineScan(11, 20, 1, 5, 0));
  ASSERT_EQ(form->OpenInputFile(scan), 1);
  EXPECT_EQ(form->lastLoadResult, 0);
  EXPECT_EQ(form->inputPath, scan);
  EXPECT_EQ(form->pfcPath, (dir / "d" / "scan#0.pfc").string());
  EXPECT_EQ(form->outputPath, (dir / "d" / "scan#0.out").string());
  EXPECT_DOUBLE_EQ(form->optLow, 20);
  EXPECT_DOUBLE_EQ(form->calcHigh, 30);
  EXPECT_EQ(doc->Ini().GetString(ini::kInputPath), scan);
  EXPECT_EQ(doc->Ini().GetString(ini::kInputDir), (dir / "d").string());
  EXPECT_EQ(Record().dataKind, DataKind::Diffraction);

  // The job of that name is read: its ranges, background and peaks; the report is shown.
  form->optLow = 21;
  form->optHigh = 29;
  form->calcLow = 22;
  form->calcHigh = 28;
  form->b[0] = 3;
  form->ApplySetup();
  Record().AddPeak(25, 100, 0.5, 1, 0.3);
  ASSERT_EQ(Record().SavePFCFile(form->pfcPath), 1);
  Write("d/scan#0.out", "the report\n");
  Record().Clear();
  ASSERT_EQ(form->OpenInputFile(scan), 1);
  EXPECT_DOUBLE_EQ(form->optLow, 21);
  EXPECT_DOUBLE_EQ(form->calcHigh, 28);
  EXPECT_DOUBLE_EQ(form->b[0], 3);
  EXPECT_EQ(Record().peakCount, 1);
  EXPECT_EQ(form->peakList.size(), 1u);
  EXPECT_EQ(form->selected, 0);
  EXPECT_DOUBLE_EQ(form->value[C::kPosition], 25);
  EXPECT_DOUBLE_EQ(doc->GetFrameArray()->GetFrame(0)->XMin, 22);
  EXPECT_EQ(doc->ReportText(), "the report\n");

  // A Raman ".dat" file keeps the kind its reader set.
  ASSERT_EQ(form->OpenInputFile(Write("r.dat", "100 5\n200 6\n300 7\n")), 1);
  EXPECT_EQ(Record().dataKind, DataKind::Spectroscopic);
}

TEST_F(SetupFormTest, PeakListButtons) {
  ASSERT_EQ(form->OpenInputFile(Write("scan.txt", LineScan(11, 20, 1, 5, 0))), 1);
  form->optLow = 22;
  form->optHigh = 28;
  // On an empty list: the middle of the optimisation range with the kind's values.
  form->OnAddPeak();
  ASSERT_EQ(Record().peakCount, 1);
  EXPECT_DOUBLE_EQ(Record().Value(C::kPosition, 0), 25);
  EXPECT_DOUBLE_EQ(Record().Value(C::kCTotal, 0), 2000);
  EXPECT_DOUBLE_EQ(Record().Value(C::kFWHMLorentz, 0), 0.2);
  EXPECT_EQ(form->peakList[0], "  0: 25.0000    2000 0.2000 0.500 1.000");
  // With a peak selected: a copy of the values on the form, as the new last peak.
  form->value[C::kPosition] = 23.5;
  form->OnAddPeak();
  form->OnAddPeak();
  ASSERT_EQ(Record().peakCount, 3);
  EXPECT_DOUBLE_EQ(Record().Value(C::kPosition, 2), 23.5);
  EXPECT_EQ(form->selected, 2);
  // Deleting the last entry selects the one before it; deleting the only one leaves nothing.
  form->OnDeletePeak();
  EXPECT_EQ(form->selected, 1);
  form->OnDeletePeak();
  form->OnDeletePeak();
  EXPECT_EQ(Record().peakCount, 0);
  EXPECT_TRUE(form->peakList.empty());
  EXPECT_EQ(form->selected, -1);
  form->OnDeletePeak();  // nothing selected: nothing happens
  EXPECT_EQ(Record().peakCount, 0);

  // Raman values on an empty list; Clear Peaks empties the list.
  Record().dataKind = DataKind::Spectroscopic;
  form->OnAddPeak();
  EXPECT_DOUBLE_EQ(Record().Value(C::kCTotal, 0), 50);
  EXPECT_DOUBLE_EQ(Record().Value(C::kFWHMLorentz, 0), 10);
  form->OnClearPeaks();
  EXPECT_TRUE(form->peakList.empty());
  EXPECT_EQ(Record().optimizeB[2], 0);
  EXPECT_EQ(Record().optimizeB[1], 1);

  // The peak shown is stored before another is selected.
  form->OnAddPeak();
  form->OnAddPeak();
  form->value[C::kCTotal] = 77;
  form->OnSelectPeak(0);
  EXPECT_DOUBLE_EQ(Record().Value(C::kCTotal, 1), 77);
  EXPECT_EQ(Record().currentPeak, 0);
}

TEST_F(SetupFormTest, IterationQuestionsBeforeAFit) {
  ASSERT_EQ(form->OpenInputFile(Write("scan.txt", LineScan(11, 20, 1, 5, 0))), 1);
  struct Case {
    int kind;
    const char* ramanProgram;
    int maxIteration;
    const char* caption;  // null: no question
  };
  const Case cases[] = {
      {1, "", 30, nullptr},
      {1, "", 31, "Very Large MaxIter"},
      {2, "/p/zentrab2", 31, "Very Large MaxIter"},
      {2, "/p/simplexfit", 99, "Very Small MaxIter"},
      {2, "/p/simplexfit", 100, nullptr},
  };
  for (const Case& c : cases) {
    Record().dataKind = DataKindOfNumber(c.kind);
    doc->Ini().WriteString(ini::kRamanLSQProgram, c.ramanProgram);
    Record().maxIteration = c.maxIteration;
    platform.questions.clear();
    platform.messages.clear();
    form->OnExecdastelbutton();  // answered no
    if (!c.caption) {
      EXPECT_TRUE(platform.questions.empty()) << c.maxIteration;
      continue;
    }
    ASSERT_EQ(platform.questions.size(), 1u) << c.maxIteration;
    EXPECT_EQ(platform.questions[0].caption, c.caption);
    const std::string text = std::string(c.maxIteration == 31 ? "MaxIter [31] is larger than 30" : "MaxIter [99] is smaller than 100") +
                             "\r\n   Continue?";
    EXPECT_EQ(platform.questions[0].text, text);
    EXPECT_TRUE(platform.messages.empty());  // stopped: nothing was run
  }
}

TEST_F(SetupFormTest, CalFitsALineThroughTheRangeEnds) {
  ASSERT_EQ(form->OpenInputFile(Write("scan.txt", LineScan(11, 0, 1, 1, 2))), 1);
  form->optLow = 2;
  form->optHigh = 8;
  form->b[2] = 0.5;
  form->OnCal();
  EXPECT_DOUBLE_EQ(form->b[1], 2);
  EXPECT_DOUBLE_EQ(form->b[0], 1);
  EXPECT_DOUBLE_EQ(form->b[2], 0.5);
  EXPECT_DOUBLE_EQ(Record().b[0], 1);
  // simplexfit's background runs in t over the range: b0 − b1 = y(2), b0 + b1 = y(8).
  Record().dataKind = DataKind::Spectroscopic;
  Record().ramanProgram = "/p/simplexfit";
  form->OnCal();
  EXPECT_DOUBLE_EQ(form->b[1], 6);
  EXPECT_DOUBLE_EQ(form->b[0], 11);
}

TEST_F(SetupFormTest, SpinButtonsAndTypingCouplings) {
  ASSERT_EQ(form->OpenInputFile(Write("scan.txt", LineScan(11, 20, 1, 5, 0))), 1);
  form->OnAddPeak();
  enum V { P, CT, GF, CG, WG, CL, WL, R, A };
  const C::Column col[] = {C::kPosition, C::kCTotal, C::kGaussFraction, C::kCGauss, C::kFWHMGauss,
                           C::kCLorentz, C::kFWHMLorentz, C::kFWHMGLRatio, C::kAniso};
  struct Case {
    const char* what;
    int kind;
    F::Field field;
    int d;            // 0: typed
    double start[9];  // P CT GF CG WG CL WL R A
    double expect[9];
  };
  const double s[9] = {30, 1000, 0.4, 400, 0.2, 600, 0.1, 2, 0.1};
  const Case cases[] = {
      {"Position up, diffraction step 0.005", 1, F::kPosition, -1, {}, {30.005, 1000, 0.4, 400, 0.2, 600, 0.1, 2, 0.1}},
      {"Position down, Raman step 0.2", 2, F::kPosition, 1, {}, {29.8, 1000, 0.4, 400, 0.2, 600, 0.1, 2, 0.1}},
      {"C(Total) up", 1, F::kCTotal, -1, {}, {30, 1005, 0.4, 402, 0.2, 603, 0.1, 2, 0.1}},
      {"Gauss Fraction up", 1, F::kGaussFraction, -1, {}, {30, 1000, 0.42, 420, 0.2, 580, 0.1, 2, 0.1}},
      {"FWHM Ratio down", 1, F::kFWHMGLRatio, 1, {}, {30, 1000, 0.4, 400, 0.2, 600, 0.2 / 1.95, 1.95, 0.1}},
      {"C(Gauss) up, diffraction", 1, F::kCGauss, -1, {}, {30, 1000, 0.402, 402, 0.2, 598, 0.1, 2, 0.1}},
      {"C(Gauss) up, Raman", 2, F::kCGauss, -1, {}, {30, 1002, 402.0 / 1002, 402, 0.2, 600, 0.1, 2, 0.1}},
      {"C(Lorentz) up, diffraction", 1, F::kCLorentz, -1, {}, {30, 1000, 0.397, 397, 0.2, 603, 0.1, 2, 0.1}},
      {"C(Lorentz) up, Raman", 2, F::kCLorentz, -1, {}, {30, 1003, 400.0 / 1003, 400, 0.2, 603, 0.1, 2, 0.1}},
      {"FWHM(Gauss) up", 1, F::kFWHMGauss, -1, {}, {30, 1000, 0.4, 400, 0.205, 600, 0.1025, 2, 0.1}},
      {"FWHM(Lorentz) up", 1, F::kFWHMLorentz, -1, {}, {30, 1000, 0.4, 400, 0.21, 600, 0.105, 2, 0.1}},
      {"Asymmetric up", 1, F::kAniso, -1, {}, {30, 1000, 0.4, 400, 0.2, 600, 0.1, 2, 0.15}},
      {"typed C(Total)", 1, F::kCTotal, 0, {30, 500, 0.4, 1, 0.2, 1, 0.1, 2, 0.1}, {30, 500, 0.4, 200, 0.2, 300, 0.1, 2, 0.1}},
      {"typed Gauss Fraction", 1, F::kGaussFraction, 0, {30, 1000, 0.9, 1, 0.2, 1, 0.1, 2, 0.1}, {30, 1000, 0.9, 900, 0.2, 100, 0.1, 2, 0.1}},
      {"typed C(Gauss), Raman", 2, F::kCGauss, 0, {30, 1, 0.4, 300, 0.2, 100, 0.1, 2, 0.1}, {30, 400, 0.75, 300, 0.2, 100, 0.1, 2, 0.1}},
      {"typed FWHM(Gauss)", 1, F::kFWHMGauss, 0, {30, 1000, 0.4, 400, 0.3, 600, 1, 2, 0.1}, {30, 1000, 0.4, 400, 0.3, 600, 0.15, 2, 0.1}},
      {"typed FWHM(Lorentz)", 1, F::kFWHMLorentz, 0, {30, 1000, 0.4, 400, 1, 600, 0.3, 2, 0.1}, {30, 1000, 0.4, 400, 0.6, 600, 0.3, 2, 0.1}},
  };
  for (const Case& c : cases) {
    Record().dataKind = DataKindOfNumber(c.kind);
    const bool typed = c.d == 0;
    for (int k = 0; k < 9; ++k) form->value[col[k]] = typed ? c.start[k] : s[k];
    if (typed)
      form->OnEdited(c.field);
    else
      form->OnSpin(c.field, c.d);
    for (int k = 0; k < 9; ++k) {
      EXPECT_NEAR(form->value[col[k]], c.expect[k], 1e-12) << c.what << ", value " << k;
      EXPECT_NEAR(Record().Value(col[k], 0), c.expect[k], 1e-12) << c.what << ", record " << k;
    }
  }
  // Delta Mag. multiplies the step; a background coefficient moves by its own 0.5 %.
  Record().dataKind = DataKind::Diffraction;
  form->deltaMagnification = 10;
  form->value[C::kPosition] = 30;
  form->OnSpin(F::kPosition, -1);
  EXPECT_NEAR(form->value[C::kPosition], 30.05, 1e-12);
  form->b[1] = -200;
  form->OnSpin(F::kB1, -1);
  EXPECT_NEAR(form->b[1], -190, 1e-12);
  EXPECT_NEAR(Record().b[1], -190, 1e-12);

  // A "Delta Mag." typed beyond 0.001 .. 1000 is taken at the nearer bound.
  struct TypingView : ISetupFormView {
    CSetupForm* form = nullptr;
    double typed = 0;
    void TakeValues() override { form->deltaMagnification = typed; }
  };
  const auto view = std::make_unique<TypingView>();
  view->form = form.get();
  form->SetView(view.get());
  for (const auto& [typed, taken] : {std::pair{0.0, 0.001}, {5000.0, 1000.0}, {2.5, 2.5}}) {
    view->typed = typed;
    form->TakeValues();
    EXPECT_DOUBLE_EQ(form->deltaMagnification, taken) << typed;
  }
  form->SetView(nullptr);
}

TEST_F(SetupFormTest, SettingsOfTheForm) {
  // Defaults without an INI file; the paths are emptied when the form is made.
  EXPECT_DOUBLE_EQ(form->optHigh, 70);
  EXPECT_DOUBLE_EQ(form->value[C::kPosition], 28.6);
  EXPECT_TRUE(form->optimize[C::kFWHMLorentz]);
  EXPECT_FALSE(form->optimizeB[2]);
  EXPECT_TRUE(form->autoRedraw);

  form->inputPath = "/d/a.txt";
  form->value[C::kCTotal] = 1;  // read but never written
  form->ramda1 = 1.5;
  form->SaveSetup();
  const std::string text = Slurp(ini);
  std::vector<std::string> keys;
  for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at) {
    const std::size_t eq = text.find('=', at);
    if (eq != std::string::npos) keys.push_back(text.substr(at + 1, eq - at - 1));
  }
  const std::vector<std::string> order = {
      "InputPath", "OutputPath", "PFCPath", "DeltaMagnification", "OptRegionX0", "OptRegionX1",
      "OutputRegionX0", "OutputRegionX1", "AutoRedraw", "Position", "OptimizePosition", "CGauss",
      "OptimizeCGauss", "CLorentz", "OptimizeCLorentz", "FWHMLorentz", "OptimizeFWHMLorentz", "FWHMGauss",
      "OptimizeFWHMGauss", "Aniso", "OptimizeAniso", "IRatio", "LKa1", "LKa2", "QRange"};
  EXPECT_EQ(keys, order);

  // A new document reloads the section with its paths.
  doc->OnNewDocument();
  EXPECT_EQ(form->inputPath, "/d/a.txt");
  EXPECT_DOUBLE_EQ(form->ramda1, 1.5);
  EXPECT_DOUBLE_EQ(form->value[C::kCTotal], 200);

  // ApplySetup: an empty program means the one beside the running program.
  form->ApplySetup();
  EXPECT_EQ(Record().xrdProgram, "/opt/balimor/bin/xZentrab");
  EXPECT_EQ(Record().ramanProgram, "/opt/balimor/bin/simplexfit");
  EXPECT_EQ(Record().method, "Marq");
  doc->Ini().WriteString(ini::kXRDLSQProgram, "/my fitters/xZentrab");
  form->ApplySetup();
  EXPECT_EQ(Record().xrdProgram, "/my fitters/xZentrab");
  EXPECT_DOUBLE_EQ(Record().ramda1, 1.5);

  // Default restores the X-ray constants; Setup LSQ writes its keys in order.
  form->OnDefault();
  EXPECT_DOUBLE_EQ(form->ramda1, 1.54056);
  EXPECT_DOUBLE_EQ(Record().qRange, 5.0);
  CSetupLsqValues v = form->SetupLsqValues();
  EXPECT_EQ(v.ramanProgram, "/opt/balimor/bin/simplexfit");
  EXPECT_EQ(v.method, "Marq");
  v.maxIteration = 50;
  v.eps = 0.002;
  v.method = "MarqAdaptive";
  form->StoreSetupLsq(v);
  EXPECT_EQ(Record().maxIteration, 50);
  form->ApplySetup();
  EXPECT_EQ(Record().method, "MarqAdaptive");
  const std::string after = Slurp(ini);
  const std::size_t section = after.find("[SetupLSQ]");
  ASSERT_NE(section, std::string::npos);
  std::size_t at = section;
  for (const char* key : {"XRDLSQProgram=/my fitters/xZentrab", "RamanLSQProgram=\r\n",
                          "MaxIteration=50", "ConvergenceCriteria=0.002", "DumpingFactor=0.3", "iPrt=1", "iPrtIntvl=10",
                          "Method=MarqAdaptive"}) {
    const std::size_t next = after.find(key, at);
    EXPECT_NE(next, std::string::npos) << key;
    at = next;
  }
}

TEST_F(SetupFormTest, LogButtonAndEditor) {
  ASSERT_EQ(form->OpenInputFile(Write("scan.txt", LineScan(11, 20, 1, 5, 0))), 1);
  form->OnLog();
  EXPECT_EQ(doc->logFlag, 1);
  EXPECT_EQ(form->logCaption, "Lin");
  const CGraphFrame* frame = doc->GetFrameArray()->GetFrame(0);
  EXPECT_TRUE(frame->fixYMin);
  EXPECT_DOUBLE_EQ(frame->fixedYMin, -6.0);
  EXPECT_EQ(frame->GetGraph(0)->YAxisType, 1);
  form->OnLog();
  EXPECT_EQ(form->logCaption, "Log");
  EXPECT_DOUBLE_EQ(frame->fixedYMin, 0.0);

  // "Ed" starts the editor on the file, an editor path with blanks as one argument.
  doc->Ini().WriteString(ini::kEditor, "/usr/bin/my editor");
  form->OnEditButton(F::kPfcFile);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0], (std::vector<std::string>{"/usr/bin/my editor", form->pfcPath}));
  platform.startWorks = false;
  form->OnEditButton(F::kOutputFile);
  ASSERT_EQ(platform.MessageLines().size(), 1u);
  EXPECT_EQ(platform.MessageLines()[0], "Error in CSetupBalimorView::OnEditoutputfilebutton: Can't exec [\"/usr/bin/my editor\" \"" +
                                            form->outputPath + "\"]");
}

// The form's numbers that come from the default texts of their INI keys are the values the
// INI reader gives for those texts.
TEST(FormNumbers, DefaultsAsTheIniReaderReadsThem) {
  for (const IniKey* k : {&ini::kLKa1, &ini::kLKa2, &ini::kIRatio, &ini::kQRange, &ini::kOptRegionX1,
                          &ini::kConvergenceCriteria, &ini::kDumpingFactor, &ini::kMaxIteration})
    EXPECT_EQ(form::DefaultValue(*k), std::strtod(k->def, nullptr)) << k->key;
}

}  // namespace
}  // namespace doctest
