#include "Drupa.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace drupa {

namespace {

constexpr const char* kUsage =
    "usage: Drupa [-f|-a] OutputFileName\n"
    "  OutputFileName will be changed if OutputFileName exists.\n"
    "  To suppress the OutputFileName update function, use -f.\n"
    "  To append the output, use -a.\n"
    "\n";

// Size of one chunk of the copy.
constexpr std::size_t kChunk = 64 * 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

std::optional<Options> ParseArguments(const std::vector<std::string>& args) {
    if (args.empty()) return std::nullopt;
    Options options;
    const std::string& first = args[0];
    std::size_t nameIndex = 0;
    if (first == "-f" || first == "-a") {
        (first == "-f" ? options.force : options.append) = true;
        nameIndex = 1;
    } else if (!first.empty() && first[0] == '-' &&
               (first.size() < 2 || (first[1] != 'f' && first[1] != 'a'))) {
        return std::nullopt;
    }
    if (nameIndex >= args.size()) return std::nullopt;
    options.name = args[nameIndex];
    return options;
}

NameParts SplitName(const std::string& name) {
    NameParts parts;
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    parts.prefix = name.substr(0, start);
    const std::string rest = name.substr(start);
    const std::size_t point = rest.rfind('.');
    if (point == std::string::npos) {
        parts.base = rest;
    } else {
        parts.base = rest.substr(0, point);
        parts.extension = rest.substr(point + 1);
    }
    return parts;
}

std::string NumberedName(const NameParts& parts, int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "_%03d", number);
    std::string result = parts.prefix + parts.base + digits;
    if (!parts.extension.empty()) result += "." + parts.extension;
    return result;
}

bool NameExists(const std::string& name) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(name, ec);
    return !ec && status.type() != std::filesystem::file_type::not_found;
}

std::optional<std::string> ChooseFreeName(const std::string& name,
                                          const std::function<bool(const std::string&)>& exists) {
    if (!exists(name)) return name;
    const NameParts parts = SplitName(name);
    for (int i = 1; i <= kMaxNumber; ++i) {
        std::string candidate = NumberedName(parts, i);
        if (!exists(candidate)) return candidate;
    }
    return std::nullopt;
}

int RunDrupa(const std::vector<std::string>& args, const ReadFn& read, std::ostream& out,
             std::ostream& err) {
    const std::optional<Options> options = ParseArguments(args);
    if (!options) {
        out << kUsage << std::flush;
        return 1;
    }
    const std::string& name = options->name;
    if (name.size() > kMaxName) {
        out << "Error: File name longer than " << kMaxName << " characters.\n\n" << std::flush;
        return 1;
    }

    std::string used = name;
    const char* mode = options->append ? "a" : "w";
    if (!options->force && !options->append) {
        if (NameExists(name) && NumberedName(SplitName(name), kMaxNumber).size() > kMaxName) {
            out << "Error: " << name << " exists and its numbered name would be longer than "
                << kMaxName << " characters.\n\n" << std::flush;
            return 1;
        }
        const std::optional<std::string> chosen = ChooseFreeName(name, NameExists);
        if (!chosen) {
            out << "Error: " << name << " and all numbered names up to "
                << NumberedName(SplitName(name), kMaxNumber)
                << " exist; use -f to overwrite or -a to append.\n\n" << std::flush;
            return 1;
        }
        used = *chosen;
        out << "Drupa: Write to " << used << "\n" << std::flush;
        // Exclusive creation: a file that appeared since the check is never overwritten.
        mode = "wx";
    }

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(used.c_str(), mode));
    if (!file) {
        out << "Error: Can not write to " << used << ".\n\n" << std::flush;
        return 1;
    }

    bool fileGood = true;
    auto reportWriteError = [&] {
        err << "Error: Can not write to " << used << ".\n" << std::flush;
        fileGood = false;
    };
    bool consoleGood = true;
    bool inputGood = true;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const std::ptrdiff_t got = read(buffer.get(), kChunk);
        if (got < 0) {
            err << "Error: Can not read the standard input.\n" << std::flush;
            inputGood = false;
            break;
        }
        if (got == 0) break;
        const std::size_t n = static_cast<std::size_t>(got);
        if (fileGood && (std::fwrite(buffer.get(), 1, n, file.get()) != n ||
                         std::fflush(file.get()) != 0)) {
            reportWriteError();
        }
        if (consoleGood) {
            out.write(buffer.get(), static_cast<std::streamsize>(n));
            out.flush();
            if (!out) {
                // The file still gets the whole input.
                err << "Error: Can not write to the standard output.\n" << std::flush;
                consoleGood = false;
            }
        }
    }
    if (std::fclose(file.release()) != 0 && fileGood) reportWriteError();
    return fileGood && consoleGood && inputGood ? 0 : 1;
}

}  // namespace drupa
