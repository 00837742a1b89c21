// Rietan files: the INT intensity file (read and written) and the PAT pattern file, whose
// three columns are the observed, the calculated and the background intensities.
#pragma once

#include <string>

class CGraphData;

// ".int": 1 success, negative otherwise.
int ReadRietanInt(CGraphData& data, const std::string& path);
// Rietan INT writer: "%d  %lg  %lg\n" header, then " %6d" eleven per line. -1 / 0.
int WriteRietanInt(const CGraphData& data, const std::string& path, const char* mode);
// Rietan PAT, column 0, 1 or 2, into any curve (the measured data, the fit record's total and
// background curves). 1 success, 0 when the column does not exist in that form, -1 otherwise.
int ReadRietanPat(CGraphData& curve, const std::string& path, int column);
