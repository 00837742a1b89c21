// The trend picture of a series summary (SeriesSummary.h): every peak's position, FWHM and area
// against the scan in three frames, one line per peak, a scan without a value as a gap, into a
// PNG, SVG or PDF file as ExportGraph writes them. Needs a Qt application object.
#pragma once

#include <string>

#include "ViewFont.h"

class IPlatform;

// iniPath: the settings of the scratch document that holds the frames ([GraphView] font,
// else fallbackFont). false with error set when the summary holds no peak or the picture
// cannot be written.
bool ExportSeriesTrend(const std::string& summary, const std::string& picture, IPlatform& platform,
                       const std::string& iniPath, const CFontSpec& fallbackFont, std::string& error);
