#pragma once

#include <optional>

// The command-line options, read before anything else happens: --help and --version print
// and end the run; an unknown option or an argument prints the usage and ends it with
// status 2. Nothing when the application should start.
namespace CommandLine {

std::optional<int> handle();

} // namespace CommandLine
