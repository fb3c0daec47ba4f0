#pragma once
#include <optional>

namespace zrm58 {

// The first argument that is neither one of the toolkit's own options (with its value, where it
// takes one) nor --help/--version: what the toolkit would leave on the command line. Index into
// argv, or std::nullopt when there is none. It lets an unknown option be told before the display
// is looked at, the same way with a display as without one.
std::optional<int> firstForeignArgument(int argc, char** argv);

// The value of a toolkit option given as "-name value" or "--name value"; null when absent.
const char* optionValue(int argc, char** argv, const char* name);

} // namespace zrm58
