#include "conversion/record/RunHistory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "conversion/record/RunRecord.h"

namespace {

std::string After(const std::string& line, const std::string& prefix) {
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : std::string();
}

// The ID from a line "원본(Tarn) ID: abc, DB: maketarn_abc, 서버: ...".
std::string IdOf(const std::string& line, const std::string& side) {
    std::string id = After(line, side + " ID: ");
    return id.substr(0, id.find(", DB: "));
}

RunRecordEntry EntryOf(const std::filesystem::path& path, const std::string& text) {
    RunRecordEntry entry;
    entry.path = path.string();
    std::istringstream in(text);
    std::string source, target;
    std::string line;
    std::getline(in, line);
    const std::string kindMark = " 작업 기록 - ";
    if (const std::size_t at = line.find(kindMark); at != std::string::npos)
        entry.kind = line.substr(at + kindMark.size());
    for (int n = 0; n < 12 && std::getline(in, line); ++n) {
        if (entry.outcome.empty()) entry.outcome = After(line, "결과: ");
        if (entry.started.empty()) entry.started = After(line, "시작: ");
        if (source.empty()) source = IdOf(line, "원본(Tarn)");
        if (target.empty()) target = IdOf(line, "대상(Velm)");
    }
    // An older record says only in its summary that it was a verification.
    if (entry.kind.empty())
        entry.kind =
            RunKindText(text.find("(검증만, 바꾼 것 없음)") != std::string::npos ? RunKind::Verify : RunKind::Copy);
    entry.ids = source + " → " + target;
    return entry;
}

}  // namespace

std::string RunRecordFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

std::vector<RunRecordEntry> RecentRunRecords(std::size_t most) {
    namespace fs = std::filesystem;
    // Named by their start time first: the newest sort last.
    std::vector<fs::path> paths;
    std::error_code error;
    for (fs::directory_iterator it(RunRecordsFolder(), error), end; !error && it != end; it.increment(error))
        if (it->path().extension() == ".txt") paths.push_back(it->path());
    std::sort(paths.begin(), paths.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() > b.filename(); });
    if (paths.size() > most) paths.resize(most);
    std::vector<RunRecordEntry> entries;
    entries.reserve(paths.size());
    for (const fs::path& path : paths) entries.push_back(EntryOf(path, RunRecordFileText(path.string())));
    return entries;
}
