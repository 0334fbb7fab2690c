#include "conversion/run/OrderDetailLinks.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/VbError.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

namespace {

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

// One map key for an order number and an old key: the order's length keeps the two apart.
std::string LookupKey(const std::string& ordno, const std::string& oldKey) {
    return std::to_string(ordno.size()) + ':' + ordno + WithoutTrailingBlanks(oldKey);
}

VbError NullError() {
    return VbError(vberr::kInvalidUseOfNull, "RemapParentLinks", vberr::kInvalidUseOfNullText);
}

// What resolving a line's parent takes: its new key, and the lookup key of its parent when
// the parent is another line (empty when the line is its own parent), or the error its
// resolution raises.
struct Line {
    std::int64_t seq = 0;
    std::string parentKey;
    int problem = 0;  // the error number, 0 when none
};

Line LineOf(const ado::Value& seq, const ado::Value& ordno, const ado::Value& unit, const ado::Value& parent) {
    Line line;
    try {
        line.seq = KeyOf(seq);
        if (unit.IsNull() || parent.IsNull()) throw NullError();
        if (LeadingNumber(unit.Text()) != LeadingNumber(parent.Text())) {
            if (ordno.IsNull()) throw NullError();
            line.parentKey = LookupKey(ordno.Text(), parent.Text());
        }
    } catch (const VbError& e) {
        line.problem = e.number();
    }
    return line;
}

[[noreturn]] void Raise(int problem) {
    if (problem == vberr::kInvalidUseOfNull) throw NullError();
    throw VbError(vberr::kTypeMismatch, "RemapParentLinks", vberr::kTypeMismatchText);
}

// The new links wait in a temporary table of this session until all are known; one
// UPDATE then writes them all.
constexpr const char* kLinksTable = "nutv_parent_links";

void DropLinksTable(ado::Connection& target) {
    target.Execute(std::string("DROP TEMPORARY TABLE IF EXISTS ") + kLinksTable);
}

// Stores the new links many to a statement: the values are keys this code has parsed into
// integers, written back as digits, so the statement holds nothing but numbers. A statement
// of some hundred kilobytes carries tens of thousands of links in one exchange, however far
// the server is.
class LinkWriter {
public:
    explicit LinkWriter(ado::Connection& target) : target_(target) {}

    void Add(std::int64_t seq, std::int64_t parentseq) {
        if (sql_.empty())
            sql_ = std::string("INSERT INTO ") + kLinksTable + " (seq, parentseq) VALUES ";
        else
            sql_ += ',';
        sql_ += '(';
        sql_ += std::to_string(seq);
        sql_ += ',';
        sql_ += std::to_string(parentseq);
        sql_ += ')';
        if (sql_.size() >= kStatementBytes) Flush();
    }

    void Flush() {
        if (sql_.empty()) return;
        target_.Execute(sql_);
        sql_.clear();
    }

private:
    // Well under the smallest max_allowed_packet a server is given (1 MB).
    static constexpr std::size_t kStatementBytes = 512 * 1024;
    ado::Connection& target_;
    std::string sql_;
};

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

void RemapParentLinks(const std::shared_ptr<ado::Connection>& target, const std::string& table) {
    const std::string quoted = ado::odbc::QuoteIdentifier(table);
    // Fail the same way a field lookup would when the table lacks a column.
    {
        auto shape = target->Execute("SELECT * FROM " + quoted + " LIMIT 0");
        for (const char* column : {"seq", "ordno", "unit", "parentseq"}) shape->GetFields().Item(column);
    }

    // The rows in the table's natural order, read once. Each line's new key is learnt by its
    // order and old key (the first row with a given pair is the one a lookup would find), so
    // a parent that came before its line is known at once; the other lines wait, in row
    // order, with their parent's lookup key or the error their resolution raises.
    auto rows = target->Execute("SELECT seq, ordno, unit, parentseq FROM " + quoted);
    if (rows->Eof()) return;
    std::unordered_map<std::string, std::int64_t> newKeyByOldKey;
    std::vector<std::pair<std::int64_t, std::int64_t>> links;  // each line's new key and its parent's
    std::vector<std::pair<std::size_t, Line>> waiting;
    for (; !rows->Eof(); rows->MoveNext()) {
        const auto& f = rows->GetFields();
        const ado::Value& seq = f.Item(0).GetValue();
        const ado::Value& ordno = f.Item(1).GetValue();
        const ado::Value& unit = f.Item(2).GetValue();
        // A line whose order is Null can never be a lookup's answer: a lookup needs an order.
        if (!ordno.IsNull() && !unit.IsNull())
            newKeyByOldKey.try_emplace(LookupKey(ordno.Text(), unit.Text()), KeyOf(seq));
        Line line = LineOf(seq, ordno, unit, f.Item(3).GetValue());
        std::int64_t parent = line.seq;  // a waiting line's parent is set once it is resolved
        if (line.problem == 0 && !line.parentKey.empty()) {
            const auto found = newKeyByOldKey.find(line.parentKey);
            if (found != newKeyByOldKey.end()) {
                parent = found->second;
                line.parentKey.clear();
            }
        }
        links.emplace_back(line.seq, parent);
        if (line.problem != 0 || !line.parentKey.empty()) waiting.emplace_back(links.size() - 1, std::move(line));
    }
    rows->Close();
    // A Null cell or a missing parent fails only when its line is resolved, in row order, as
    // a lookup row by row would; nothing reaches ordbook_d before every line is resolved.
    for (auto& [index, line] : waiting) {
        if (line.problem != 0) Raise(line.problem);
        const auto found = newKeyByOldKey.find(line.parentKey);
        if (found == newKeyByOldKey.end())
            throw VbError(vberr::kNoCurrentRecord, "RemapParentLinks", vberr::kNoCurrentRecordText);
        links[index].second = found->second;
    }

    DropLinksTable(*target);
    // Keyed by the line's key, as ordbook_d is: the UPDATE matches the two by key.
    target->Execute(std::string("CREATE TEMPORARY TABLE ") + kLinksTable +
                    " (seq BIGINT NOT NULL PRIMARY KEY, parentseq BIGINT NOT NULL)");
    try {
        LinkWriter writer(*target);
        for (const auto& [seq, parent] : links) writer.Add(seq, parent);
        // Every link is stored before anything else happens on the connection.
        writer.Flush();
        // One statement: on InnoDB every link changes or none does.
        target->Execute("UPDATE " + quoted + " o JOIN " + kLinksTable +
                        " l ON l.seq = o.seq SET o.parentseq = l.parentseq");
    } catch (...) {
        try {
            DropLinksTable(*target);
        } catch (const VbError&) {
            // The first error is the one to report.
        }
        throw;
    }
    DropLinksTable(*target);
}
