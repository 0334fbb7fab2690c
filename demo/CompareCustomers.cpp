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

#include "testdata/Schema.h"

namespace {

using testdata::Column;
using testdata::Edition;

class Server {
public:
    Server(const std::string& host, const std::string& password) : mysql_(mysql_init(nullptr)) {
        if (!mysql_) throw std::runtime_error("out of memory");
        mysql_options(mysql_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
        if (!mysql_real_connect(mysql_.get(), host.c_str(), "root", password.c_str(), nullptr, 3306, nullptr, 0))
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

std::string Ident(const std::string& name) {
    std::string out = "`";
    for (char c : name) out += c == '`' ? std::string("``") : std::string(1, c);
    return out + "`";
}

// The SQL type both sides are cast to before comparing: the target column's.
std::string CastType(const Column& target) {
    const std::string base = target.BaseType();
    if (base == "DATE") return "DATE";
    if (base == "DATETIME" || base == "TIMESTAMP") return "DATETIME";
    if (base == "TIME") return "TIME";
    if (base == "DECIMAL") return target.type;
    if (base == "FLOAT" || base == "DOUBLE") return "DOUBLE";
    if (base.find("INT") != std::string::npos) return "SIGNED";
    if (target.IsBinary()) return "BINARY";
    return "CHAR";
}

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

        const bool orderLines = table == "ordbook_d";
        std::string join;
        if (orderLines) {
            join = "s.seq = t.unit";
        } else {
            for (const auto& key : source.primaryKey)
                join += (join.empty() ? "" : " AND ") + ("s." + Ident(key) + " = t." + Ident(key));
        }
        const std::string joined = from + " JOIN " + s_ + "." + Ident(table) + " s ON " + join;
        const long long matched = db_.Count("SELECT COUNT(*)" + joined);

        for (const Column& column : target.columns) {
            if (orderLines && (column.name == "seq" || column.name == "unit" || column.name == "parentseq")) continue;
            const Column* old = source.Find(column.name);
            if (!old && column.autoIncrement) continue;  // keys the target assigns
            ++r.columns;
            r.wrongCells += db_.Count(old ? WrongCopies(joined, *old, column) : WrongDefaults(from, column));
        }
        if (orderLines) r.wrongCells += WrongParentLinks();
        r.ok = r.sourceRows == r.targetRows && matched == r.targetRows && r.wrongCells == 0;
        return r;
    }

private:
    std::string DefaultLiteral(const Column& column) {
        return column.defaultValue ? db_.Quote(*column.defaultValue) : "NULL";
    }

    // Rows whose column does not hold the source's value (Null, and the empty text for a
    // date column, leave the target's default).
    std::string WrongCopies(const std::string& joined, const Column& old, const Column& column) {
        std::string value = "s." + Ident(old.name);
        if (old.BaseType() == "FLOAT") value = "CAST(" + value + " AS CHAR)";
        std::string absent = value + " IS NULL";
        if (column.BaseType() == "DATE" && old.IsText()) absent += " OR " + value + " = ''";
        std::string expected = "IF(" + absent + ", " + DefaultLiteral(column) + ", " + value + ")";
        const std::string cast = CastType(column);
        if (cast != "CHAR" && cast != "BINARY") expected = "CAST(" + expected + " AS " + cast + ")";
        if (cast == "CHAR") expected = "CAST(" + expected + " AS CHAR)";
        return "SELECT COUNT(*)" + joined + " WHERE NOT (CAST(t." + Ident(column.name) + " AS BINARY) <=> CAST(" +
               expected + " AS BINARY))";
    }

    std::string WrongDefaults(const std::string& from, const Column& column) {
        return "SELECT COUNT(*)" + from + " WHERE NOT (t." + Ident(column.name) + " <=> " + DefaultLiteral(column) +
               ")";
    }

    // Order lines whose parent link does not name the new key of the line that held the
    // old parent key in the same order.
    long long WrongParentLinks() {
        return db_.Count("SELECT COUNT(*) FROM " + t_ + ".ordbook_d c JOIN " + s_ +
                         ".ordbook_d old ON old.seq = c.unit LEFT JOIN " + t_ +
                         ".ordbook_d p ON p.seq = c.parentseq AND p.ordno = c.ordno "
                         "WHERE p.seq IS NULL OR p.unit <> old.parentseq");
    }

    Server& db_;
    std::string s_, t_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string host, source, target, password = "qorvmtnex7..";
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
