// Drupa [-f|-a] OutputFileName: tee with numbered output files.
#include <unistd.h>

#include <cerrno>
#include <iostream>

#include "BalimorVersion.h"
#include "Drupa.h"

int main(int argc, char** argv) {
    if (balimor::PrintVersionIfAsked(argc, argv, "Drupa")) return 0;
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    // Reads what is there now rather than waiting for a full chunk, so that the
    // output of a long run reaches the console as it comes.
    auto readInput = [](char* buffer, std::size_t size) -> std::ptrdiff_t {
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, size);
            if (n >= 0 || errno != EINTR) return n;
        }
    };
    return drupa::RunDrupa(args, readInput, std::cout, std::cerr);
}
