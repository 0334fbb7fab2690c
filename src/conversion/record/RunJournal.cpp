#include "conversion/record/RunJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "conversion/NumbersAndTimes.h"

namespace {

constexpr const char* kUnderWay = "결과: 끝나지 않음 - 작업 중 (작업이 끝나면 이 기록은 전체 기록으로 바뀝니다)";
constexpr const char* kNeverFinished = "결과: 끝나지 않음 - 작업 중에 프로그램이 끝났습니다(강제 종료, 전원 꺼짐 등)";
constexpr const char* kStep = "진행: ";
constexpr const char* kStarted = " 시작";

// Appends and pushes the text to the disk: a power cut right after keeps it.
bool AppendDurably(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && written && synced;
}

// The record's lines when it is still marked as under way; none otherwise, read no further
// than its second line (finished records pile up, and each start looks at them all).
std::vector<std::string> LinesIfUnderWay(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (lines.size() == 2 && line != kUnderWay) return {};
    }
    return lines;
}

}  // namespace

void RunJournal::Begin(const RunRecordFacts& facts, const RunLedger& ledger) {
    path_.clear();
    const std::string path = NewRunRecordPath(facts, ledger);
    std::string text = RecordTitle(facts.kind) + "\n" + kUnderWay + "\n";
    for (const std::string& line : RunFactsLines(facts, LocalTimeText(ledger.StartTime()))) text += line + "\n";
    WriteRecordFile(path, text);
    path_ = path;
}

void RunJournal::Note(const std::string& line) {
    if (!path_.empty() && !AppendDurably(path_, kStep + line + "\n")) path_.clear();
}

std::string RunJournal::Finish(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end) {
    std::string path = path_.empty() ? NewRunRecordPath(facts, ledger) : path_;
    path_.clear();
    WriteRecordFile(path, RunRecordText(facts, ledger, end));
    return path;
}

std::vector<std::string> SettleUnfinishedRuns() {
    namespace fs = std::filesystem;
    std::vector<std::string> found;
    std::error_code error;
    for (fs::directory_iterator it(RunRecordsFolder(), error), end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        std::vector<std::string> lines = LinesIfUnderWay(path);
        if (lines.size() < 2 || lines[1] != kUnderWay) continue;
        // The steps begun and not ended ("sale 복사", "buy 검증"), and their tables.
        std::vector<std::string> open;
        for (const std::string& line : lines) {
            if (line.rfind(kStep, 0) != 0) continue;
            const std::string step = line.substr(std::string(kStep).size());
            if (step.ends_with(kStarted)) open.push_back(step.substr(0, step.size() - std::string(kStarted).size()));
            std::erase_if(open, [&](const std::string& begun) { return step.rfind(begun + " 끝", 0) == 0; });
        }
        std::string steps, tables;
        std::vector<std::string> named;
        for (const std::string& step : open) {
            steps += (steps.empty() ? "" : ", ") + step;
            const std::string table = step.substr(0, step.find(' '));
            if (std::find(named.begin(), named.end(), table) != named.end()) continue;
            named.push_back(table);
            tables += (tables.empty() ? "" : ", ") + table;
        }
        lines[1] = kNeverFinished;
        lines.push_back(open.empty()
                            ? "끝나지 않은 테이블: 없음(테이블 사이에서 끝남)"
                            : "끝나지 않은 테이블: " + tables + " - " + steps + " 중에 끝나 완료되지 않았습니다");
        lines.push_back("확인: " + LocalTimeText(std::chrono::system_clock::now()) + " 다음 시작에서 발견");
        std::ostringstream text;
        for (const std::string& line : lines) text << line << '\n';
        try {
            WriteRecordFile(path, text.str());
        } catch (const std::exception&) {
            continue;  // told again at the next start
        }
        found.push_back("끝나지 않은 작업이 있습니다: " + it->path().filename().string() +
                        (tables.empty() ? std::string() : " (" + tables + " 도중에 끝남)"));
    }
    return found;
}
