#pragma once
#include <cstddef>
#include <string>
#include <vector>

// One run record as the history list shows it, read from the head of its file.
struct RunRecordEntry {
    std::string path;
    std::string started;  // "2026-12-09 14:03:07"
    std::string kind;     // "복사", "다시 복사", "검증"
    std::string ids;      // "tarnid → velmid"
    std::string outcome;  // "완료", "실패", "중지", "끝나지 않음 - ..."
};

// The latest run records in RunRecordsFolder(), newest first, at most `most` of them.
// Records written before their names and first lines told the kind of run are read too.
std::vector<RunRecordEntry> RecentRunRecords(std::size_t most = 50);

// A record's whole text ("" when it cannot be read).
std::string RunRecordFileText(const std::string& path);
