// The Rigaku binary scan (byte order found from the data) and the Rietan INT and PAT files.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using Pair = std::pair<std::int32_t, std::int32_t>;

void Put32(std::string& out, std::int32_t v, bool bigEndian) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) {
    const int shift = bigEndian ? 24 - 8 * k : 8 * k;
    out.push_back(static_cast<char>((u >> shift) & 0xFF));
  }
}

// A binary scan: the 31-line text header (offset of the data on line 2, label on line 15,
// count on line 31), `gap` bytes of padding, then the pairs.
constexpr long long kPairCount = -1000000;  // the count line gives the number of pairs

std::string BinaryScan(const std::vector<Pair>& pairs, bool bigEndian, long long count = kPairCount,
                       const std::string& lineEnd = "\n", int gap = 16) {
  std::string header;
  for (int k = 1; k <= 31; ++k) {
    char line[64];
    switch (k) {
      case 1: std::snprintf(line, sizeof line, "numbr 1"); break;
      case 2: std::snprintf(line, sizeof line, "offst %08d", 0); break;
      case 15: std::snprintf(line, sizeof line, "title Si powder"); break;
      case 31:
        std::snprintf(line, sizeof line, "datan %lld", count == kPairCount ? (long long)pairs.size() : count);
        break;
      default: std::snprintf(line, sizeof line, "line%d", k);
    }
    header += line + lineEnd;
  }
  const std::size_t offset = header.size() + gap;
  char value[16];
  std::snprintf(value, sizeof value, "%08zu", offset);
  header.replace(header.find("00000000"), 8, value);
  std::string out = header + std::string(gap, '\x7f');
  for (const Pair& p : pairs) {
    Put32(out, p.first, bigEndian);
    Put32(out, p.second, bigEndian);
  }
  return out;
}

const std::vector<Pair> kScan = {{100000, 250}, {100200, 300}, {100400, 0}};

using BinaryScanReader = ReaderTest;

TEST_F(BinaryScanReader, EitherFormReadsEitherByteOrderWhenTheFirstPairTells) {
  for (bool fileBigEndian : {true, false}) {
    const std::string path = Write("s.raw", BinaryScan(kScan, fileBigEndian));
    for (bool bigEndianFirst : {true, false}) {
      CVariousData d;
      ASSERT_EQ(ReadRigakuBinary(d, path, bigEndianFirst), 1);
      ASSERT_EQ(d.datan, 3) << fileBigEndian << bigEndianFirst;
      ExpectPoint(d, 0, 10.0, 250);
      ExpectPoint(d, 2, 10.04, 0);
      EXPECT_EQ(d.label, "Si powder");
    }
  }
}

TEST_F(BinaryScanReader, BigEndianFileWithPlausibleLittleEndianFirstPairIsMisreadByTheSecondForm) {
  // 0x00010000, 0x00000100 read little-endian are 256 and 65536: plausible, so the second
  // form keeps its order for that pair; the next pair is implausible and switches.
  const std::vector<Pair> scan = {{65536, 256}, {100000, 7}};
  const std::string path = Write("s.raw", BinaryScan(scan, true));
  CVariousData second;
  ASSERT_EQ(ReadRigakuBinary(second, path, false), 1);
  ASSERT_EQ(second.datan, 2);
  ExpectPoint(second, 0, 0.0256, 65536);
  ExpectPoint(second, 1, 10.0, 7);
  CVariousData first;
  ASSERT_EQ(ReadRigakuBinary(first, path, true), 1);
  ExpectPoint(first, 0, 6.5536, 256);
}

TEST_F(BinaryScanReader, ByteOrderSwitchesOnlyOnce) {
  // Little-endian data read big-endian first: the first pair switches; a later pair that is
  // implausible either way is kept in the switched order.
  const std::vector<Pair> scan = {{100000, 5}, {100200, -3}, {100400, 6}};
  CVariousData d;
  ASSERT_EQ(ReadRigakuBinary(d, Write("s.raw", BinaryScan(scan, false)), true), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 10.02, -3);
  ExpectPoint(d, 2, 10.04, 6);
}

