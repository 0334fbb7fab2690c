#pragma once
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Reading PE files with python3-pefile, for comparison with our reader.
struct PefileView {
    std::vector<std::string> tables;                // string table keys
    std::map<std::string, std::string> firstTable;  // entries of the first table
    std::string fixedVersion;                       // "a.b.c.d"
    bool none = false;                              // no version information
};

inline std::string CommandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string output;
    if (!pipe) return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, n);
    return output;
}

inline PefileView ReadWithPefile(const std::string& path) {
    PefileView view;
    const std::string output = CommandOutput("/usr/bin/python3 '" NUTV_PEFILE_DUMP "' '" + path + "'");
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(start, end - start);
        start = end + 1;
        if (line.rfind("TABLE ", 0) == 0) {
            view.tables.push_back(line.substr(6));
        } else if (line.rfind("FIXED ", 0) == 0) {
            view.fixedVersion = line.substr(6);
        } else if (line == "NONE") {
            view.none = true;
        } else if (const auto tab = line.find('\t'); tab != std::string::npos && view.tables.size() == 1) {
            view.firstTable[line.substr(0, tab)] = line.substr(tab + 1);
        }
    }
    return view;
}

inline std::string PeFile(const std::string& name) {
    return std::string(NUTV_PE_DIR) + "/" + name + ".exe";
}
