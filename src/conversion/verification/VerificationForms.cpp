#include "conversion/verification/VerificationForms.h"

#include <optional>

#include "common/VbError.h"
#include "conversion/run/OrderDetailLinks.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

using ado::ColumnType;

std::vector<ColumnType> ReadColumns(ado::Connection& connection, const std::string& table) {
    std::vector<ColumnType> columns = ado::ReadColumnTypes(connection, table);
    if (columns.empty()) throw VbError(vberr::kItemNotFound, "검증", "테이블 " + table + "이(가) " + "DB에 없습니다");
    return columns;
}

const ColumnType* Find(const std::vector<ColumnType>& columns, const std::string& name) {
    for (const ColumnType& c : columns)
        if (c.name == name) return &c;
    return nullptr;
}

class Pairing {
public:
    Pairing(std::vector<ColumnType> source, std::vector<ColumnType> target, const std::string& table,
            std::string targetTable)
        : source_(std::move(source)),
          target_(std::move(target)),
          orderLines_(table == kOrderDetailTable),
          targetTable_(std::move(targetTable)) {}

    VerificationForms Build() {
        if (orderLines_) PairOrderLines();
        for (const ColumnType& s : source_) {
            if (orderLines_ && IsOrderLineLink(s.name)) continue;
            if (const ColumnType* t = Find(target_, s.name)) PushPair(*t, ado::CopiedValueForms(s, *t));
        }
        for (const ColumnType& t : target_) {
            if (Find(source_, t.name) || (orderLines_ && IsOrderLineLink(t.name))) continue;
            if (t.autoIncrement) continue;  // numbered by the target itself
            PushPair(t, ado::DefaultValueForms(t));
        }
        if (!orderLines_) PairKey();
        return std::move(forms_);
    }

private:
    static bool IsOrderLineLink(const std::string& name) {
        return name == "seq" || name == "unit" || name == "parentseq";
    }

    // A value pair; where the target column can hold a Null, whether each side is Null is
    // compared too, so that a Null differs from every value, the empty text included.
    void Push(const ColumnType& t, const std::string& source, const std::string& target) {
        forms_.sourceValues.push_back(source);
        forms_.targetValues.push_back(target);
        forms_.valueNames.push_back(t.name);
        if (!t.nullable) return;
        forms_.sourceNulls.push_back("ISNULL(" + source + ")");
        forms_.targetNulls.push_back("ISNULL(" + target + ")");
    }

    // A pair of the column rules, or the column named as left out, with the reason.
    void PushPair(const ColumnType& t, const std::optional<ado::ValueForms>& forms) {
        if (forms) {
            Push(t, forms->source, forms->target);
        } else {
            forms_.uncompared.push_back(
                t.name + (t.computed ? std::string(" (") + ado::kComputedReason + ")" : std::string(" (기본값이 식)")));
        }
    }

    // Rows are paired by the source's key, which the copy carries over unchanged; a table
    // without one is paired by its whole row.
    void PairKey() {
        for (const ColumnType& s : source_) {
            if (!s.key) continue;
            const ColumnType* t = Find(target_, s.name);
            if (!t) {
                forms_.sourceKey.clear();
                forms_.targetKey.clear();
                forms_.keyNames.clear();
                break;
            }
            const ado::ValueForms key = ado::KeyForms(s, *t);
            forms_.sourceKey.push_back(key.source);
            forms_.targetKey.push_back(key.target);
            forms_.keyNames.push_back(s.name);
        }
        if (forms_.keyNames.empty()) {
            forms_.sourceKey = forms_.sourceValues;
            forms_.targetKey = forms_.targetValues;
        }
    }

    // An order line is known by its old key, which the target keeps in "unit"; its parent
    // link must lead to the line whose old key the source's link named.
    void PairOrderLines() {
        forms_.sourceKey = {"CAST(t.seq AS CHAR CHARACTER SET utf8mb4)"};
        forms_.targetKey = {"CONVERT(t.unit USING utf8mb4)"};
        forms_.keyNames = {"seq"};
        forms_.sourceValues = {forms_.sourceKey.front(),
                               "IFNULL(CAST(t.parentseq AS CHAR CHARACTER SET utf8mb4), '~')"};
        forms_.targetValues = {forms_.targetKey.front(), "IFNULL(CONVERT(p.unit USING utf8mb4), '~')"};
        forms_.valueNames = {"seq", "parentseq"};
        forms_.targetJoin = "LEFT JOIN " + SqlIdentifier(targetTable_) + " p ON p.seq = t.parentseq";
    }

    std::vector<ColumnType> source_, target_;
    bool orderLines_;
    std::string targetTable_;
    VerificationForms forms_;
};

}  // namespace

VerificationForms PairColumns(ado::Connection& source, ado::Connection& target, const std::string& table,
                              const std::string& targetTable) {
    return Pairing(ReadColumns(source, table), ReadColumns(target, targetTable), table, targetTable).Build();
}
