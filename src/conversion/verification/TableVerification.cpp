#include "conversion/verification/TableVerification.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <map>
#include <utility>

#include "conversion/NumbersAndTimes.h"
#include "conversion/verification/VerificationForms.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

constexpr std::size_t kKeysNamed = 10;

// One group's rows on one side: how many, and the sum of their hashes (exact, as text).
struct Group {
    std::int64_t rows = 0;
    std::string sum;
    bool operator==(const Group&) const = default;
};
using Groups = std::map<std::string, Group>;

std::string Joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// One side's SQL: the row's hash and its key text.
struct Side {
    std::string table, join, hash, key;

    Side(const std::string& tableName, const std::vector<std::string>& values, const std::vector<std::string>& nulls,
         const std::vector<std::string>& keyParts, std::string joinText)
        : table(tableName), join(std::move(joinText)) {
        // Which values are Null leads, then the values themselves (CONCAT_WS leaves Nulls
        // out). CRC32 over the text costs the server about half the time of an MD5 prefix;
        // summed per row (not XORed), a doubled row never cancels out.
        std::string parts = Joined(values, ", ");
        if (!nulls.empty()) parts = "CONCAT(" + Joined(nulls, ", ") + "), " + parts;
        hash = "CRC32(CONCAT_WS(CHAR(31), " + parts + "))";
        std::vector<std::string> keyMarked;
        keyMarked.reserve(keyParts.size());
        for (const std::string& k : keyParts) keyMarked.push_back("IFNULL(" + k + ", '~')");
        key = "CONCAT_WS(CHAR(31), " + Joined(keyMarked, ", ") + ")";
    }

    // Each row's key with one check value per compared column ("-" for a Null), for the
    // rows that `where` admits: which columns of a differing row differ.
    std::map<std::string, std::vector<std::string>> Cells(ado::Connection& connection,
                                                          const std::vector<std::string>& values,
                                                          const std::string& where) const {
        std::vector<std::string> cells;
        cells.reserve(values.size());
        for (const std::string& v : values) cells.push_back("IFNULL(CRC32(" + v + "), '-')");
        auto rows = connection.Execute("SELECT " + key + ", " + Joined(cells, ", ") + " FROM " + SqlIdentifier(table) +
                                       " t " + join + " WHERE " + where);
        std::map<std::string, std::vector<std::string>> found;
        for (; !rows->Eof(); rows->MoveNext()) {
            const auto& f = rows->GetFields();
            std::vector<std::string>& row = found[f.Item(0).GetValue().Text()];
            for (int i = 1; i < f.Count(); ++i) row.push_back(f.Item(i).GetValue().Text());
        }
        return found;
    }

    // The groups of `group` over the rows that `where` admits.
    Groups Digest(ado::Connection& connection, const std::string& group, const std::string& where) const {
        auto rows =
            connection.Execute("SELECT " + group + ", COUNT(*), SUM(" + hash + ") FROM " + SqlIdentifier(table) +
                               " t " + join + (where.empty() ? "" : " WHERE " + where) + " GROUP BY 1");
        Groups groups;
        for (; !rows->Eof(); rows->MoveNext()) {
            const auto& f = rows->GetFields();
            const ado::Value& g = f.Item(0).GetValue();
            groups[g.IsNull() ? std::string() : g.Text()] = {std::stoll(f.Item(1).GetValue().Text()),
                                                             f.Item(2).GetValue().Text()};
        }
        return groups;
    }
};

// The text with "{k}" standing for the side's key text.
std::string WithKey(const Side& side, std::string text) {
    for (std::size_t at = text.find("{k}"); at != std::string::npos; at = text.find("{k}", at + side.key.size()))
        text.replace(at, 3, side.key);
    return text;
}

// Group numbers for a condition, written by us whatever the server sent.
std::string NumberList(const std::vector<std::string>& groups) {
    std::vector<std::string> numbers;
    numbers.reserve(groups.size());
    for (const std::string& g : groups) numbers.push_back(std::to_string(std::stoll(g)));
    return Joined(numbers, ",");
}

// The groups whose rows differ between the sides, in order.
std::vector<std::string> Differing(const Groups& source, const Groups& target) {
    std::vector<std::string> names;
    for (const auto& [name, group] : source) {
        const auto other = target.find(name);
        if (other == target.end() || !(other->second == group)) names.push_back(name);
    }
    for (const auto& [name, group] : target)
        if (!source.contains(name)) names.push_back(name);
    return names;
}

// A digest of a whole side: the groups' sums added, kept to 64 bits.
std::string Total(const Groups& groups, std::int64_t& rows) {
    unsigned __int128 sum = 0;
    rows = 0;
    for (const auto& [name, group] : groups) {
        rows += group.rows;
        unsigned __int128 value = 0;
        for (const char c : group.sum)
            if (c >= '0' && c <= '9') value = value * 10 + static_cast<unsigned>(c - '0');
        sum += value;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(sum));
    return text;
}

