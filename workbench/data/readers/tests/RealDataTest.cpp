// The readers on real instrument files (read in place, never copied into the repository;
// variants with another name or a changed first line are written to the scratch folder).
#include <cmath>
#include <string>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using RealFiles = ReaderTest;

void ExpectEnds(const CGraphData& d, int n, double x0, double y0, double x1, double y1) {
  ASSERT_EQ(d.datan, n);
  EXPECT_NEAR(d.GetX(0), x0, 1e-9 * std::fabs(x0) + 1e-12);
  EXPECT_NEAR(d.GetY(0), y0, 1e-9 * std::fabs(y0) + 1e-12);
  EXPECT_NEAR(d.GetX(n - 1), x1, 1e-9 * std::fabs(x1) + 1e-12);
  EXPECT_NEAR(d.GetY(n - 1), y1, 1e-9 * std::fabs(y1) + 1e-12);
}

TEST_F(RealFiles, RasScans) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  ASSERT_EQ(ReadRas(d, RealData("ras_smartlab_2theta.ras")), 1);
  ExpectEnds(d, 1401, 2, 7994, 30, 1150);
  EXPECT_EQ(d.label, "\" \"");
  ASSERT_EQ(ReadRas(d, RealData("ras_smartlab_omega.ras")), 1);
  ExpectEnds(d, 601, 15.1267, 227.8285, 16.3267, 222.832);
  EXPECT_EQ(d.label, "\" \"");
}

TEST_F(RealFiles, SectionedAscScan) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  ASSERT_EQ(ReadSectionedScan(d, RealData("asc_rigaku_sectioned.asc"), 0), 1);
  ExpectEnds(d, 7601, 4, 767, 80, 570);
  EXPECT_EQ(d.label, "  JC170705CuPcAuCrSi5");
}

TEST_F(RealFiles, XrfCsvReadsSeparatorAndBlockHeaderLinesAsPoints) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  ASSERT_EQ(ReadRigakuXrfCsv(d, RealData("xrf_rigaku_65sep.csv")), 1);
  ExpectEnds(d, 6575, 5, 0.00629, 50.56, 0.02749);
  for (int i : {4252, 4555, 6373}) {
    ExpectPoint(d, i, 2, 0);
    ExpectPoint(d, i - 1, 0, 0);
  }
  EXPECT_TRUE(d.label.empty());
}

TEST_F(RealFiles, RietanIntFiles) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  const std::string path = RealData("rietan_cu3fe4p6.int");
  ASSERT_EQ(ReadRietanInt(d, path), 1);
  ExpectEnds(d, 10000, 10, 9104, 109.99, 5860);
  EXPECT_EQ(d.label, path);
  const std::string out = Path("back.int");
  ASSERT_EQ(WriteRietanInt(d, out, "w"), 0);
  EXPECT_EQ(Slurp(out).substr(0, Slurp(out).find('\n')), "10000  10  0.01");
  // The Igor and GSAS forms have no "count start step" header line: refused.
  for (const char* name : {"rietan_baso4_igor.int", "rietan_tl2223_gsas.int"}) {
    CVariousData other;
    EXPECT_EQ(ReadRietanInt(other, RealData(name)), -1) << name;
    EXPECT_EQ(other.datan, 0) << name;
  }
  // The GENERAL form gives the same points as an intensity file as through the first reader of
  // the ".txt" chain.
  for (bool asInt : {true, false}) {
    CVariousData general;
    const std::string path = RealData("rietan_fapatite_general.int");
    ASSERT_EQ(asInt ? ReadRietanInt(general, path) : ReadGeneralText(general, path), 1);
    ExpectEnds(general, 5751, 15, 609, 130, 84);
    EXPECT_EQ(general.label, path);
  }
}

TEST_F(RealFiles, BinaryScansOfOtherMakesAreRefused) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  EXPECT_EQ(ReadRigakuBinary(d, RealData("omicron_xps.1"), true), -1);
  for (const char* name : {"rint2000_binary.raw", "rasx_smartlab_zip.rasx", "jcamp_pe1800.dx",
                           "jcamp_labcalc.dx", "jcamp_pe_ir_br1.dx", "jcamp_nist_acetone.jdx"})
    EXPECT_EQ(ReadRigakuBinary(d, RealData(name), false), -1) << name;
  EXPECT_EQ(d.datan, 0);
}

