// Mevlo [infile]: puts a data file on the clipboard, tidied for a spreadsheet.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "BalimorVersion.h"
#include "Clipboard.h"
#include "OpenDialog.h"
#include "Profile.h"
#include "Settings.h"
#include "Tidy.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The INI file: the one named by MEVLO_INI, else the one beside the program.
std::string IniPath(const char* argv0) {
    if (const char* named = std::getenv(mevlo::kIniVariable); named && *named) return named;
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return mevlo::IniPathForProgram(ec ? std::string(argv0 ? argv0 : "Mevlo") : self.string());
}

// The whole file, or nothing after a read error (errno tells which).
bool ReadAll(std::FILE* f, std::string& content) {
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) content.append(buffer, n);
    return !std::ferror(f);
}

int Run(int argc, char** argv) {
    const std::string ini = IniPath(argc > 0 ? argv[0] : nullptr);

    std::string fileName;
    if (argc >= 2) {
        fileName = argv[1];
    } else {
        const std::string readDir = mevlo::ReadProfileString(ini, mevlo::kPreferencesSection,
                                                             mevlo::kReadDirKey, mevlo::kReadDirDefault);
        const auto chosen = mevlo::ChooseDataFile(readDir);
        if (!chosen) {
            std::fputs("usage: Mevlo infile\n\n", stdout);
            return 1;
        }
        fileName = *chosen;
        // Remembering the directory is a convenience; the file is put on the
        // clipboard even when the INI file cannot be written.
        if (const auto dir = mevlo::ReadDirOfChoice(fileName)) {
            mevlo::WriteProfileString(ini, mevlo::kPreferencesSection, mevlo::kReadDirKey, *dir);
        }
    }

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName.c_str(), "rb"));
    if (!file) {
        std::perror(fileName.c_str());
        return 1;
    }
    std::string content;
    if (!ReadAll(file.get(), content)) {
        std::perror(fileName.c_str());
        return 1;
    }
    file.reset();

    const std::string text = mevlo::TidyText(content, fileName);
    content = std::string();
    const std::string failure = mevlo::PutOnClipboard(text);
    if (!failure.empty()) {
        std::fprintf(stderr, "Mevlo: can not put the text on the clipboard: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (balimor::PrintVersionIfAsked(argc, argv, "Mevlo")) return 0;
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("Mevlo: the file is too large to put on the clipboard\n", stderr);
        return 1;
    }
}
