#include "datalayer/odbc/TableWriter.h"

#include "datalayer/AdoErrors.h"
#include "datalayer/ColumnName.h"
#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/RowReader.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

// More distinct column sets than this are unusual; beyond it the cache starts afresh.
constexpr std::size_t kMaxPrepared = 32;

}  // namespace

template <typename BuildSql>
Statement& TableWriter::Prepared(std::map<Mask, Statement>& cache, const Mask& mask, BuildSql buildSql) {
    auto it = cache.find(mask);
    if (it != cache.end()) return it->second;
    if (cache.size() >= kMaxPrepared) cache.clear();
    Statement statement(dbc_);
    statement.Prepare(buildSql());
    return cache.emplace(mask, std::move(statement)).first->second;
}

TableWriter::TableWriter(const Dbc& dbc, std::string table, std::vector<std::string> columns,
                         std::shared_ptr<LoadSession> loads)
    : dbc_(dbc),
      table_(std::move(table)),
      quotedTable_(QuoteIdentifier(table_)),
      columns_(std::move(columns)),
      packet_(dbc),
      loads_(std::move(loads)) {}

void TableWriter::Insert(const Row& values, const std::vector<char>& assigned) {
    if (!packet_.Fits(values, assigned)) packet_.Refuse(table_, columns_, KeyColumns(), values, assigned);
    std::vector<const Value*> parameters;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (assigned[i]) parameters.push_back(&values[i]);
    Statement& statement = Prepared(inserts_, assigned, [&] {
        std::string names, markers;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (!assigned[i]) continue;
            if (!names.empty()) {
                names += ", ";
                markers += ", ";
            }
            names += QuoteIdentifier(columns_[i]);
            markers += '?';
        }
        // Columns left out take the table's defaults (an empty list is valid MariaDB).
        return "INSERT INTO " + quotedTable_ + " (" + names + ") VALUES (" + markers + ")";
    });
    statement.Execute(parameters);
}

void TableWriter::Queue(Row values, std::vector<char> assigned) {
    if (!batch_) {
        batch_.emplace(
            dbc_, table_, columns_, BatchInserter::kMaxBytes,
            [this](const Row& row, const std::vector<char>& mask) { Insert(row, mask); }, loads_);
        // The packet limit comes with the table's facts, in the same exchange.
        packet_.Know(batch_->PacketBytes());
    }
    if (!packet_.Fits(values, assigned)) {
        Flush();
        packet_.Refuse(table_, columns_, KeyColumns(), values, assigned);
    }
    batch_->Add(std::move(values), std::move(assigned));
}

void TableWriter::Flush() {
    if (batch_) batch_->Flush();
}

void TableWriter::Drop() {
    if (batch_) batch_->Drop();
}

void TableWriter::Update(const Row& original, const Row& values, const std::vector<char>& assigned) {
    const auto& keys = KeyColumns();
    if (keys.empty()) Raise(vberr::kProviderError, source::kRecordset, err::kNoKeyForUpdateText);
    std::vector<const Value*> parameters;
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (assigned[i]) parameters.push_back(&values[i]);
    if (parameters.empty()) return;
    std::vector<const Value*> keyValues;
    for (std::size_t k : keys) {
        // A key never read (a record added here whose key the database assigned) cannot
        // name its row.
        if (original[k].IsNull()) Raise(vberr::kProviderError, source::kRecordset, err::kNoKeyForUpdateText);
        keyValues.push_back(&original[k]);
    }
    parameters.insert(parameters.end(), keyValues.begin(), keyValues.end());

    Statement& statement = Prepared(updates_, assigned, [&] {
        std::string sets;
        for (std::size_t i = 0; i < columns_.size(); ++i)
            if (assigned[i]) sets += (sets.empty() ? "" : ", ") + QuoteIdentifier(columns_[i]) + " = ?";
        return "UPDATE " + quotedTable_ + " SET " + sets + KeyCondition();
    });
    statement.Execute(parameters);
    if (statement.RowCount() != 0) return;
    // The server counts changed rows only: an UPDATE that writes the values the row
    // already holds also reports 0. Tell that apart from a row that has gone.
    if (!exists_) {
        exists_.emplace(dbc_);
        exists_->Prepare("SELECT 1 FROM " + quotedTable_ + KeyCondition());
    }
    exists_->Execute(keyValues);
    const bool found = exists_->Fetch();
    exists_->CloseCursor();
    if (!found) Raise(err::kRowNotFoundForUpdate, source::kRecordset, err::kRowNotFoundForUpdateText);
}

std::string TableWriter::KeyCondition() {
    std::string where;
    for (std::size_t k : KeyColumns())
        where += (where.empty() ? " WHERE " : " AND ") + QuoteIdentifier(columns_[k]) + " = ?";
    return where;
}

const std::vector<std::size_t>& TableWriter::KeyColumns() {
    if (keys_) return *keys_;
    // SHOW KEYS sees the table exactly as the recordset's SELECT did (temporary tables
    // included); its rows come in key order.
    Statement statement(dbc_);
    const std::string sql = "SHOW KEYS FROM " + quotedTable_ + " WHERE Key_name = 'PRIMARY'";
    statement.ExecDirect(sql);
    const std::vector<Column> columns = DescribeResult(statement, false);
    std::size_t nameColumn = columns.size();
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (SameColumnName(columns[i].name, "Column_name")) nameColumn = i;
    std::vector<std::size_t> keys;
    bool complete = nameColumn < columns.size();
    RowReader reader(statement, columns);
    Row row;
    while (reader.Next(row)) {
        std::size_t found = columns_.size();
        if (complete && row[nameColumn].IsText())
            for (std::size_t i = 0; i < columns_.size(); ++i)
                if (SameColumnName(columns_[i], row[nameColumn].AsText())) found = i;
        if (found == columns_.size())
            complete = false;  // a key column the recordset lacks
        else
            keys.push_back(found);
    }
    if (!complete) keys.clear();
    keys_ = std::move(keys);
    return *keys_;
}

}  // namespace ado::odbc
