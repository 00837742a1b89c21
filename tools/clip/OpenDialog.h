// The file-open dialog in which Mevlo's input file is chosen when none is named.
#pragma once

#include <optional>
#include <string>

namespace mevlo {

// Shows the desktop's file-open dialog titled "Data File Read" with the filter
// "Data File (*.*)" (every file) starting in `startDir`, for one existing file.
// Returns the chosen full path; nothing when it is cancelled or when no display
// can be reached (none named, or the toolkit told to draw off screen).
std::optional<std::string> ChooseDataFile(const std::string& startDir);

}  // namespace mevlo