TEST_F(BinaryScanReader, HeaderLabelAndOffset) {
  CVariousData d;
  ASSERT_EQ(ReadRigakuBinary(d, Write("s.1", BinaryScan(kScan, true, kPairCount, "\r\n")), true), 1);
  EXPECT_EQ(d.label, "Si powder");  // the CR of a CR LF line end is not part of the text
  EXPECT_EQ(d.datan, 3);
  // Other bytes below 32 in a header line read as ".".
  std::string bytes = BinaryScan(kScan, true);
  bytes.replace(bytes.find("Si powder"), 9, "Si\x01powder");
  ASSERT_EQ(ReadRigakuBinary(d, Write("s.2", bytes), true), 1);
  EXPECT_EQ(d.label, "Si.powder");
  // An offset inside the header skips nothing: the data follow the count line.
  bytes = BinaryScan(kScan, true, kPairCount, "\n", 0);
  bytes.replace(bytes.find("offst ") + 6, 8, "00000010");
  ASSERT_EQ(ReadRigakuBinary(d, Write("s.3", bytes), true), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 10.02, 300);
}

TEST_F(BinaryScanReader, TruncatedOrShortFilesKeepThePointsRead) {
  std::string bytes = BinaryScan(kScan, true);
  CVariousData d;
  // Ends inside the third pair.
  ASSERT_EQ(ReadRigakuBinary(d, Write("a.raw", bytes.substr(0, bytes.size() - 3)), true), 1);
  EXPECT_EQ(d.datan, 2);
  // Count far beyond the data, and an absurd count.
  ASSERT_EQ(ReadRigakuBinary(d, Write("b.raw", BinaryScan(kScan, true, 2147483647)), true), 1);
  EXPECT_EQ(d.datan, 3);
  EXPECT_LE(d.maxDatan, 3);
  ASSERT_EQ(ReadRigakuBinary(d, Write("c.raw", BinaryScan(kScan, true, -7)), true), 1);
  EXPECT_EQ(d.datan, 0);
  // Data offset beyond the end of the file.
  std::string far = BinaryScan(kScan, true);
  far.replace(far.find("offst ") + 6, 8, "99999999");
  ASSERT_EQ(ReadRigakuBinary(d, Write("d.raw", far), true), 1);
  EXPECT_EQ(d.datan, 0);
}

TEST_F(BinaryScanReader, RefusesFilesWithoutMagicOrFullHeader) {
  CVariousData d;
  EXPECT_EQ(ReadRigakuBinary(d, Write("a.raw", "FI\0\0\xd8 binary"), false), -1);
  EXPECT_EQ(ReadRigakuBinary(d, Write("b.raw", "numbr 1\noffst 20\n"), true), -1);
  EXPECT_EQ(ReadRigakuBinary(d, Write("c.raw", "numb"), true), -1);
  EXPECT_EQ(ReadRigakuBinary(d, Path("missing.raw"), true), -1);
  EXPECT_EQ(d.datan, 0);
}

using RietanFiles = ReaderTest;

TEST_F(RietanFiles, IntReadsCommentsHeaderAndIntensities) {
  const std::string path = Write("a.int", "* Cu3Fe4\n* second\n3    10.000     0.010\n  9104   9375\n 9335 1\n");
  CVariousData d;
  ASSERT_EQ(ReadRietanInt(d, path), 1);
  EXPECT_EQ(d.label, path);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 10.0, 9104);
  ExpectPoint(d, 2, 10.02, 9335);
}

TEST_F(RietanFiles, IntInGeneralFormIsReadAsPairs) {
  CVariousData d;
  const std::string path = Write("g.int", "* comment\nGENERAL\n 3\n 15.00 609\n 15.02\t612\n15.04 673\n9 9\n");
  ASSERT_EQ(ReadRietanInt(d, path), 1);
  EXPECT_EQ(d.label, path);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 15.0, 609);
  ExpectPoint(d, 2, 15.04, 673);
  // A count beyond the data keeps the points actually read.
  ASSERT_EQ(ReadRietanInt(d, Write("h.int", "GENERAL\n 2147483647\n 1 2\n")), 1);
  EXPECT_EQ(d.datan, 1);
}

TEST_F(RietanFiles, IntWithoutNumericHeaderIsRefused) {
  CVariousData d;
  EXPECT_EQ(ReadRietanInt(d, Write("a.int", "IGOR\nWAVES/D\twave0\twave1\nBEGIN\n")), -1);
  EXPECT_EQ(ReadRietanInt(d, Write("b.int", "* only comments\n")), -1);
  EXPECT_EQ(ReadRietanInt(d, Write("c.int", "3 10\n1 2 3\n")), -1);
  EXPECT_EQ(ReadRietanInt(d, Path("none.int")), -1);
}

