// The photocurrent degradation log (time-stamped values) and the labelled text data file.
// Each fills the curve as the other readers do: 1 success, negative otherwise.
#pragma once

#include <string>

class CGraphData;

int ReadDegradationLog(CGraphData& data, const std::string& path);
int ReadTextData(CGraphData& data, const std::string& path);
