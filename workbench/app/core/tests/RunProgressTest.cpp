// The progress line of a run, from fitter output as it arrives in chunks of any size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RunProgress.h"

namespace {

struct Case {
  const char* name;
  std::vector<std::string> chunks;
  double elapsed;
  const char* line;
};

TEST(RunProgress, LineFromOutputChunks) {
  const Case cases[] = {
      {"nothing printed yet", {}, 3.4, "elapsed 0:03"},
      {"two cycles of the fixed damping, lines split between chunks",
       {" Optimize by Marq                     \n Start cycle   1 S=  0.171075E+08 sig",
        "ma=   37.4487    \n   1  28.6  0.1  28.7\n Start cycle   2 S=  0.140277E+07 sigma=   10.7235    \n"},
       26.0, "Cycle 2   S = 1.40277e+06   sigma = 10.7235 %   elapsed 0:26"},
      {"a line not yet ended is not read",
       {" Start cycle   1 S=   573543.     sigma=   6.85688    \n Start cycle   2 S=   5000"}, 0,
       "Cycle 1   S = 573543   sigma = 6.85688 %   elapsed 0:00"},
      {"the adaptive method counts accepted and rejected steps (CR LF line ends)",
       {" Optimize by MARQADAPTIVE\r\n Start cycle   1 S=  0.171075E+08 sigma=   37.4487\r\n",
        " Start cycle   2 S=  0.140277E+07 sigma=   10.7235\r\n",
        " *** Rejected step in cycle  2, trial S=   0.2E+07    , damping raised to  0.477671E-06\r\n",
        " *** Rejected step in cycle  2, the matrix is singular, damping raised to  0.9E-06\r\n",
        " Start cycle   3 S=   573543.     sigma=   6.85688\r\n"},
       61, "Cycle 3   S = 573543   sigma = 6.85688 %   accepted 2, rejected 2   elapsed 1:01"},
      {"past cycle 999 the number is stars and the lines are counted",
       {std::string(1000, '\n') + " Start cycle *** S=   1.5     sigma=   2.5\n", " Start cycle   5 S= x sigma= 1\n"},
       3725, "Cycle 1   S = 1.5   sigma = 2.5 %   elapsed 1:02:05"},
      {"the simplex's progress lines",
       {"[***Start SMPLX]\n ITER= 1000  FL, FS, FH= 2.37269114E+02 2.38839889E+02 2.39038476E+02\n",
        " ITER= 2000  FL, FS, FH= 1.56053016E+02 1.57399230E+02 1.57422849E+02\n",
        " ITER=*****  FL, FS, FH= 1.50000000E+02 1.57399230E+02 1.57422849E+02\n"},
       5, "Iteration 2000   lowest S = 150   elapsed 0:05"},
      {"a line longer than any fitter's is dropped whole",
       {" Start cycle   1 S=   1.0     sigma=   2.0\n", " Start cycle   2 S=   3.0 " + std::string(5000, ' '),
        "sigma=   4.0\n"},
       0, "Cycle 1   S = 1   sigma = 2 %   elapsed 0:00"},
  };
  for (const Case& c : cases) {
    CRunProgress progress;
    for (const std::string& chunk : c.chunks) progress.Feed(chunk);
    EXPECT_EQ(progress.Line(c.elapsed), c.line) << c.name;
  }
  EXPECT_EQ(ElapsedText(-1), "0:00");
  EXPECT_EQ(ElapsedText(59.99), "0:59");
}

}  // namespace