std::string KeyText(const std::string& key, const std::vector<std::string>& names) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        const std::size_t end = key.find('\x1f', start);
        std::string part = key.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part == "~") part = "NULL";
        if (part.size() > 60) {
            std::size_t cut = 60;
            while (cut > 0 && (static_cast<unsigned char>(part[cut]) & 0xC0) == 0x80) --cut;  // whole characters
            part = part.substr(0, cut) + "…";
        }
        parts.push_back(i < names.size() ? names[i] + "=" + part : part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return Joined(parts, ", ");
}

// " (다른 열: a, b)" for a row on both sides, or which side alone has it.
std::string CellsText(const std::string& key, const std::map<std::string, std::vector<std::string>>& source,
                      const std::map<std::string, std::vector<std::string>>& target,
                      const std::vector<std::string>& names) {
    const auto s = source.find(key), t = target.find(key);
    if (s == source.end() && t == target.end()) return "";
    if (t == target.end()) return " (원본에만 있음)";
    if (s == source.end()) return " (대상에만 있음)";
    std::vector<std::string> differing;
    for (std::size_t i = 0; i < names.size() && i < s->second.size() && i < t->second.size(); ++i)
        if (s->second[i] != t->second[i]) differing.push_back(names[i]);
    return differing.empty() ? "" : " (다른 열: " + Joined(differing, ", ") + ")";
}

}  // namespace

TableCheck TableVerifier::Verify(const std::string& table, const std::string& targetTable) const {
    const auto started = std::chrono::steady_clock::now();
    const std::string& targetName = targetTable.empty() ? table : targetTable;
    const VerificationForms forms = PairColumns(*source_, *target_, table, targetName);
    const Side source(table, forms.sourceValues, forms.sourceNulls, forms.sourceKey, "");
    const Side target(targetName, forms.targetValues, forms.targetNulls, forms.targetKey, forms.targetJoin);

    // Both servers at once; the target's answer is awaited before anything is thrown.
    const auto both = [&](const std::string& groupOf, const std::string& whereOf) {
        auto targetGroups = std::async(std::launch::async, [&] {
            return target.Digest(*target_, WithKey(target, groupOf), WithKey(target, whereOf));
        });
        Groups sourceGroups;
        try {
            sourceGroups = source.Digest(*source_, WithKey(source, groupOf), WithKey(source, whereOf));
        } catch (...) {
            try {
                targetGroups.get();
            } catch (...) {
                // The source's failure is the one to report.
            }
            throw;
        }
        return std::make_pair(std::move(sourceGroups), targetGroups.get());
    };

    TableCheck check;
    check.uncompared = forms.uncompared;
    // The whole table first: the usual answer, and the cheapest.
    const auto [sourceTotal, targetTotal] = both("0", "");
    check.sourceDigest = Total(sourceTotal, check.sourceRows);
    check.targetDigest = Total(targetTotal, check.targetRows);
    check.match = Differing(sourceTotal, targetTotal).empty();
    if (!check.match) {
        // Narrowed in three steps: 256 groups of keys, 65,536 finer groups inside the
        // differing ones, then the rows of the first few differing fine groups by their keys.
        const auto [s1, t1] = both("CRC32({k}) MOD 256", "");
        std::vector<std::string> differing = Differing(s1, t1);
        const auto [s2, t2] = both("CRC32({k}) MOD 65536", "CRC32({k}) MOD 256 IN (" + NumberList(differing) + ")");
        differing = Differing(s2, t2);
        if (differing.size() > kKeysNamed) differing.resize(kKeysNamed);
        if (!differing.empty()) {
            const std::string rowsOf = "CRC32({k}) MOD 65536 IN (" + NumberList(differing) + ")";
            const auto [s3, t3] = both("{k}", rowsOf);
            std::vector<std::string> keys = Differing(s3, t3);
            if (keys.size() > kKeysNamed) keys.resize(kKeysNamed);
            // The named rows once more, column by column, to say what differs in each.
            const auto sourceCells = source.Cells(*source_, forms.sourceValues, WithKey(source, rowsOf));
            const auto targetCells = target.Cells(*target_, forms.targetValues, WithKey(target, rowsOf));
            for (const std::string& key : keys)
                check.keys.push_back(KeyText(key, forms.keyNames) +
                                     CellsText(key, sourceCells, targetCells, forms.valueNames));
        }
    }
    check.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return check;
}

std::string DifferenceText(const TableCheck& check) {
    std::string text = "원본 " + GroupDigits(check.sourceRows) + "행, 대상 " + GroupDigits(check.targetRows) + "행";
    if (!check.keys.empty()) text += ", 다른 행의 키: " + Joined(check.keys, "; ");
    return text;
}
