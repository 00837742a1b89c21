// The tidying of a data file for pasting into a spreadsheet: on lines made only
// of numbers, dates and times, runs of blanks and tabs become single tabs and
// exponents written with D become E; every line end becomes "\r\n".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mevlo {

// Lines are taken at most this many characters at a time; a longer line arrives
// in pieces, each tidied as a line of its own.
constexpr std::size_t kPieceLength = 255;

// True when every character of `piece` is one of ":/+-0123456789DEde. \t\r\n".
bool IsNumericLine(std::string_view piece);

// One piece as it goes into the output: a numeric piece loses its leading blanks
// and tabs, every further run of blanks and tabs becomes one tab, and a D or d
// that follows one of ".0123456789" becomes E; any other piece stays as it is.
// Then the last line feed, if any, becomes "\r\n".
std::string TidyPiece(std::string_view piece);

// The whole clipboard text for a file named `fileName` with contents `content`:
// the name and "\r\n", then every piece tidied. Carriage return and line feed
// pairs are read as line feeds first. A last line without a line feed is kept
// (appended without a line end).
std::string TidyText(std::string_view content, const std::string& fileName);

}  // namespace mevlo