// The ".txt" chain: GENERAL, count-first and F-4500 answer 0; the sample-header scan decides.
void ReadTxtChain(const std::string& path, CVariousData& d) {
  ASSERT_EQ(ReadGeneralText(d, path), 0);
  ASSERT_EQ(ReadCountFirstText(d, path), 0);
  ASSERT_EQ(ReadF4500(d, path), 0);
  ASSERT_EQ(ReadSampleHeaderScan(d, path), 1);
}

TEST_F(RealFiles, TxtFilesFallToCountOnThirdLine) {
  SKIP_WITHOUT_REALDATA();
  for (const char* empty : {"pe_fl_ls50b.txt", "raman_jasco_ls4.txt"}) {
    CVariousData d;
    ReadTxtChain(RealData(empty), d);
    EXPECT_EQ(d.datan, 0) << empty;
  }
  CVariousData d;
  ReadTxtChain(RealData("raman_bd1469.txt"), d);
  ExpectEnds(d, 26, 27.147465, 927.7243, 44.53241, 1106.125);
  ReadTxtChain(RealData("raman_labspec_r145.txt"), d);
  ExpectEnds(d, 1013, 1343.974609, 9742.998047, 92.720703, 40866.199219);
  ReadTxtChain(RealData("xy_mnpc_tab.txt"), d);
  ExpectEnds(d, 1, 1.06, 3053.3333, 1.06, 3053.3333);
  ReadTxtChain(RealData("xy_xylib_crlf.txt"), d);
  ExpectEnds(d, 20, 20.06, 42, 20.44, 41);
}

TEST_F(RealFiles, DatContentTest) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  EXPECT_EQ(ReadRamanOrDegradation(d, RealData("ill_d1a5_neutron.dat")), -1);
  EXPECT_EQ(ReadRamanOrDegradation(d, RealData("raman_labspec_r145.txt")), -1);
  EXPECT_EQ(ReadRamanOrDegradation(d, RealData("raman_jasco_ls4.txt")), -1);
  ASSERT_EQ(ReadRamanOrDegradation(d, RealData("raman_bd1469.txt")), 1);
  ExpectEnds(d, 2122, 25.061272, 920.29248, 1500, 305.86581);
  ASSERT_EQ(ReadRamanOrDegradation(d, RealData("xy_mnpc_tab.txt")), 1);
  ExpectEnds(d, 2201, 1, 5711.6667, 45, 437.5);
  ASSERT_EQ(ReadRamanOrDegradation(d, RealData("xy_xylib_crlf.txt")), 1);
  ExpectEnds(d, 4001, 20, 49, 100, 29);
}

TEST_F(RealFiles, PeFluorescenceFileAsPeIr) {
  SKIP_WITHOUT_REALDATA();
  std::string bytes = Slurp(RealData("pe_fl_ls50b.txt"));
  ASSERT_EQ(bytes.compare(0, 5, "PE FL"), 0);
  bytes.replace(0, 5, "PE IR");
  CVariousData d;
  ASSERT_EQ(ReadPeIr(d, Write("flu.asc", bytes)), 1);
  ExpectEnds(d, 181, 405, 27.15, 495, 45.256333);
}

TEST_F(RealFiles, JcampFilesAsTabularIr) {
  SKIP_WITHOUT_REALDATA();
  CVariousData d;
  ASSERT_EQ(ReadTabularIr(d, RealData("jcamp_labcalc.dx")), 1);
  EXPECT_EQ(d.label, "##TITLE= 2,2'-BIPYRIDINE");
  ASSERT_EQ(d.datan, 3435);
  const double header[10] = {0, 249.741, 3699.742, 1, 9.31323e-10, -10, 0.971056, 1, 0, 0};
  for (int i = 0; i < 10; ++i) ExpectPoint(d, i, 0, header[i]);
  ExpectPoint(d, 10, 249.741, 1042663104);
  ExpectPoint(d, 3434, 3685.64, 992625728);

  ASSERT_EQ(ReadTabularIr(d, RealData("jcamp_pe1800.dx")), 1);
  EXPECT_EQ(d.label, "##TITLE= Isobutylacrylat 1 ul");
  EXPECT_EQ(d.datan, 0);
  for (const char* name : {"jcamp_pe_ir_br1.dx", "jcamp_nist_acetone.jdx"}) {
    ASSERT_EQ(ReadTabularIr(d, RealData(name)), 1) << name;
    EXPECT_EQ(d.datan, 0) << name;
  }
}

}  // namespace
}  // namespace reader_tests
