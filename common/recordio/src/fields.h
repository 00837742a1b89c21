// Field writers shared by the public format functions, Layout and free-format output.
// Each appends exactly the characters of one field to `out`; nothing allocates beyond the
// growth of `out`.
#pragma once

#include <string>
#include <string_view>

#include "recordio/recordio.h"

namespace recordio::detail {

void appendStars(std::string& out, int w);
void appendBlanks(std::string& out, int n);
void appendI(std::string& out, long long v, int w);
void appendF(std::string& out, double v, int w, int d);
void appendE(std::string& out, double v, int w, int d, int scale);
void appendG(std::string& out, double v, int w, int d, bool zeroFixed);
void appendA(std::string& out, std::string_view text, int w);
void appendFreeItem(std::string& out, const Item& item, const Notation& notation);

}  // namespace recordio::detail
