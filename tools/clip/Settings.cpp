#include "Settings.h"

namespace mevlo {

std::string IniPathForProgram(const std::string& programPath) {
    const std::size_t slash = programPath.rfind('/');
    const std::size_t point = programPath.rfind('.');
    const bool hasExtension =
        point != std::string::npos && (slash == std::string::npos || point > slash + 1);
    return (hasExtension ? programPath.substr(0, point) : programPath) + ".Ini";
}

std::optional<std::string> ReadDirOfChoice(const std::string& chosenPath) {
    const std::size_t slash = chosenPath.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    if (slash == 0) return std::string("/");
    return chosenPath.substr(0, slash);
}

}  // namespace mevlo
