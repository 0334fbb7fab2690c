#include "platform/CommandLine.h"

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (!quoted && (c == ' ' || c == '\t' || c == '\n')) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            std::size_t run = 0;
            while (i < text.size() && text[i] == '\\') ++run, ++i;
            if (i < text.size() && text[i] == '"') {
                word.append(run / 2, '\\');
                if (run % 2 == 1) {
                    word += '"';
                    ++i;
                }
            } else {
                word.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
        } else {
            word += c;
        }
        ++i;
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote (ours or the closing one) must be doubled to stay literal.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

}  // namespace platform
