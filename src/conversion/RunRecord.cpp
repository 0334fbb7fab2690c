#include "conversion/RunRecord.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "conversion/CountText.h"

namespace {

constexpr const char* kProgramFolder = "누리Tarn_To_누리Velm";

// An ID as part of a file name: a slash, a control character or a leading dot would
// make it something else.
std::string FileNamePart(const std::string& text) {
    std::string part;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        part += (c == '/' || byte < 0x20 || byte == 0x7f) ? '_' : c;
    }
    if (part.empty() || part.front() == '.') part.insert(0, "_");
    return part.substr(0, 80);
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

}  // namespace

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

std::string RunRecordText(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end) {
    std::vector<std::string> lines{
        std::string(kProgramFolder) + " 작업 기록",
        "결과: " + OutcomeText(end.outcome),
        "시작: " + LocalTimeText(ledger.StartTime()),
        "사용자: " + facts.user,
        "컴퓨터: " + facts.computer,
    };
    const char* sides[2] = {"원본(Tarn)", "대상(Velm)"};
    for (int i = 0; i < 2; ++i)
        lines.push_back(std::string(sides[i]) + " ID: " + facts.ids[i] + ", DB: " + facts.databases[i] +
                        ", 서버: " + (facts.hosts[i].empty() ? "(찾지 못함)" : facts.hosts[i]));
    std::string selected = "선택한 테이블(" + std::to_string(ledger.Tables().size()) + "개):";
    for (const TableOutcome& outcome : ledger.Tables()) selected += " " + outcome.table.name;
    lines.push_back(selected);
    lines.push_back("");
    lines.push_back("테이블별 결과:");
    for (const TableOutcome& outcome : ledger.Tables())
        lines.push_back("  " + outcome.table.name + ": " + StateText(outcome) +
                        (outcome.path.empty() ? "" : " · " + outcome.path));
    if (!end.loadRefusal.empty()) lines.push_back("LOAD DATA 중단: " + end.loadRefusal);
    lines.push_back("");
    for (const std::string& line : ledger.SummaryLines(end)) lines.push_back(line);
    if (!end.error.empty()) {
        lines.push_back("");
        lines.push_back("오류 전문:");
        lines.push_back(end.error);
    }
    return Lines(lines);
}

std::string WriteRunRecord(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end) {
    namespace fs = std::filesystem;
    const fs::path folder = RunRecordsFolder();
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) throw std::runtime_error(folder.string() + ": " + error.message());
    const std::string stem =
        LocalTimeStamp(ledger.StartTime()) + "_" + FileNamePart(facts.ids[0]) + "_" + FileNamePart(facts.ids[1]);
    fs::path path = folder / (stem + ".txt");
    // Two runs started in the same second keep a record each.
    for (int n = 2; fs::exists(path, error); ++n) path = folder / (stem + "-" + std::to_string(n) + ".txt");
    std::ofstream out(path, std::ios::binary);
    out << RunRecordText(facts, ledger, end);
    out.close();
    if (!out) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    return path.string();
}
