#pragma once
#include <string>

// Makes a text safe inside a single-quoted SQL literal: the text is cut before its first
// NUL, then every "'" becomes "''" and every "\" becomes "\\".
std::string EscapeSQL(const std::string& text);
