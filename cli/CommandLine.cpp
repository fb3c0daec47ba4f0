#include "cli/CommandLine.h"
#include <cerrno>

namespace zrm58::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareUtf8Output() {}

bool readerWentAway(int error) {
    return error == EPIPE;
}

} // namespace zrm58::cli
