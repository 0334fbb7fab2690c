#include "common/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "common/VbError.h"

namespace {

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
};
using IniFile = std::vector<Section>;

// Values may hold any byte; line breaks and backslashes are escaped so a value
// always stays on its own line.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '=':
                out += "\\e";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 'e':
                out += '=';
                break;
            default:
                out += text[i];
        }
    }
    return out;
}

std::string ConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config";
}

IniFile Load(const std::string& path) {
    IniFile ini;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            ini.push_back({Unescape(line.substr(1, line.size() - 2)), {}});
        } else if (auto eq = line.find('='); eq != std::string::npos && !ini.empty()) {
            ini.back().entries.emplace_back(Unescape(line.substr(0, eq)), Unescape(line.substr(eq + 1)));
        }
    }
    return ini;
}

[[noreturn]] void RaiseFileError(const std::string& path, int err) {
    throw VbError(75, "SaveSetting", "Path/File access error: " + path + ": " + std::strerror(err));
}

void WriteAll(int fd, const std::string& data, const std::string& path) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            int err = errno;
            ::close(fd);
            RaiseFileError(path, err);
        }
        done += static_cast<std::size_t>(n);
    }
}

// Replaces the file in one step so a crash never leaves half a settings file.
void Store(const std::string& path, const IniFile& ini) {
    std::ostringstream text;
    for (const auto& section : ini) {
        text << '[' << Escape(section.name) << "]\n";
        for (const auto& [key, value] : section.entries) text << Escape(key) << '=' << Escape(value) << '\n';
    }
    const std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) RaiseFileError(temp, errno);
    ::fchmod(fd, 0600);
    WriteAll(fd, text.str(), temp);
    if (::fsync(fd) != 0 || ::close(fd) != 0) RaiseFileError(temp, errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        RaiseFileError(path, err);
    }
}

}  // namespace

std::string SettingsFilePath(const std::string& appName) {
    std::string file = appName;
    for (char& c : file)
        if (c == '/') c = '_';
    return ConfigFolder() + "/" + file + ".ini";
}

std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& defaultValue) {
    for (const auto& s : Load(SettingsFilePath(appName))) {
        if (s.name != section) continue;
        for (const auto& [k, v] : s.entries)
            if (k == key) return v;
    }
    return defaultValue;
}

void SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value) {
    const std::string folder = ConfigFolder();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) RaiseFileError(folder, errno);
    const std::string path = SettingsFilePath(appName);
    IniFile ini = Load(path);
    Section* target = nullptr;
    for (auto& s : ini)
        if (s.name == section) target = &s;
    if (!target) target = &ini.emplace_back(Section{section, {}});
    for (auto& [k, v] : target->entries) {
        if (k == key) {
            v = value;
            Store(path, ini);
            return;
        }
    }
    target->entries.emplace_back(key, value);
    Store(path, ini);
}

void DeleteSetting(const std::string& appName, const std::string& section, const std::string& key) {
    const std::string path = SettingsFilePath(appName);
    IniFile ini = Load(path);
    for (auto& s : ini) {
        if (s.name != section) continue;
        const auto removed = std::erase_if(s.entries, [&key](const auto& entry) { return entry.first == key; });
        if (removed > 0) return Store(path, ini);
    }
}
