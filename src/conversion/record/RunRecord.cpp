#include "conversion/record/RunRecord.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "common/BuiltInValues.h"
#include "conversion/NumbersAndTimes.h"

namespace {

constexpr const char* kProgramFolder = "누리Tarn_To_누리Velm";

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// The ways rows reach the target, in the words the staff use.
std::string StaffWords(std::string text) {
    static constexpr std::pair<const char*, const char*> kWords[] = {{"LOAD DATA", "파일로 한꺼번에 넣기"},
                                                                     {"배열 INSERT", "여러 행씩 넣기"}};
    for (const auto& [word, staff] : kWords)
        for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            text.replace(at, std::strlen(word), staff);
    return text;
}

// The kind of run as part of a file name, without blanks.
const char* KindFilePart(RunKind kind) {
    switch (kind) {
        case RunKind::Retry:
            return "다시복사";
        case RunKind::Verify:
            return "검증";
        case RunKind::Copy:
            break;
    }
    return "복사";
}

}  // namespace

std::string FileNamePart(const std::string& text) {
    std::string part;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        part += (c == '/' || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    if (part.empty() || part.front() == '.') part.insert(0, "_");
    return part.substr(0, 80);
}

std::string TableStateText(const TableOutcome& outcome, const RunStatus& status) {
    if (status.ended && outcome.state == TableState::Done) return "검증 안 됨 " + GroupDigits(outcome.rows) + "건 복사";
    return StateText(outcome) + (outcome.setAside ? " · 대상에 넣지 않음" : "");
}

std::string RunKindText(RunKind kind) {
    return kind == RunKind::Retry ? "다시 복사" : KindFilePart(kind);
}

std::string RecordTitle(RunKind kind) {
    return std::string(kProgramFolder) + " 작업 기록 - " + RunKindText(kind);
}

std::string CheckText(const TableCheck& check) {
    std::string text = "원본 " + GroupDigits(check.sourceRows) + "행 검사값 " + check.sourceDigest + ", 대상 " +
                       GroupDigits(check.targetRows) + "행 검사값 " + check.targetDigest;
    if (!check.keys.empty()) {
        text += ", 다른 행의 키:";
        for (const std::string& key : check.keys) text += " [" + key + "]";
    }
    for (const std::string& column : check.uncompared) text += ", 비교하지 않은 열: " + column;
    return text;
}

std::string RunRecordsFolder() {
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/') {
        state = xdg;
    } else {
        const char* home = std::getenv("HOME");
        state = std::string(home && *home ? home : ".") + "/.local/state";
    }
    return state + "/" + kProgramFolder + "/runs";
}

std::string ComputerName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "(알 수 없음)";
    return name;
}

std::vector<std::string> RunFactsLines(const RunRecordFacts& facts, const std::string& start) {
    std::vector<std::string> lines{
        "시작: " + start,
        std::string("프로그램 버전: ") + builtin::kProgramVersion,
        "사용자: " + facts.user,
        "컴퓨터: " + facts.computer,
    };
    const char* sides[2] = {"원본(Tarn)", "대상(Velm)"};
    for (int i = 0; i < 2; ++i)
        lines.push_back(std::string(sides[i]) + " ID: " + facts.ids[i] + ", DB: " + facts.databases[i] +
                        ", 서버: " + (facts.hosts[i].empty() ? "(찾지 못함)" : facts.hosts[i]));
    return lines;
}

std::string RunRecordText(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end) {
    std::vector<std::string> lines{RecordTitle(facts.kind), "결과: " + OutcomeText(end.outcome)};
    for (std::string& line : RunFactsLines(facts, LocalTimeText(ledger.StartTime()))) lines.push_back(std::move(line));
    std::string selected = "선택한 테이블(" + std::to_string(ledger.Tables().size()) + "개):";
    for (const TableOutcome& outcome : ledger.Tables()) selected += " " + outcome.table.name;
    lines.push_back(selected);
    lines.push_back("");
    lines.push_back("테이블별 결과:");
    for (const TableOutcome& outcome : ledger.Tables()) {
        std::string line = "  " + outcome.table.name + ": " + TableStateText(outcome, ledger.Status());
        if (!outcome.path.empty()) line += " · " + StaffWords(outcome.path);
        if (outcome.checked) line += " · " + CheckText(outcome.check);
        lines.push_back(line);
    }
    if (!end.loadRefusal.empty())
        lines.push_back("파일로 한꺼번에 넣기를 그만두고 여러 행씩 넣음: " + StaffWords(end.loadRefusal));
    if (!end.outsideSnapshot.empty()) {
        std::string outside =
            "복사를 시작한 순간의 모습으로 읽지 못한 원본 테이블(MyISAM 등, 복사 중의 변경이 섞일 수 있음):";
        for (const std::string& table : end.outsideSnapshot) outside += " " + table;
        lines.push_back(outside);
    }
    for (const std::string& table : end.inPlace) lines.push_back("그 자리에서 복사한 테이블: " + table);
    if (!end.leftovers.empty()) {
        std::string dropped = "지난 실행이 남긴 임시 테이블을 지움:";
        for (const std::string& table : end.leftovers) dropped += " " + table;
        lines.push_back(dropped);
    }
    const auto named = [&](const char* what, const std::vector<std::string>& tables) {
        std::string line = what;
        for (std::size_t i = 0; i < tables.size(); ++i) line += (i == 0 ? " " : ", ") + tables[i];
        if (!tables.empty()) lines.push_back(line);
    };
    named("지난 실행에서 검증을 마친 복사본을 다시 확인해 씀:", end.reused);
    named("검증을 마친 복사본을 남겨 둠:", end.kept);
    lines.push_back("");
    for (const std::string& line : ledger.SummaryLines(end)) lines.push_back(line);
    for (const std::string& line : end.explanation) lines.push_back("  " + line);
    return Lines(lines);
}

std::string NewRunRecordPath(const RunRecordFacts& facts, const RunLedger& ledger) {
    namespace fs = std::filesystem;
    const fs::path folder = RunRecordsFolder();
    std::error_code error;
    fs::create_directories(folder, error);
    // Which customers were converted is nobody else's business on a shared computer.
    for (const fs::path& own : {folder.parent_path(), folder})
        if (!error) fs::permissions(own, fs::perms::owner_all, fs::perm_options::replace, error);
    if (error) throw std::runtime_error(folder.string() + ": " + error.message());
    const std::string stem = LocalTimeStamp(ledger.StartTime()) + "_" + KindFilePart(facts.kind) + "_" +
                             FileNamePart(facts.ids[0]) + "_" + FileNamePart(facts.ids[1]);
    fs::path path = folder / (stem + ".txt");
    // Two runs started in the same second keep a record each.
    int fd = -1;
    for (int n = 2; (fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0 && errno == EEXIST;
         ++n)
        path = folder / (stem + "-" + std::to_string(n) + ".txt");
    if (fd < 0) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    ::close(fd);
    return path.string();
}

void WriteRecordFile(const std::string& path, const std::string& text) {
    // Readable by this account only, and on the disk before the call returns.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error(path + ": " + std::strerror(errno));
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
    const int error = written && ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 || error != 0) throw std::runtime_error(path + ": " + std::strerror(error ? error : errno));
}
