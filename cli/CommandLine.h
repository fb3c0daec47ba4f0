#pragma once
#include <string>
#include <vector>

namespace zrm58::cli {

// The arguments after the program's name, in UTF-8. On Windows they are read from the wide
// command line, so text outside the ANSI code page (a Japanese pattern under code page 1252, an
// emoji under 932) arrives whole; elsewhere argv is UTF-8 already and taken as it is.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Makes standard output and error carry UTF-8 to a reader. On Windows the console's output code
// page is UTF-8 while the program runs and is given back at its exit; pipes and files get the
// bytes as they are. Elsewhere nothing is needed.
void prepareUtf8Output();

// True when a write to standard output that just failed with errno `error` failed because its
// reader went away (a pipe closed at the reading end), which ends the output quietly.
bool readerWentAway(int error);

#ifdef _WIN32
// The arguments after the program's name in a whole wide command line, split by the rules of
// CommandLineToArgvW; empty when the line cannot be split.
std::vector<std::string> argumentsOfCommandLine(const wchar_t* commandLine);
#endif

} // namespace zrm58::cli
