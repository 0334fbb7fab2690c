#pragma once
#include <string>
#include <vector>

// A command-line text and the argument list a process receives, converted both ways.
// Quoting follows the usual Windows rules: double quotes group words, and backslashes
// escape a quote only when they stand right before one.
namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& text);

// The argument as one word of a command line: unchanged when it needs no quotes.
std::string QuoteArgument(const std::string& argument);

}  // namespace platform
