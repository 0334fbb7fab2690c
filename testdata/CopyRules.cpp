#include "testdata/CopyRules.h"

#include "testdata/Session.h"

namespace testdata {

namespace {
constexpr std::string_view kOrderLines = "ordbook_d";
}

std::string SourceRowJoin(std::string_view table) {
    if (table == kOrderLines) return "s.seq = t.unit";
    std::string join;
    for (const auto& key : TableOf(Edition::Tarn, table).primaryKey)
        join += (join.empty() ? "" : " AND ") + ("s." + Ident(key) + " = t." + Ident(key));
    return join;
}

bool AssignedByTarget(std::string_view table, const Column& target, const Column* source) {
    if (table == kOrderLines && (target.name == "seq" || target.name == "unit" || target.name == "parentseq"))
        return true;
    return !source && target.autoIncrement;
}

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

std::string DefaultLiteral(const Column& column, const QuoteText& quote) {
    return column.defaultValue ? quote(*column.defaultValue) : "NULL";
}

std::string WrongCopyCondition(const Column& source, const Column& target, const QuoteText& quote) {
    std::string value = "s." + Ident(source.name);
    // A FLOAT arrives as the shortest text of its single-precision value.
    if (source.BaseType() == "FLOAT") value = "CAST(" + value + " AS CHAR)";
    std::string absent = value + " IS NULL";
    if (target.BaseType() == "DATE" && source.IsText()) absent += " OR " + value + " = ''";
    std::string expected = "IF(" + absent + ", " + DefaultLiteral(target, quote) + ", " + value + ")";
    // Both sides read as the target column takes them, then compared byte for byte.
    const std::string cast = CastType(target);
    if (cast != "BINARY") expected = "CAST(" + expected + " AS " + cast + ")";
    return "NOT (CAST(t." + Ident(target.name) + " AS BINARY) <=> CAST(" + expected + " AS BINARY))";
}

std::string WrongDefaultCondition(const Column& target, const QuoteText& quote) {
    return "NOT (t." + Ident(target.name) + " <=> " + DefaultLiteral(target, quote) + ")";
}

std::string WrongParentLinksSql(const std::string& sourceDb, const std::string& targetDb) {
    return "SELECT COUNT(*) FROM " + targetDb + ".ordbook_d c JOIN " + sourceDb +
           ".ordbook_d old ON old.seq = c.unit LEFT JOIN " + targetDb +
           ".ordbook_d p ON p.seq = c.parentseq AND p.ordno = c.ordno "
           "WHERE p.seq IS NULL OR p.unit <> old.parentseq";
}

}  // namespace testdata
