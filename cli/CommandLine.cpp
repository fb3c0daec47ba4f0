#include "cli/CommandLine.h"

namespace zrm58::cli {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void prepareUtf8Output() {}

} // namespace zrm58::cli
