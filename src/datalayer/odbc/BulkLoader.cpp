#include "datalayer/odbc/BulkLoader.h"

#include <algorithm>
#include <cctype>

#include "datalayer/odbc/LoadFormat.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

// Text handed to the session in pieces of about this size.
constexpr std::size_t kPieceBytes = 256 * 1024;

// A transaction of the load session that is rolled back unless committed, however the
// load ends. The session runs without autocommit, so the load itself begins it: no
// exchange of its own.
class LoadTransaction {
public:
    explicit LoadTransaction(LoadSession& session) : session_(session) {}
    ~LoadTransaction() {
        if (open_) session_.Run("ROLLBACK");
    }
    LoadTransaction(const LoadTransaction&) = delete;
    LoadTransaction& operator=(const LoadTransaction&) = delete;

    // A COMMIT the server refused leaves the transaction to the destructor's ROLLBACK.
    bool Commit() {
        if (!session_.Run("COMMIT")) return false;
        open_ = false;
        return true;
    }

private:
    LoadSession& session_;
    bool open_ = true;
};

}  // namespace

BulkLoader::BulkLoader(const Dbc& dbc, std::shared_ptr<LoadSession> session, std::string table,
                       std::vector<std::string> columns, std::map<std::string, std::string> dataTypes)
    : dbc_(dbc),
      session_(std::move(session)),
      table_(std::move(table)),
      columns_(std::move(columns)),
      dataTypes_(std::move(dataTypes)) {}

bool BulkLoader::Load(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used,
                      const std::vector<ValueKind>& kinds) {
    if (rows.empty() || !session_->Ready(dbc_)) return false;
    // A transaction open on the copy connection is not this loader's to bypass. It is asked
    // once per table, at its first load, not once per load: an exchange each costs a far
    // server's round trip.
    if (!copyOutsideTransaction_) {
        const QueryResult open = RunQuery(dbc_, "SELECT @@in_transaction");
        copyOutsideTransaction_ = !open.rows.empty() && !open.rows[0][0].IsNull() && open.rows[0][0].Text() == "0";
    }
    if (!*copyOutsideTransaction_) return false;

    Mask everyRow(columns_.size(), 0);
    for (std::size_t c = 0; c < columns_.size(); ++c)
        everyRow[c] = std::all_of(assigned.begin(), assigned.end(), [c](const Mask& m) { return m[c] != 0; }) ? 1 : 0;
    const auto plan = PlanLoad(columns_, dataTypes_, kinds, used, everyRow);
    if (!plan) return false;

    // The text is formatted a piece at a time while the session sends the pieces before.
    std::size_t next = 0;
    const LoadSession::Feed feed = [&](std::string& piece) {
        if (next == rows.size()) return false;
        piece.reserve(kPieceBytes + 4096);
        for (; next < rows.size() && piece.size() < kPieceBytes; ++next) {
            bool first = true;
            for (const LoadColumn& l : *plan) {
                if (!first) piece += '\t';
                first = false;
                if (assigned[next][l.index]) AppendLoadField(piece, rows[next][l.index], l.form);
                if (!l.everyRow) piece += assigned[next][l.index] ? "\t1" : "\t0";
            }
            piece += '\n';
        }
        return true;
    };
    LoadTransaction transaction(*session_);
    if (!session_->Load(LoadStatement(LoadSession::kFileName, QuoteIdentifier(table_), columns_, *plan), feed))
        return false;
    if (session_->AffectedRows() != rows.size() || !session_->OnlyNotes()) return false;
    return transaction.Commit();
}

}  // namespace ado::odbc
