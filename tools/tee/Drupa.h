// Drupa: copies standard input to standard output and to a file, stepping the
// file name with a number ("log_001.txt", ...) when the file already exists.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace drupa {

// Longest file name accepted, both as given and after numbering.
constexpr std::size_t kMaxName = 255;
// Highest number tried for a numbered variant of an existing name.
constexpr int kMaxNumber = 999;

struct Options {
    bool force = false;   // "-f": overwrite, no numbering, no "Write to" line
    bool append = false;  // "-a": append (create when missing), no numbering, no "Write to" line
    std::string name;     // OutputFileName
};

// Reads the arguments that follow the program name. Only the first argument can
// be an option ("-f" or "-a" exactly); other arguments starting with "-" whose
// second character is 'f' or 'a' ("-fz", "-ab") are file names. Returns nothing
// when the usage text is due: no argument, an unknown option, or an option
// without a file name.
std::optional<Options> ParseArguments(const std::vector<std::string>& args);

// The name split for numbering: `prefix` is everything up to and including the
// last '/', `extension` what follows the last point after it (without the
// point), `base` what lies between.
struct NameParts {
    std::string prefix;
    std::string base;
    std::string extension;
};
NameParts SplitName(const std::string& name);

// "<prefix><base>_NNN[.<extension>]" with number as three digits.
std::string NumberedName(const NameParts& parts, int number);

// True when something of that name is present (a file of any kind, readable or
// not, or a directory), so that it must not be overwritten.
bool NameExists(const std::string& name);

// The name to write to in numbering mode: the name itself when free, else the
// first free numbered variant. Returns nothing when all 999 variants exist.
std::optional<std::string> ChooseFreeName(const std::string& name,
                                          const std::function<bool(const std::string&)>& exists);

// Reads at most `size` bytes into `buffer`; returns the count, 0 at the end of
// the input, a negative value after a read error.
using ReadFn = std::function<std::ptrdiff_t(char* buffer, std::size_t size)>;

// The whole program after its name: parses `args`, opens the output, copies the
// input to the file and to `out` chunk by chunk (file first, both flushed after
// every chunk so that a long run shows up at once). Messages of the tool go to
// `out`; a write error on the file during the copy is told on `err`, the copy to
// `out` goes on and the status becomes 1. A read error on the input ends the
// copy, and a write error on `out` is told once while the file copy goes on;
// both are told on `err` and make the status 1. Returns the exit status: 0
// after copying, 1 after the usage text, a refused name, a failed open, read
// or write.
int RunDrupa(const std::vector<std::string>& args, const ReadFn& read, std::ostream& out,
             std::ostream& err);

}  // namespace drupa
