#pragma once
#include <optional>
#include <string>

// The one argument both update tools receive: two texts joined by ";".
namespace update {

struct ToolArguments {
    std::string first;   // the checker: own revision; the replacer: program file name
    std::string second;  // the checker: program file name; the replacer: "New_" + program file name
};

// Splits argv[1..] (joined by spaces, in case a shell split them) at the first ";".
std::optional<ToolArguments> ParseToolArguments(int argc, char** argv);

// A plain file name in the program folder: not empty, no "/", not "." or "..".
bool IsPlainFileName(const std::string& name);

// The program folder: the folder of the running tool.
std::string ToolFolder();

}  // namespace update
