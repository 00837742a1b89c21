// The free-format reader on inline text: records, continuation, separators, exponents,
// text records and every error message.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>

#include "recordio/recordio.h"

using namespace recordio;

namespace {

TEST(FreeReader, RecordsStartOnNewLinesAndDropTheRestOfTheLine) {
  std::istringstream in("5 0.001 1e-4 trailing words\n1.5406 1.5444\n");
  FreeReader r(in, "fit.pfc");
  int n = 0;
  float damping = 0, eps = 0, r1 = 0;
  ASSERT_TRUE(r.record({&n, &damping, &eps}));
  ASSERT_TRUE(r.record({&r1}));
  EXPECT_EQ(n, 5);
  EXPECT_FLOAT_EQ(damping, 0.001f);
  EXPECT_FLOAT_EQ(eps, 1e-4f);
  EXPECT_FLOAT_EQ(r1, 1.5406f);  // 1.5444 on the same line is dropped
  EXPECT_EQ(r.recordNumber(), 2);
  EXPECT_TRUE(r.error().empty());
}

TEST(FreeReader, ShortRecordContinuesOnTheNextLines) {
  // The parameter record with two numbers takes its third from the next line and drops the
  // rest of it, so the following record falls out of step.
  std::istringstream in("28.44 1\n\n  0.0 99 98\n7\n");
  FreeReader r(in, "job.pfc");
  float value = 0, change = 0;
  int flag = 0, next = 0;
  ASSERT_TRUE(r.record({&value, &flag, &change}));
  EXPECT_FLOAT_EQ(value, 28.44f);
  EXPECT_EQ(flag, 1);
  EXPECT_FLOAT_EQ(change, 0.0f);
  ASSERT_TRUE(r.record({&next}));
  EXPECT_EQ(next, 7);
}

TEST(FreeReader, SeparatorsExponentsAndSigns) {
  std::istringstream in("1.5D+02,\t-2.5d-1 , +3\n2.0E3 1.5+3 .5 7.\n  -0 +12 -3\n");
  FreeReader r(in, "x");
  double a = 0, b = 0;
  int c = 0, k = 0, m = 0;
  float d = 0, e = 0, f = 0, g = 0, z = 1;
  ASSERT_TRUE(r.record({&a, &b, &c}));
  ASSERT_TRUE(r.record({&d, &e, &f, &g}));
  ASSERT_TRUE(r.record({&z, &k, &m}));
  EXPECT_EQ(a, 150.0);
  EXPECT_EQ(b, -0.25);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(d, 2000.0f);
  EXPECT_EQ(e, 1500.0f);  // a signed exponent without its letter, as our g fields write it
  EXPECT_EQ(f, 0.5f);
  EXPECT_EQ(g, 7.0f);
  EXPECT_EQ(z, 0.0f);
  EXPECT_EQ(k, 12);
  EXPECT_EQ(m, -3);
}

TEST(FreeReader, FloatTargetsKeepSinglePrecision) {
  std::istringstream in("0.1 0.1\n16777217 1e-50\n");
  FreeReader r(in, "x");
  float f = 0, big = 0, tiny = 1;
  double d = 0;
  ASSERT_TRUE(r.record({&f, &d}));
  ASSERT_TRUE(r.record({&big, &tiny}));
  EXPECT_EQ(f, 0.1f);
  EXPECT_EQ(d, 0.1);
  EXPECT_EQ(big, 16777216.0f);
  EXPECT_EQ(tiny, 0.0f);  // below the smallest float: read as zero
}

TEST(FreeReader, WhatTheWritersWriteReadsBack) {
  const Notation n = simplexNotation();
  std::string text = formatG(1.23456e99, 14, 6, n) + formatG(-0.5e-3, 14, 6, n) + "\n" +
                     writeFree({"   ", 1.0e10, 3LL, 2.5f}, n);
  std::istringstream in(text);
  FreeReader r(in, "new.pfc");
  double big = 0, small = 0, step = 0;
  int flag = 0;
  float value = 0;
  ASSERT_TRUE(r.record({&big, &small}));
  ASSERT_TRUE(r.record({&step, &flag, &value}));
  EXPECT_DOUBLE_EQ(big, 1.23456e99);
  EXPECT_DOUBLE_EQ(small, -0.5e-3);
  EXPECT_EQ(step, 1.0e10);
  EXPECT_EQ(flag, 3);
  EXPECT_EQ(value, 2.5f);
}

TEST(FreeReader, TextRecordsArePaddedCutAndLoseTheirCarriageReturn) {
  std::istringstream in("Quartz scan\r\n" + std::string(100, 'x') + "\r\n\r\nMarquardt least squares\n1 2\r\n");
  FreeReader r(in, "job.pfc");
  std::string title, name, program, method;
  ASSERT_TRUE(r.text(title, 20));
  ASSERT_TRUE(r.text(name, 80));
  ASSERT_TRUE(r.text(program, 5));
  ASSERT_TRUE(r.text(method, 4));
  EXPECT_EQ(title, "Quartz scan         ");
  EXPECT_EQ(name, std::string(80, 'x'));
  EXPECT_EQ(program, "     ");
  EXPECT_EQ(method, "Marq");
  int a = 0, b = 0;
  ASSERT_TRUE(r.record({&a, &b}));
  EXPECT_EQ(b, 2);
}

struct ErrorCase {
  const char* text;
  const char* expected;
};

TEST(FreeReader, EachErrorIsOneLineNamingFileAndRecord) {
  const ErrorCase cases[] = {
      {"1 2\n3 abc\n", "fit.pfc: record 2: 'abc' is not a number"},
      {"1.5\n", "fit.pfc: record 1: '1.5' is not an integer"},
      {"1\n", "fit.pfc: record 2: the file ends early"},
      {"1\n2\n3 4\n", "fit.pfc: record 3: the file ends early"},  // the third record is short
      {"1\n1e40 2\n", "fit.pfc: record 2: '1e40' is out of range"},
      {"99999999999\n", "fit.pfc: record 1: '99999999999' is out of range"},
      {"1\n2 1.5e\n", "fit.pfc: record 2: '1.5e' is not a number"},
      {"1\n2 nan\n", "fit.pfc: record 2: 'nan' is not a number"},
      {"1\n2 inf\n", "fit.pfc: record 2: 'inf' is not a number"},
      {"1\n--2\n", "fit.pfc: record 2: '--2' is not a number"},
      {"1\n2 1.2.3\n", "fit.pfc: record 2: '1.2.3' is not a number"},
  };
  for (const ErrorCase& c : cases) {
    std::istringstream in(c.text);
    FreeReader r(in, "fit.pfc");
    int n = 0;
    float x = 0, y = 0;
    bool ok = r.record({&n});
    if (ok) ok = r.record({&x, &y});
    if (ok) ok = r.record({&x, &y, &n});
    EXPECT_FALSE(ok) << c.text;
    EXPECT_EQ(r.error(), c.expected) << c.text;
  }
}

TEST(FreeReader, LongOrControlTokensAreShortenedInTheMessage) {
  std::istringstream in("\x01" + std::string(60, 'z') + "\n");
  FreeReader r(in, "f");
  float x = 0;
  EXPECT_FALSE(r.record({&x}));
  EXPECT_EQ(r.error(), "f: record 1: '?" + std::string(39, 'z') + "...' is not a number");
}

TEST(FreeReader, CallerCanRejectARecordInTheSameForm) {
  std::istringstream in("1\n31\n");
  FreeReader r(in, "fit.pfc");
  int nb = 0, np = 0;
  ASSERT_TRUE(r.record({&nb}));
  ASSERT_TRUE(r.record({&np}));
  EXPECT_FALSE(r.reject("31 peaks, at most 30"));
  EXPECT_FALSE(r.reject("later"));
  EXPECT_EQ(r.error(), "fit.pfc: record 2: 31 peaks, at most 30");
}

TEST(FreeReader, AfterAFailureEveryCallFailsAndTheFirstErrorStays) {
  std::istringstream in("x\n1\nname\n");
  FreeReader r(in, "f");
  int n = 0;
  std::string s;
  EXPECT_FALSE(r.record({&n}));
  const std::string first = r.error();
  EXPECT_FALSE(r.record({&n}));
  EXPECT_FALSE(r.text(s, 4));
  EXPECT_EQ(r.error(), first);
  EXPECT_EQ(r.recordNumber(), 1);
}

TEST(FreeReader, EmptyRecordSkipsOneLineAndTextAtEndFails) {
  std::istringstream in("skip me\n4\n");
  FreeReader r(in, "f");
  int n = 0;
  std::string s;
  ASSERT_TRUE(r.record({}));
  ASSERT_TRUE(r.record({&n}));
  EXPECT_EQ(n, 4);
  EXPECT_FALSE(r.text(s, 3));
  EXPECT_EQ(r.error(), "f: record 3: the file ends early");
}

// Random bytes and random number-like tokens: the reader never crashes, stops with a message,
// and every token it accepts as a double is the value C scanning gives it.
TEST(FreeReader, FuzzedInputNeverCrashes) {
  std::mt19937 rng(12345);
  const std::string alphabet = "0123456789+-.eEdD, \t\r\nx*/";
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int len = static_cast<int>(rng() % 200);
    for (int i = 0; i < len; ++i)
      text += round % 2 ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    std::istringstream in(text);
    FreeReader r(in, "fuzz");
    double d = 0;
    int k = 0;
    float f = 0;
    std::string s;
    int records = 0;
    while (records < 1000 && r.record({&d, &k, &f}) && r.text(s, 3)) ++records;
    EXPECT_FALSE(r.error().empty());
    EXPECT_EQ(r.error().find('\n'), std::string::npos);
  }
  for (int round = 0; round < 2000; ++round) {
    std::string token;
    const int len = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < len; ++i) token += "0123456789.e-+"[rng() % 14];
    std::istringstream in(token + "\n");
    FreeReader r(in, "t");
    double d = 0;
    if (r.record({&d})) {
      char* end = nullptr;
      const double expected = std::strtod(token.c_str(), &end);
      if (*end == '\0') {  // 1.5+3 has no C reading
        EXPECT_EQ(d, expected) << token;
      }
    }
  }
}

}  // namespace
