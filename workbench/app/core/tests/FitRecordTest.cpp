// The fit record: its peak table, both forms of the PFC file, and the model curves against the
// fitters' own models.
#include <cmath>
#include <sstream>

#include "DocTestSupport.h"
#include "PeakSearch.h"
#include "model.h"
#include "zentrab/input.h"
#include "zentrab/profile.h"

namespace doctest {
namespace {

using C = CPeakSearch;

class FitRecordTest : public DocTest {
 protected:
  void SetUp() override {
    DocTest::SetUp();
    record.platform = &platform;
    record.dataSet = &data;
  }
  // Points x0, x0 + step, ... with y = f(x).
  void Fill(int n, double x0, double step, double (*f)(double)) {
    data.SetSize(n);
    for (int i = 0; i < n; ++i) {
      data.SetX(i, x0 + i * step);
      data.SetY(i, f(x0 + i * step));
    }
    data.UpdateRange();
    data.fileName = "scan.xrd";
  }
  CPeakSearch record;
  CGraphData data;
};

TEST_F(FitRecordTest, AddPeakTakesTheFlagsOfTheChosenFitter) {
  struct Case {
    int kind;
    const char* ramanProgram;
    int flags[C::kColumns];
    double changes[C::kColumns];
  };
  const Case cases[] = {
      {1, "/x/simplexfit", {1, 1, 1, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {2, "/x/zentrab2.exe", {1, 1, 1, 0, 1, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {2, "/x/simplexfit", {1, 0, 0, 1, 1, 1, 1, 0, 0}, {10, 10, 0.3, 10, 3, 10, 3, 0.3, 0.5}},
  };
  for (const Case& c : cases) {
    CPeakSearch r;
    r.dataKind = DataKindOfNumber(c.kind);
    r.ramanProgram = c.ramanProgram;
    EXPECT_EQ(r.AddPeak(30.5, 200, 0.25, 2.0, 0.1), 1);
    const double values[C::kColumns] = {30.5, 200, 0.25, 50, 0.2, 150, 0.1, 2.0, 0};
    for (int k = 0; k < C::kColumns; ++k) {
      const auto col = static_cast<C::Column>(k);
      EXPECT_DOUBLE_EQ(r.Value(col, 0), values[k]) << c.kind << " column " << k;
      EXPECT_EQ(r.Flag(col, 0), c.flags[k]) << c.kind << " " << c.ramanProgram << " column " << k;
      EXPECT_DOUBLE_EQ(r.Change(col, 0), c.changes[k]) << c.kind << " column " << k;
    }
  }
  // The table stops one short of its capacity.
  CPeakSearch full;
  for (int i = 0; i < 150; ++i) full.AddPeak(i, 1, 0.5, 1, 0.1);
  EXPECT_EQ(full.peakCount, C::kPeakCapacity - 1);
}

TEST_F(FitRecordTest, DeletePeakClosesTheGap) {
  for (int i = 0; i < 4; ++i) record.AddPeak(10 + i, 100, 0.5, 1, 0.1);
  EXPECT_EQ(record.DeletePeak(1), 3);
  EXPECT_DOUBLE_EQ(record.Value(C::kPosition, 0), 10);
  EXPECT_DOUBLE_EQ(record.Value(C::kPosition, 1), 12);
  EXPECT_DOUBLE_EQ(record.Value(C::kPosition, 2), 13);
  EXPECT_EQ(record.DeletePeak(3), 3);
  EXPECT_EQ(record.DeletePeak(-1), 3);
}

TEST_F(FitRecordTest, ProgramAndFormRecognition) {
  for (const auto& [path, zentrab] : std::vector<std::pair<std::string, bool>>{
           {"/opt/bin/xZentrab", true}, {"zentrab2.exe", true}, {"/a/ZENTRAB", true},
           {"/zentrab/simplexfit", false}, {"", false}, {"/x/Zentra", false}})
    EXPECT_EQ(CPeakSearch::IsZentrabProgram(path), zentrab) << path;

  for (const auto& [text, marq] : std::vector<std::pair<std::string, bool>>{
           {"t\nd\np\nMARQ fixed\n1\n", true}, {"t\nd\np\nmarqAdaptive", true},
           {"t\nd\np\nMar\n", false}, {"t\nd\np\n", false}, {"", false}})
    EXPECT_EQ(CPeakSearch::IsMarqPFCFile(Write("job.pfc", text)), marq) << text;
  EXPECT_FALSE(CPeakSearch::IsMarqPFCFile((dir / "absent.pfc").string()));
}

TEST_F(FitRecordTest, DiffractionJobLayoutAndReadBack) {
  Fill(2, 20, 0.5, [](double x) { return x * 10; });
  data.YScale = 2;  // the points are written scaled
  record.maxIteration = 30;
  record.dampingFactor = 0.00004;  // below 0.00005: written as 0.0000
  record.eps = 0.000123456;
  record.calcLow = 20;
  record.calcHigh = 21;
  record.optLow = 20.1;
  record.optHigh = 20.9;
  record.b[0] = 12.5;
  record.AddPeak(20.25, 1234.6, 0.5, 1.0, 0.1);
  const std::string path = (dir / "job.pfc").string();
  ASSERT_EQ(record.SaveZentrabPFCFile(path, "/bin/xZentrab"), 1);
  EXPECT_EQ(Slurp(path),
            "title\nscan.xrd\n/bin/xZentrab\nMarq\n"
            " 30 0.0000  0.0001235\n"
            "  1.540560   1.544390     5.0000     0.5000\n"
            " 20.000000  21.000000\n 20.100000  20.900000\n"
            "          12.5  1            0\n"
            "             0  1            0\n"
            "             0  1            0\n"
            "             0  1            0\n"
            "             0  1            0\n"
            "1\n"
            "   20.250000 1 0\n        1235 1 0\n      0.5000 1 0\n    0.100000 1 0\n"
            "    0.100000 0 0\n    1.000000 0 0\n    0.000000 0 0\n"
            "2\n     20.0000       400.0000\n     20.5000       410.0000\n");

  CPeakSearch back;
  CGraphData points;
  back.dataSet = &points;
  std::string program;
  ASSERT_EQ(back.ReadZentrabPFCFile(path, program, true), 1);
  EXPECT_TRUE(back.lastReadComplete);
  EXPECT_EQ(program, "/bin/xZentrab");
  EXPECT_EQ(back.inputPath, "scan.xrd");
  EXPECT_EQ(back.peakCount, 1);
  EXPECT_DOUBLE_EQ(back.Value(C::kCTotal, 0), 1235);  // a whole number
  EXPECT_DOUBLE_EQ(back.Value(C::kCGauss, 0), 617.5);
  EXPECT_DOUBLE_EQ(back.Value(C::kCLorentz, 0), 617.5);
  EXPECT_DOUBLE_EQ(back.dampingFactor, 0);
  EXPECT_DOUBLE_EQ(back.eps, 0.0001235);
  EXPECT_EQ(points.datan, 2);
  EXPECT_DOUBLE_EQ(points.GetY(1), 410);

  // No data: nothing written and no message; a file that cannot be made: the message.
  CPeakSearch empty;
  empty.platform = &platform;
  EXPECT_EQ(empty.SaveZentrabPFCFile(path, "p"), -1);
  EXPECT_TRUE(platform.messages.empty());
  const std::string nowhere = (dir / "no" / "job.pfc").string();
  EXPECT_EQ(record.SaveZentrabPFCFile(nowhere, "p"), -1);
  ASSERT_EQ(platform.MessageLines().size(), 1u);
  EXPECT_EQ(platform.MessageLines()[0], "Error in CPeakSearch::SaveZentrabPFCFile: Can't open " + nowhere);
}

TEST_F(FitRecordTest, RamanJobLayoutAndReadBack) {
  Fill(2, 100, 10, [](double) { return 5.0; });
  record.dataKind = DataKind::Spectroscopic;
  record.ramanProgram = "/x/simplexfit";
  record.maxIteration = 5000;
  record.eps = 1e-6;
  record.optLow = 100;
  record.optHigh = 110;
  record.b[0] = 1;
  record.S = 7;
  record.R = 0.5;
  record.AddPeak(105, 40, 0.25, 2.0, 3.0);
  const std::string path = (dir / "raman.pfc").string();
  ASSERT_EQ(record.SavePFCFile(path), 1);
  EXPECT_EQ(Slurp(path),
            "scan.xrd\n1 10\n5000 1e-06 1e-06\n100 110\n4\n"
            "1 1 0\n0 1 0\n0 1 0\n0 1 0\n0 1 0\n1\n"
            "105 1 10\n10 1 10\n6 1 3\n30 1 10\n3 1 3\n7 0.5\n2\n100 5\n110 5\n");
  EXPECT_FALSE(CPeakSearch::IsMarqPFCFile(path));

  // An order above the table's: the extra records are read and dropped; derived columns.
  const std::string job = Write("order6.pfc",
                                "title here\n2 20\n300 0.001 0.001\n50 150\n6\n"
                                "1 1 0.5\n2 1 0\n3 0 0\n4 0 0\n5 0 0\n6 1 0\n7 1 0\n"
                                "1\n100 1 10\n0 1 10\n2 1 3\n8 1 10\n4 1 3\n"
                                "0.25 1.5\n1\n77 88\n");
  CPeakSearch back;
  CGraphData points;
  back.dataSet = &points;
  back.dataKind = DataKind::Spectroscopic;
  ASSERT_EQ(back.ReadPFCFile(job, true), 1);
  EXPECT_TRUE(back.lastReadComplete);
  EXPECT_EQ(back.title, "title here");
  EXPECT_EQ(back.inputPath, "title here");
  EXPECT_EQ(back.backgroundOrder, 4);
  EXPECT_DOUBLE_EQ(back.b[4], 5);
  EXPECT_DOUBLE_EQ(back.bChange[0], 0.5);
  EXPECT_EQ(back.iPrt, 2);
  EXPECT_EQ(back.maxIteration, 300);
  EXPECT_DOUBLE_EQ(back.calcLow, 50);
  EXPECT_DOUBLE_EQ(back.optHigh, 150);
  EXPECT_DOUBLE_EQ(back.Value(C::kCTotal, 0), 8);
  EXPECT_DOUBLE_EQ(back.Value(C::kGaussFraction, 0), 0);
  EXPECT_DOUBLE_EQ(back.Value(C::kFWHMGLRatio, 0), 0.5);
  EXPECT_DOUBLE_EQ(back.S, 0.25);
  EXPECT_DOUBLE_EQ(back.R, 1.5);
  EXPECT_DOUBLE_EQ(points.GetX(0), 77);

  // A lower order: slots beyond it are 0 and fixed.
  Write("order1.pfc", "t\n1 1\n1 1 1\n0 1\n1\n3 1 0\n4 1 0\n0\n0 0\n0\n");
  ASSERT_EQ(back.ReadRamanPFCFile((dir / "order1.pfc").string(), false), 1);
  EXPECT_EQ(back.optimizeB[2], 0);
  EXPECT_DOUBLE_EQ(back.b[1], 4);
}

TEST_F(FitRecordTest, AFileEndingEarlyKeepsWhatItHeld) {
  record.dataKind = DataKind::Diffraction;
  record.maxIteration = 7;
  record.b[3] = 9;
  // Ends inside the second peak; the first stays, and the background and count as cleared.
  const std::string text = "t\nd\np\nMarq\n40 0.5 0.01\n1.5 1.6 4 0.4\n10 20\n11 19\n"
                           "1 1 0\n2 1 0\n3 0 0\n4 0 0\n5 0 0\n2\n"
                           "12 1 0\n100 1 0\n0.5 1 0\n0.1 1 0\n0.1 0 0\n1 0 0\n0 0 0\n13 1 0\n";
  ASSERT_EQ(record.ReadPFCFile(Write("cut.pfc", text), false), 1);
  EXPECT_FALSE(record.lastReadComplete);
  EXPECT_EQ(record.maxIteration, 40);
  EXPECT_EQ(record.peakCount, 1);
  EXPECT_DOUBLE_EQ(record.b[3], 4);
  // Garbage where a number belongs stops the read there too.
  ASSERT_EQ(record.ReadPFCFile(Write("bad.pfc", "t\nd\np\nMarq\nforty 0.5 0.01\n"), false), 1);
  EXPECT_FALSE(record.lastReadComplete);
  EXPECT_EQ(record.peakCount, 0);
  EXPECT_EQ(record.ReadPFCFile((dir / "none.pfc").string(), false), -1);
}

TEST_F(FitRecordTest, SaveDispatchFollowsKindAndProgram) {
  Fill(3, 1, 1, [](double) { return 1.0; });
  struct Case {
    int kind;
    const char* ramanProgram;
    int result;
    bool marq;
  };
  for (const Case& c : {Case{1, "simplexfit", 1, true}, Case{2, "/p/myZentrab", 1, true},
                        Case{2, "/p/simplexfit", 1, false}, Case{0, "simplexfit", 0, false}}) {
    record.dataKind = DataKindOfNumber(c.kind);
    record.ramanProgram = c.ramanProgram;
    const std::string path = (dir / "k").string() + std::to_string(c.kind) + ".pfc";
    fs::remove(path);
    EXPECT_EQ(record.SavePFCFile(path), c.result) << c.kind << c.ramanProgram;
    EXPECT_EQ(CPeakSearch::IsMarqPFCFile(path), c.marq) << c.kind << c.ramanProgram;
  }
}

TEST_F(FitRecordTest, ModelCurvesLabelsColoursAndLimits) {
  Fill(401, 0, 0.5, [](double) { return 0.0; });
  record.qRange = 0.05;  // raised to 0.1
  record.AddPeak(100, 1000, 0.5, 1, 1);
  record.AddPeak(180, 1000, 0.5, 1, 1);  // outside 0 <= 2θ < 180: an empty curve
  record.AddPeak(-1, 1000, 0.5, 1, 1);
  record.currentPeak = 1;
  ASSERT_EQ(record.MakeModelCurves(data.datan), 1);
  EXPECT_DOUBLE_EQ(record.qRange, 0.1);
  EXPECT_EQ(record.totalCurve.label, "(Total)scan.xrd");
  EXPECT_EQ(record.totalCurve.lineColor, 0x0000FFu);
  EXPECT_EQ(record.backgroundCurve.label, "(Background)scan.xrd");
  EXPECT_EQ(record.backgroundCurve.lineColor, 0xFFFF00u);
  ASSERT_EQ(record.PeakCurveCount(), 3);
  EXPECT_EQ(record.PeakCurve(0)->label, "Curve# 0 - 100scan.xrd");
  EXPECT_EQ(record.PeakCurve(0)->lineColor, 0x00FF00u);
  EXPECT_EQ(record.PeakCurve(1)->lineColor, 0xFF0000u);
  for (int j = 1; j < 3; ++j)
    for (int i = 0; i < data.datan; ++i) EXPECT_EQ(record.PeakCurve(j)->GetY(i), 0.0);
  EXPECT_GT(record.PeakCurve(0)->GetY(200), 0.0);
  EXPECT_EQ(record.PeakCurve(0)->GetY(150), 0.0);  // outside the window

  // More peaks than a curve array's 50 slots: one curve for every peak.
  for (int i = 0; i < 57; ++i) record.AddPeak(10 + i, 100, 0.5, 1, 0.5);
  ASSERT_EQ(record.MakeModelCurves(data.datan), 1);
  EXPECT_EQ(record.PeakCurveCount(), 60);
  // Kind 0 has no model.
  record.dataKind = DataKind::None;
  EXPECT_EQ(record.MakeModelCurves(data.datan), -1);
}

// The record's doublet model against the fitter's own model: a job written by the record, read
// by the fitter's reader, evaluated by its basprf in single precision.
TEST_F(FitRecordTest, DiffractionModelEqualsTheFittersModel) {
  Fill(2001, 20, 0.01, [](double) { return 100.0; });
  record.calcLow = 20;
  record.calcHigh = 40;
  record.optLow = 20;
  record.optHigh = 40;
  record.qRange = 6;
  record.b[0] = 50;
  record.b[1] = -0.8;
  record.b[2] = 0.01;
  record.AddPeak(25.3, 3000, 0.6, 1.3, 0.09);
  record.AddPeak(31.0, 800, 0.2, 0.7, 0.2);
  record.AddPeak(36.4, 1500, 1.0, 1.0, 0.15);
  record.Value(C::kAniso, 0) = 0.3;  // asymmetry on
  record.Value(C::kAniso, 1) = 1.1;
  const std::string path = (dir / "job.pfc").string();
  ASSERT_EQ(record.SaveZentrabPFCFile(path, "xZentrab"), 1);

  CPeakSearch mine;
  mine.dataSet = &data;
  std::string program;
  ASSERT_EQ(mine.ReadZentrabPFCFile(path, program, true), 1);
  ASSERT_EQ(mine.MakeModelCurves(data.datan), 1);

  auto st = std::make_unique<zentrab::State>();
  std::ostringstream sink;
  const zentrab::Out out{&sink, nullptr, &sink};
  ASSERT_EQ(zentrab::input::rdfile(*st, out, path), zentrab::Status::ok);
  ASSERT_EQ(zentrab::input::selectData(*st, out), zentrab::Status::ok);
  zentrab::profile::cnvdat(*st, out);
  zentrab::profile::basprf(*st, out);
  ASSERT_EQ(st->nData, data.datan);
  // The fitter works in single precision: its 2θ values and positions carry up to 2e-6° of
  // rounding, which on the steepest flank of a 0.09° line moves the value by about 2.5e-5 of
  // the height. A model that left out the Kα2 line or the asymmetry would be off by percents.
  double worst = 0, top = 0;
  for (int i = 0; i < st->nData; ++i) {
    ASSERT_FLOAT_EQ(static_cast<float>(mine.totalCurve.GetX(i)), st->x[static_cast<std::size_t>(i)]);
    worst = std::max(worst, std::fabs(mine.totalCurve.GetY(i) - st->model[static_cast<std::size_t>(i)]));
    top = std::max(top, std::fabs(mine.totalCurve.GetY(i)));
  }
  EXPECT_LT(worst / top, 5e-5);
}

// The single-line model with the normalised background against simplexfit's model, and with
// the plain background against the same profile written out.
TEST_F(FitRecordTest, SingleLineModelsEqualTheFittersModels) {
  Fill(1001, 200, 1, [](double) { return 0.0; });
  record.dataKind = DataKind::Spectroscopic;
  record.ramanProgram = "/x/simplexfit";
  record.optLow = 300;
  record.optHigh = 900;
  record.backgroundOrder = 2;
  record.b[0] = 10;
  record.b[1] = -3;
  record.b[2] = 2;
  record.b[3] = 99;  // beyond the order: unused
  record.qRange = 50;
  record.AddPeak(450, 300, 0.3, 0.5, 12);
  record.AddPeak(700, 120, 1.0, 2.0, 8);
  ASSERT_EQ(record.MakeModelCurves(data.datan), 1);

  auto fit = std::make_unique<simplex::Fit>();
  simplex::Job& job = fit->job;
  job.xLow = 300;
  job.xHigh = 900;
  job.NB = 2;
  for (int k = 0; k <= 2; ++k) job.b[static_cast<std::size_t>(k)].value = record.b[k];
  job.NP = 2;
  for (int j = 0; j < 2; ++j) {
    auto& pk = job.peak[static_cast<std::size_t>(j)];
    pk[simplex::Position].value = record.Value(C::kPosition, j);
    pk[simplex::CGauss].value = record.Value(C::kCGauss, j);
    pk[simplex::FWHMGauss].value = record.Value(C::kFWHMGauss, j);
    pk[simplex::CLorentz].value = record.Value(C::kCLorentz, j);
    pk[simplex::FWHMLorentz].value = record.Value(C::kFWHMLorentz, j);
  }
  job.ND = data.datan;
  for (int i = 0; i < data.datan; ++i) job.x[static_cast<std::size_t>(i)] = data.GetX(i);
  simplex::evaluateModel(job, fit->tables);
  for (int i = 0; i < data.datan; ++i) {
    const std::size_t u = static_cast<std::size_t>(i);
    EXPECT_NEAR(record.backgroundCurve.GetY(i), fit->tables.B[u], 1e-9 * (1 + std::fabs(fit->tables.B[u]))) << i;
    // Inside the windows the models agree; simplexfit has no window, and beyond it the peaks
    // are below 1e-3 of their height.
    EXPECT_NEAR(record.totalCurve.GetY(i), fit->tables.Y[u], 1e-3 * 300) << i;
    // 4 ln 2 is 2.772588722 here and 2.7725887 in simplexfit: 1e-8 apart.
    for (int j = 0; j < 2; ++j) {
      if (record.PeakCurve(j)->GetY(i) != 0) {
        EXPECT_NEAR(record.PeakCurve(j)->GetY(i), fit->tables.P[static_cast<std::size_t>(j)][u], 1e-7 * 300) << i;
      }
    }
  }

  // A Zentrab build fits Raman data with the plain background and the same line.
  record.ramanProgram = "/x/Zentrab";
  ASSERT_EQ(record.MakeModelCurves(data.datan), 1);
  const double x = 455, t = x;
  const double plain = 10 - 3 * t + 2 * t * t + 99 * t * t * t;
  const double d = x - 450, wg = 6, wl = 12;
  const double line = 0.3 * 300 * std::exp(-2.772588722 * (d / wg) * (d / wg)) + 0.7 * 300 / (1 + 4 * (d / wl) * (d / wl));
  EXPECT_NEAR(record.backgroundCurve.GetY(255), plain, 1e-6 * std::fabs(plain));
  EXPECT_NEAR(record.PeakCurve(0)->GetY(255), line, 1e-9 * line);
}

}  // namespace
}  // namespace doctest
