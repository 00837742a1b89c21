// Built when no toolkit is available: there is no dialog, so Mevlo needs the
// file name on its command line.
#include "OpenDialog.h"

namespace mevlo {

std::optional<std::string> ChooseDataFile(const std::string&) { return std::nullopt; }

}  // namespace mevlo
