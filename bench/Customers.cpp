#include "bench/Customers.h"

#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "support/TestServer.h"
#include "testdata/Schema.h"

namespace bench {

testdata::Server AdminServer() {
    testdata::Server server;
    server.host = testsupport::kCentralHost;
    server.password = testsupport::kRootPassword;
    return server;
}

testdata::PopulateResult MakeCustomers(const Customers& customers, double sizeFactor,
                                       const std::vector<std::string>& tables) {
    using namespace testsupport;
    for (const auto& [id, db] :
         {std::pair{customers.sourceId, customers.SourceDb()}, std::pair{customers.targetId, customers.TargetDb()}}) {
        AdminSql("DELETE FROM app_admin.app_priv WHERE app_dbname = " + SqlQuote(db));
        CreateCustomerDatabase(id, db);
    }
    RegisterCustomer(customers.sourceId, customers.SourceDb(), kCustomerHostA);
    RegisterCustomer(customers.targetId, customers.TargetDb(), kCustomerHostB);

    int channel[2];
    if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        close(channel[0]);
        std::string report;
        int status = 0;
        try {
            const testdata::Server server = AdminServer();
            testdata::CreateSchema(server, customers.SourceDb(), testdata::Edition::Tarn);
            testdata::CreateSchema(server, customers.TargetDb(), testdata::Edition::Velm);
            testdata::PopulateOptions options;
            options.sizeFactor = sizeFactor;
            options.tables = tables;
            const auto result = testdata::Populate(server, customers.SourceDb(), testdata::Edition::Tarn, options);
            // One line per table, then the total and the seconds.
            for (const auto& [table, rows] : result.rowsPerTable) report += table + " " + std::to_string(rows) + "\n";
            report += "= " + std::to_string(result.rows) + " " + std::to_string(result.seconds) + "\n";
        } catch (const std::exception& e) {
            report = std::string("! ") + e.what() + "\n";
            status = 1;
        }
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = write(channel[1], report.data() + done, report.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        _exit(status);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);

    testdata::PopulateResult result;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("! ", 0) == 0) throw std::runtime_error("generating the customer failed: " + line.substr(2));
        std::istringstream fields(line);
        std::string name;
        fields >> name;
        if (name == "=") {
            fields >> result.rows >> result.seconds;
        } else {
            std::int64_t rows = 0;
            fields >> rows;
            result.rowsPerTable.emplace_back(name, rows);
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("generating the customer failed");
    return result;
}

std::vector<std::pair<std::string, std::int64_t>> RowCounts(const std::string& database,
                                                            const std::vector<std::string>& tables) {
    std::vector<std::pair<std::string, std::int64_t>> counts;
    counts.reserve(tables.size());
    for (const std::string& table : tables)
        counts.emplace_back(table, std::stoll(testsupport::AdminScalar(
                                       "SELECT COUNT(*) FROM " + testsupport::SqlIdent(table), database)));
    return counts;
}

}  // namespace bench
