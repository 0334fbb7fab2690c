#include "conversion/OrderDetailLinks.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/VbError.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

struct Line {
    std::int64_t seq;
    std::string newParent;  // decimal text of the parent's new key
};

// A row's key as an integer; keys are integers in every edition.
std::int64_t KeyOf(const ado::Value& value) {
    const std::string text = value.Text();
    char* end = nullptr;
    const long long key = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) throw VbError(vberr::kTypeMismatch, "RemapParentLinks", vberr::kTypeMismatchText);
    return key;
}

// The server compares text with trailing blanks ignored; the lookup key does the same.
std::string WithoutTrailingBlanks(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

constexpr std::size_t kLinesPerUpdate = 1000;

void WriteLinks(ado::Connection& target, const std::vector<Line>& lines) {
    // One transaction, so a failure part-way leaves every link as it was on InnoDB.
    target.Execute("START TRANSACTION");
    try {
        for (std::size_t first = 0; first < lines.size(); first += kLinesPerUpdate) {
            const std::size_t last = std::min(lines.size(), first + kLinesPerUpdate);
            std::string sql = "UPDATE ordbook_d SET parentseq = CASE seq";
            std::string keys;
            for (std::size_t i = first; i < last; ++i) {
                const std::string seq = std::to_string(lines[i].seq);
                sql += " WHEN " + seq + " THEN " + lines[i].newParent;
                keys += (i == first ? "" : ",") + seq;
            }
            sql += " END WHERE seq IN (" + keys + ")";
            target.Execute(sql);
        }
        target.Execute("COMMIT");
    } catch (...) {
        try {
            target.Execute("ROLLBACK");
        } catch (const VbError&) {
            // The first error is the one to report.
        }
        throw;
    }
}

}  // namespace

OrderDetailColumn OrderDetailColumnRule(const std::string& sourceColumn) {
    if (sourceColumn == "seq") return OrderDetailColumn::OldKeyToUnit;
    if (sourceColumn == "unit") return OrderDetailColumn::Dropped;
    return OrderDetailColumn::General;
}

double LeadingNumber(const std::string& text) {
    std::string number;
    bool digits = false, point = false, exponent = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        const bool isDigit = c >= '0' && c <= '9';
        if (isDigit) {
            digits = true;
        } else if ((c == '-' || c == '+') && (number.empty() || number.back() == 'e')) {
        } else if (c == '.' && !point && !exponent) {
            point = true;
        } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && digits && !exponent) {
            exponent = true;
            c = 'e';
        } else {
            break;
        }
        number += c;
    }
    return digits ? std::strtod(number.c_str(), nullptr) : 0.0;
}

void RemapParentLinks(const std::shared_ptr<ado::Connection>& target) {
    // Fail the same way a field lookup would when the table lacks a column.
    {
        auto shape = target->Execute("SELECT * FROM ordbook_d LIMIT 0");
        for (const char* column : {"seq", "ordno", "unit", "parentseq"}) shape->GetFields().Item(column);
    }

    // The rows in the table's natural order; the first row with a given (order, old key)
    // is the one a lookup would find. Null cells stay apart from empty text: they fail
    // only when their line is resolved, as a lookup in row order would.
    struct Row {
        std::int64_t seq;
        std::optional<std::string> ordno, unit, parentseq;
    };
    const auto textOrNull = [](const ado::Value& v) { return v.IsNull() ? std::nullopt : std::optional(v.Text()); };
    std::vector<Row> all;
    std::map<std::pair<std::optional<std::string>, std::string>, std::int64_t> newKeyByOldKey;
    auto rows = target->Execute("SELECT seq, ordno, unit, parentseq FROM ordbook_d");
    while (!rows->Eof()) {
        auto& f = rows->GetFields();
        Row row{KeyOf(f.Item(0).GetValue()), textOrNull(f.Item(1).GetValue()), textOrNull(f.Item(2).GetValue()),
                textOrNull(f.Item(3).GetValue())};
        if (row.unit) newKeyByOldKey.try_emplace({row.ordno, WithoutTrailingBlanks(*row.unit)}, row.seq);
        all.push_back(std::move(row));
        rows->MoveNext();
    }
    rows->Close();

    const auto nullError = [] { return VbError(vberr::kInvalidUseOfNull, "RemapParentLinks", vberr::kInvalidUseOfNullText); };
    std::vector<Line> lines;
    lines.reserve(all.size());
    for (const Row& row : all) {
        if (!row.unit || !row.parentseq) throw nullError();
        if (LeadingNumber(*row.unit) == LeadingNumber(*row.parentseq)) {
            lines.push_back({row.seq, std::to_string(row.seq)});
            continue;
        }
        if (!row.ordno) throw nullError();
        auto parent = newKeyByOldKey.find({row.ordno, WithoutTrailingBlanks(*row.parentseq)});
        if (parent == newKeyByOldKey.end())
            throw VbError(vberr::kNoCurrentRecord, "RemapParentLinks", vberr::kNoCurrentRecordText);
        lines.push_back({row.seq, std::to_string(parent->second)});
    }
    WriteLinks(*target, lines);
}
