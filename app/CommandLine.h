#pragma once

#include <optional>

// The command-line options, read before anything else happens: --help and --version print
// and end the run; an unknown option or an argument prints the usage and ends it with
// status 2. Nothing when the application should start.
namespace CommandLine {

std::optional<int> handle();

// Whether the arguments ask only for something printed (help, version), which needs no
// display: the caller then reads them without starting the graphical application.
bool asksToPrint(int argc, char** argv);

} // namespace CommandLine