TEST_F(RietanFiles, WriterRoundsStepAndWritesElevenTruncatedValuesPerLine) {
  CVariousData d;
  ASSERT_EQ(d.SetSize(12), 12);
  for (int i = 0; i < 12; ++i) {
    d.SetX(i, 10.0 + i * 0.02);
    d.SetY(i, i == 1 ? -2.7 : i + 0.9);
  }
  d.SetX(1, 10.02);  // 10.02 - 10 is a little below 0.02 in binary
  ASSERT_LT((d.GetX(1) - d.GetX(0)) * 10000, 200.0);
  const std::string path = Path("out.int");
  ASSERT_EQ(WriteRietanInt(d, path, "w"), 0);
  EXPECT_EQ(Slurp(path),
            "12  10  0.02\n"
            "      0     -2      2      3      4      5      6      7      8      9     10\n"
            "     11\n");
  EXPECT_FALSE(fs::exists(path + ".part"));
  // Reading it back gives the same grid and the truncated values.
  CVariousData back;
  ASSERT_EQ(ReadRietanInt(back, path), 1);
  ASSERT_EQ(back.datan, 12);
  ExpectPoint(back, 11, 10.22, 11);
}

TEST_F(RietanFiles, WriterOnShortCurvesAndUnwritablePaths) {
  CVariousData d;
  const std::string path = Write("keep.int", "good data\n");
  ASSERT_EQ(WriteRietanInt(d, Path("no/such/dir/x.int"), "w"), -1);
  ASSERT_EQ(WriteRietanInt(d, path, "w"), 0);
  EXPECT_EQ(Slurp(path), "0  0  0\n");
  d.SetSize(1);
  d.SetX(0, 5);
  d.SetY(0, 1e12);  // beyond the int range: written as the largest int, not garbage
  ASSERT_EQ(WriteRietanInt(d, path, "w"), 0);
  EXPECT_EQ(Slurp(path), "1  5  0\n 2147483647\n");
}

TEST_F(RietanFiles, WriterUpdatesTheFileALinkNamesAndKeepsTheLink) {
  CVariousData d;
  ASSERT_EQ(d.SetSize(2), 2);
  d.SetX(0, 10);
  d.SetX(1, 10.5);
  d.SetY(0, 7);
  d.SetY(1, 8);
  const std::string real = Write("real.int", "old\n");
  const std::string link = Path("link.int");
  fs::create_symlink(real, link);
  ASSERT_EQ(WriteRietanInt(d, link, "w"), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(real), "2  10  0.5\n      7      8\n");
}

std::string NptszPat() {
  return "Pattern of fapatite\n other header\n NPTSZ     3\n THMINZ  10.0\n STEPZ 0.5\n"
         " skipped\n 100 90\n 110 95 120\n 96\n";
}

TEST_F(RietanFiles, PatNptszFormHasTwoColumns) {
  const std::string path = Write("a.pat", NptszPat());
  CVariousData measured;
  ASSERT_EQ(ReadRietanPat(measured, path, 0), 1);
  EXPECT_EQ(measured.label, "Pattern of fapatite");
  ASSERT_EQ(measured.datan, 3);
  ExpectPoint(measured, 2, 11.0, 120);
  CGraphData total;
  ASSERT_EQ(ReadRietanPat(total, path, 1), 1);
  ExpectPoint(total, 1, 10.5, 95);
  CGraphData background;
  EXPECT_EQ(ReadRietanPat(background, path, 2), 0);
  EXPECT_EQ(background.datan, 0);
}

TEST_F(RietanFiles, PatSecondFormHasThreeColumns) {
  const std::string path = Write("b.pat", "title\n1 0.25 0 0\n2 20.0\n5 6 7\n8 9 10\n");
  for (int column = 0; column < 3; ++column) {
    CGraphData c;
    ASSERT_EQ(ReadRietanPat(c, path, column), 1);
    ASSERT_EQ(c.datan, 2);
    ExpectPoint(c, 0, 20.0, 5 + column);
    ExpectPoint(c, 1, 20.25, 8 + column);
  }
  CGraphData c;
  EXPECT_EQ(ReadRietanPat(c, Write("c.pat", "title\nno numbers\n"), 0), -1);
  EXPECT_EQ(ReadRietanPat(c, Path("none.pat"), 0), -1);
}

}  // namespace
}  // namespace reader_tests
