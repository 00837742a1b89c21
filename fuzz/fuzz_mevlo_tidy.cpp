// Mevlo's tidying of a data file: the whole clipboard text of a fuzzed file. The text starts
// with the file name line, every line feed in it ends a "\r\n" pair, and a numeric piece comes
// out without blanks.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "Tidy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const std::string name = "C:\\data\\run.txt";
  const std::string text = mevlo::TidyText(content, name);
  FUZZ_CHECK(text.rfind(name + "\r\n", 0) == 0);
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');

  const std::string_view piece = content.substr(0, mevlo::kPieceLength);
  const std::string tidy = mevlo::TidyPiece(piece);
  if (mevlo::IsNumericLine(piece)) FUZZ_CHECK(tidy.find(' ') == std::string::npos);
  else FUZZ_CHECK(tidy.size() >= piece.size() && tidy.size() <= piece.size() + 1);
  return 0;
}
