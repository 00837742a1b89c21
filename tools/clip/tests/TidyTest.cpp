#include <gtest/gtest.h>

#include "Tidy.h"

using mevlo::TidyText;

namespace {

struct Case {
    const char* input;
    const char* expected;  // after the file name line
};

void ExpectTidied(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(TidyText(c.input, "in.dat"), std::string("in.dat\r\n") + c.expected)
            << "input: " << c.input;
    }
}

}  // namespace

TEST(MevloTidy, NumericLinesBecomeTabbedColumns) {
    ExpectTidied({
        {"  1.0   2.5d+03\t 7\n", "1.0\t2.5E+03\t7\r\n"},
        {"1.0 2.0 \n", "1.0\t2.0\t\r\n"},  // trailing blank run: a tab before the line end
        {"12:30 2001/01/02\n", "12:30\t2001/01/02\r\n"},
        {"1.5D-3 7d2 .D1 1e5 2E5\n", "1.5E-3\t7E2\t.E1\t1e5\t2E5\r\n"},
        {"\t \n", "\r\n"},
    });
}

TEST(MevloTidy, DStaysWithoutDigitOrPointBefore) {
    ExpectTidied({
        {"D5 3\n", "D5\t3\r\n"},      // nothing before the leading D
        {"  d5 3\n", "d5\t3\r\n"},    // only dropped blanks before it
        {"5 d3 +D1\n", "5\td3\t+D1\r\n"},
    });
}

TEST(MevloTidy, OtherLinesPassUnchanged) {
    ExpectTidied({
        {"Wave number / cm-1\n", "Wave number / cm-1\r\n"},
        {"  x  1.0d3\n", "  x  1.0d3\r\n"},  // one foreign character keeps the whole line
        {"1.0,2.0\n", "1.0,2.0\r\n"},
    });
}

TEST(MevloTidy, EmptyFileGivesOnlyTheName) {
    EXPECT_EQ(TidyText("", "/data/empty.txt"), "/data/empty.txt\r\n");
}

TEST(MevloTidy, LastLineWithoutLineFeedIsKept) {
    ExpectTidied({
        {"1 2\n3  4", "1\t2\r\n3\t4"},
        {"Header", "Header"},
    });
}

TEST(MevloTidy, CarriageReturnLineFeedIsOneLineEnd) {
    ExpectTidied({
        {"1.0  2.0\r\nWave / cm-1\r\n3 4 \r\n", "1.0\t2.0\r\nWave / cm-1\r\n3\t4\t\r\n"},
        {"1 2\r\n3 4\r", "1\t2\r\n3\t4\r"},  // a carriage return alone stays
        {"a\rb\n", "a\rb\r\n"},
    });
}

TEST(MevloTidy, LongLineArrivesInPieces) {
    // 300 characters with the line feed: 255 in the first piece, each piece
    // tidied on its own (leading blanks of the second piece are dropped).
    const std::string ones(254, '1'), twos(43, '2');
    EXPECT_EQ(TidyText(ones + "  " + twos + "\n", "f"), "f\r\n" + ones + "\t" + twos + "\r\n");
    // A D at the start of a piece has no preceding character in its piece.
    EXPECT_EQ(TidyText(ones + ".d3\n", "f"), "f\r\n" + ones + ".d3\r\n");
    // A line of exactly 255 characters with its line end (CR LF counting as one)
    // is one piece; no empty line follows.
    EXPECT_EQ(TidyText(ones + "\r\n7\n", "f"), "f\r\n" + ones + "\r\n7\r\n");
    // A foreign character in the second piece leaves only that piece untouched.
    const std::string spaced = std::string(250, '1') + "     x  2\n";
    EXPECT_EQ(TidyText(spaced, "f"), "f\r\n" + std::string(250, '1') + "\tx  2\r\n");
}

TEST(MevloTidy, LargeInputIsNotCutShort) {
    // Well past 1,000,000 bytes of output.
    std::string content;
    for (int i = 0; i < 100000; ++i) content += "1.0 2.5d+03\n";
    const std::string text = TidyText(content, "big");
    ASSERT_EQ(text.size(), 5u + 100000u * 13u);
    EXPECT_EQ(text.substr(text.size() - 13), "1.0\t2.5E+03\r\n");
}
