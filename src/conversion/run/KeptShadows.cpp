#include "conversion/run/KeptShadows.h"

#include <set>

#include "conversion/run/ShadowTables.h"
#include "conversion/verification/TableVerification.h"
#include "datalayer/ColumnRules.h"
#include "datalayer/Connection.h"
#include "datalayer/OdbcError.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

namespace {

using ado::SqlTextLiteral;
using ado::odbc::QuoteIdentifier;

constexpr int kNoSuchTable = 1146;

std::string MarksTable() {
    return QuoteIdentifier(kKeptMarksTable);
}

std::string MarkText(ado::Recordset& rows, int field) {
    const ado::Value& value = rows.GetFields().Item(field).GetValue();
    return value.IsNull() ? std::string() : value.Text();
}

bool TableExists(ado::Connection& target, const std::string& table) {
    auto found = target.Execute(
        "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
        SqlTextLiteral(table));
    return MarkText(*found, 0) != "0";
}

// The table's copy has the table's definition, its counter aside.
bool ShapedLikeTable(ado::Connection& target, const std::string& table) {
    const auto definition = [&](const std::string& name) {
        auto shown = target.Execute("SHOW CREATE TABLE " + QuoteIdentifier(name));
        std::string text = shown->Eof() ? std::string() : MarkText(*shown, 1);
        // Without its name (the first line) and its counter.
        text.erase(0, text.find('\n'));
        const std::size_t counter = text.rfind(" AUTO_INCREMENT=");
        if (counter != std::string::npos && counter > text.rfind(')'))
            text.erase(counter, text.find_first_not_of("0123456789", counter + 16) - counter);
        return text;
    };
    return definition(table) == definition(ShadowName(table));
}

}  // namespace

std::string CopyPair(const std::string& sourceHost, const std::string& sourceDb, const std::string& targetDb) {
    return sourceHost + "/" + sourceDb + " -> " + targetDb;
}

bool MarkVerified(ado::Connection& target, const std::string& pair, const std::string& table,
                  const TableCheck& check) noexcept {
    const std::string mark = "REPLACE INTO " + MarksTable() + " (tbl, pair, target_rows, digest) VALUES (" +
                             SqlTextLiteral(table) + ", " + SqlTextLiteral(pair) + ", " +
                             std::to_string(check.targetRows) + ", " + SqlTextLiteral(check.targetDigest) + ")";
    try {
        // The marks' table is made by the run's first mark: one statement per mark after that.
        try {
            target.Execute(mark);
        } catch (const ado::OdbcError& e) {
            if (e.nativeError() != kNoSuchTable) throw;
            target.Execute("CREATE TABLE IF NOT EXISTS " + MarksTable() +
                           " (tbl VARCHAR(64) NOT NULL PRIMARY KEY, pair TEXT NOT NULL, target_rows BIGINT NOT NULL, "
                           "digest TEXT NOT NULL, marked TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP) "
                           "DEFAULT CHARSET=utf8mb4");
            target.Execute(mark);
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void Unmark(ado::Connection& target, const std::string& table) noexcept {
    try {
        if (TableExists(target, kKeptMarksTable))
            target.Execute("DELETE FROM " + MarksTable() + " WHERE tbl = " + SqlTextLiteral(table));
    } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): a mark without its copy is dropped next run
    }
}

void DropMarks(ado::Connection& target) noexcept {
    try {
        target.Execute("DROP TABLE IF EXISTS " + MarksTable());
    } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): the next run drops it
    }
}

Leftovers SortLeftovers(ado::Connection& target, const std::string& pair, const std::vector<RunTable>& tables) {
    Leftovers found;
    std::set<std::string> selected;
    for (const RunTable& table : tables) selected.insert(table.name);
    if (TableExists(target, kKeptMarksTable))
        for (auto rows = target.Execute("SELECT tbl, pair, target_rows, digest FROM " + MarksTable()); !rows->Eof();
             rows->MoveNext()) {
            KeptShadow kept{MarkText(*rows, 1), std::stoll(MarkText(*rows, 2)), MarkText(*rows, 3)};
            const std::string table = MarkText(*rows, 0);
            if (kept.pair == pair && selected.contains(table) && TableExists(target, ShadowName(table)))
                found.kept.emplace(table, std::move(kept));
        }
    std::set<std::string> keep;
    for (const auto& [table, kept] : found.kept) keep.insert(ShadowName(table));
    found.dropped = DropLeftoverShadows(target, keep);
    if (found.kept.empty()) {
        DropMarks(target);
        return found;
    }
    std::string names;
    for (const auto& [table, kept] : found.kept) names += (names.empty() ? "" : ", ") + SqlTextLiteral(table);
    target.Execute("DELETE FROM " + MarksTable() + " WHERE tbl NOT IN (" + names + ")");
    return found;
}

std::optional<TableCheck> RecheckKept(const std::shared_ptr<ado::Connection>& source,
                                      const std::shared_ptr<ado::Connection>& target, const std::string& table,
                                      const KeptShadow& kept) {
    if (!ShapedLikeTable(*target, table)) return std::nullopt;
    TableCheck check = TableVerifier(source, target).Verify(table, ShadowName(table));
    // The copy as it was kept: the same rows, matching the source now.
    if (!check.match || check.targetRows != kept.rows || check.targetDigest != kept.digest) return std::nullopt;
    return check;
}

void DropKept(ado::Connection& target, const std::string& table) {
    Unmark(target, table);
    target.Execute("DROP TABLE IF EXISTS " + QuoteIdentifier(ShadowName(table)));
}
