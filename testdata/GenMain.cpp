// testdata-gen: makes a customer database of either edition with generated rows, for the
// demo and the benchmarks.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "common/BuiltInValues.h"
#include "testdata/Database.h"
#include "testdata/Generator.h"
#include "testdata/Schema.h"

namespace {

void Usage() {
    std::fputs(
        "usage: testdata-gen --host HOST --database NAME --edition tarn|velm\n"
        "                    [--scale FACTOR | --rows N] [--seed S] [--tables a,b,...]\n"
        "                    [--user USER] [--password PASSWORD] [--port PORT]\n"
        "                    [--schema-only | --data-only] [--quiet]\n"
        "       testdata-gen --differences\n"
        "  --scale 1 makes a small customer (about 2,000 rows), --scale 1000 a big one\n"
        "  (about 1.8M rows); --rows N picks the factor that gives about N rows.\n",
        stderr);
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::string item;
    for (char c : list + ",") {
        if (c != ',') {
            item += c;
        } else if (!item.empty()) {
            items.push_back(item);
            item.clear();
        }
    }
    return items;
}

double FactorForRows(double rows) {
    const double atOne = static_cast<double>(testdata::TotalRowCount(1.0));
    const double atTwo = static_cast<double>(testdata::TotalRowCount(2.0));
    const double perFactor = atTwo - atOne, fixed = atOne - perFactor;
    return rows > fixed ? (rows - fixed) / perFactor : 0.001;
}

const char* ChangeName(testdata::ColumnChange change) {
    switch (change) {
        case testdata::ColumnChange::Unchanged:
            return "unchanged";
        case testdata::ColumnChange::Added:
            return "added";
        case testdata::ColumnChange::Dropped:
            return "dropped";
        case testdata::ColumnChange::Retyped:
            return "retyped";
    }
    return "?";
}

// One line per column that differs: table, column, change, older and newer declaration.
void PrintDifferences() {
    for (std::string_view table : testdata::TableNames()) {
        const auto d = testdata::DifferencesOf(table);
        std::printf("%s\tTABLE\t%s %s -> %s %s%s%s\n", d.table.c_str(), d.tarnEngine.c_str(), d.tarnCharset.c_str(),
                    d.velmEngine.c_str(), d.velmCharset.c_str(), d.keyChanged ? ", key changed" : "",
                    d.orderChanged ? ", column order changed" : "");
        for (const auto& c : d.columns) {
            if (c.change == testdata::ColumnChange::Unchanged) continue;
            std::printf("%s\t%s\t%s\t%s\t%s\n", d.table.c_str(), c.column.c_str(), ChangeName(c.change),
                        c.tarn ? c.tarn->declaration.c_str() : "-", c.velm ? c.velm->declaration.c_str() : "-");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    testdata::Server server;
    server.user = builtin::kAdminAccount;  // the administrator scripts/mariadb-server makes
    server.password = builtin::kAdminPassword;
    std::string database, edition;
    testdata::PopulateOptions options;
    bool schema = true, data = true, quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--host")
            server.host = value();
        else if (arg == "--database")
            database = value();
        else if (arg == "--edition")
            edition = value();
        else if (arg == "--scale")
            options.sizeFactor = std::atof(value().c_str());
        else if (arg == "--rows")
            options.sizeFactor = FactorForRows(std::atof(value().c_str()));
        else if (arg == "--seed")
            options.seed = std::strtoull(value().c_str(), nullptr, 10);
        else if (arg == "--tables")
            options.tables = Split(value());
        else if (arg == "--user")
            server.user = value();
        else if (arg == "--password")
            server.password = value();
        else if (arg == "--port")
            server.port = static_cast<unsigned>(std::atoi(value().c_str()));
        else if (arg == "--schema-only")
            data = false;
        else if (arg == "--data-only")
            schema = false;
        else if (arg == "--quiet")
            quiet = true;
        else if (arg == "--differences") {
            PrintDifferences();
            return 0;
        } else {
            Usage();
            return 2;
        }
    }
    if (server.host.empty() || database.empty() || (edition != "tarn" && edition != "velm") ||
        !(options.sizeFactor > 0)) {
        Usage();
        return 2;
    }
    const auto which = edition == "tarn" ? testdata::Edition::Tarn : testdata::Edition::Velm;
    try {
        if (schema) testdata::CreateSchema(server, database, which, options.tables);
        if (data) {
            const auto result = testdata::Populate(server, database, which, options);
            if (!quiet)
                for (const auto& [table, rows] : result.rowsPerTable)
                    std::printf("%-20s %10lld\n", table.c_str(), static_cast<long long>(rows));
            std::printf("%s %s: %lld rows in %.1f s (size factor %g, seed %llu)\n", database.c_str(), edition.c_str(),
                        static_cast<long long>(result.rows), result.seconds, options.sizeFactor,
                        static_cast<unsigned long long>(options.seed));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "testdata-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
