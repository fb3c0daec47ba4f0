#pragma once
#include <optional>

namespace zrm58 {

// What the command line and the environment decide before the toolkit starts: --help and
// --version are answered here, and a missing display ends the program with one clear line
// instead of the toolkit's abort. Returns the exit code when the program must end now; otherwise
// the strip starts (toolkit options such as -platform pass through untouched).
std::optional<int> startupChecks(int argc, char** argv);

// What is left of the command line once the toolkit has taken its own options (-platform,
// -display, -style and the rest, whatever its version knows): the strip takes no other option
// nor any argument, so anything left is told in one line and the program ends with 2, before it
// starts a strip or hands over to a running one.
std::optional<int> rejectLeftoverArguments(int argc, char** argv);

} // namespace zrm58
