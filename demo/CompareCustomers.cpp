// nutv-compare-customers: compares a converted customer database of the newer edition
// with the older edition's source, table by table, by the rules of the copy run: the same
// rows (met by the source's key; order lines by the old key kept in "unit"), every column
// both editions have holding the source's value as the target column takes it, columns
// only the target has holding their defaults, and order-line parent links pointing at the
// new keys. Prints one line per table; exits 0 when every table matches.
//   nutv-compare-customers --host H --source DB --target DB [--password P]
#include <mysql.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/BuiltInValues.h"
#include "common/ClientTls.h"
#include "testdata/CopyRules.h"
#include "testdata/Schema.h"
#include "testdata/Session.h"

namespace {

using testdata::Column;
using testdata::Edition;
using testdata::Ident;

class Server {
public:
    Server(const std::string& host, const std::string& password) : mysql_(mysql_init(nullptr)) {
        if (!mysql_) throw std::runtime_error("out of memory");
        mysql_options(mysql_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (dbtls::RequireTls(mysql_.get())) throw std::runtime_error("the client library refused a TLS option");
        if (!mysql_real_connect(mysql_.get(), host.c_str(), builtin::kAdminAccount, password.c_str(), nullptr, 3306,
                                nullptr, 0))
            throw std::runtime_error(mysql_error(mysql_.get()));
    }

    // The first cell of the first row ("" for none or NULL).
    std::string Scalar(const std::string& sql) {
        if (mysql_real_query(mysql_.get(), sql.data(), sql.size()) != 0)
            throw std::runtime_error(std::string(mysql_error(mysql_.get())) + "\n" + sql);
        std::unique_ptr<MYSQL_RES, decltype(&mysql_free_result)> result(mysql_store_result(mysql_.get()),
                                                                        mysql_free_result);
        if (!result) return {};
        MYSQL_ROW row = mysql_fetch_row(result.get());
        return row && row[0] ? row[0] : "";
    }
    long long Count(const std::string& sql) { return std::stoll(Scalar(sql)); }

    std::string Quote(const std::string& text) {
        std::string out(text.size() * 2 + 1, '\0');
        out.resize(mysql_real_escape_string(mysql_.get(), out.data(), text.data(), text.size()));
        return "'" + out + "'";
    }

private:
    struct Closer {
        void operator()(MYSQL* m) const { mysql_close(m); }
    };
    std::unique_ptr<MYSQL, Closer> mysql_;
};

struct TableResult {
    long long sourceRows = 0, targetRows = 0, columns = 0, wrongCells = 0;
    bool ok = false;
};

class Comparison {
public:
    Comparison(Server& server, const std::string& source, const std::string& target)
        : db_(server), s_(Ident(source)), t_(Ident(target)) {}

    TableResult Table(const std::string& table) {
        TableResult r;
        const auto& source = testdata::TableOf(Edition::Tarn, table);
        const auto& target = testdata::TableOf(Edition::Velm, table);
        const std::string from = " FROM " + t_ + "." + Ident(table) + " t";
        r.sourceRows = db_.Count("SELECT COUNT(*) FROM " + s_ + "." + Ident(table));
        r.targetRows = db_.Count("SELECT COUNT(*)" + from);

        const std::string joined =
            from + " JOIN " + s_ + "." + Ident(table) + " s ON " + testdata::SourceRowJoin(table);
        const long long matched = db_.Count("SELECT COUNT(*)" + joined);

        const testdata::QuoteText quote = [this](const std::string& text) { return db_.Quote(text); };
        for (const Column& column : target.columns) {
            const Column* old = source.Find(column.name);
            if (testdata::AssignedByTarget(table, column, old)) continue;
            ++r.columns;
            const std::string wrong = old ? joined + " WHERE " + testdata::WrongCopyCondition(*old, column, quote)
                                          : from + " WHERE " + testdata::WrongDefaultCondition(column, quote);
            r.wrongCells += db_.Count("SELECT COUNT(*)" + wrong);
        }
        if (table == "ordbook_d") r.wrongCells += db_.Count(testdata::WrongParentLinksSql(s_, t_));
        r.ok = r.sourceRows == r.targetRows && matched == r.targetRows && r.wrongCells == 0;
        return r;
    }

private:
    Server& db_;
    std::string s_, t_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string host, source, target, password = builtin::kAdminPassword;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--host")
            host = argv[i + 1];
        else if (arg == "--source")
            source = argv[i + 1];
        else if (arg == "--target")
            target = argv[i + 1];
        else if (arg == "--password")
            password = argv[i + 1];
    }
    if (host.empty() || source.empty() || target.empty()) {
        std::fputs("usage: nutv-compare-customers --host H --source DB --target DB [--password P]\n", stderr);
        return 2;
    }
    try {
        Server server(host, password);
        Comparison comparison(server, source, target);
        std::printf("%s (원본) -> %s (대상)\n", source.c_str(), target.c_str());
        std::printf("%-20s %8s %8s %8s %8s  %s\n", "table", "source", "target", "columns", "wrong", "result");
        int same = 0, different = 0;
        for (std::string_view name : testdata::TableNames()) {
            const TableResult r = comparison.Table(std::string(name));
            std::printf("%-20.*s %8lld %8lld %8lld %8lld  %s\n", static_cast<int>(name.size()), name.data(),
                        r.sourceRows, r.targetRows, r.columns, r.wrongCells, r.ok ? "같음" : "다름");
            (r.ok ? same : different)++;
        }
        std::printf("tables: %d same, %d different\n", same, different);
        return different == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nutv-compare-customers: %s\n", e.what());
        return 2;
    }
}
