#pragma once
#include <optional>

namespace zrm58 {

// What the command line and the environment decide before the toolkit starts: --help and
// --version are answered here, and a missing display ends the program with one clear line
// instead of the toolkit's abort. Returns the exit code when the program must end now; otherwise
// the strip starts (toolkit options such as -platform pass through untouched).
std::optional<int> startupChecks(int argc, char** argv);

} // namespace zrm58
