#pragma once
// A customer database of the test's own, reached as the customer account through a data
// source in the test's own odbc.ini, and helpers shared by the data-layer tests.
#include <functional>
#include <memory>
#include <string>

#include "common/VbError.h"
#include "datalayer/Connection.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"

namespace dltest {

class CustomerDataSource {
public:
    // unixODBC takes data source names of at most 32 characters.
    CustomerDataSource()
        : id_(testsupport::UniqueName("dl")),
          database_(id_ + "_db"),
          dsn_("dl_" + std::to_string(std::hash<std::string>{}(id_) % 1000000000)) {
        testsupport::CreateCustomerDatabase(id_, database_);
        env_.WriteDataSource(dsn_, testsupport::kCustomerHostA, database_, id_);
    }
    ~CustomerDataSource() {
        try {
            testsupport::AdminSql("DROP DATABASE IF EXISTS " + testsupport::SqlIdent(database_));
        } catch (...) {
        }
    }

    std::string ConnectionString() const { return "DSN=" + dsn_ + ";PWD=" + testsupport::kCustomerPassword; }
    std::shared_ptr<ado::Connection> Open() const {
        auto connection = std::make_shared<ado::Connection>();
        connection->Open(ConnectionString(), "", "", -1);
        return connection;
    }
    // Runs SQL as the administrator in this database.
    void Sql(const std::string& sql) const { testsupport::AdminSql(sql, database_); }
    std::string Scalar(const std::string& sql) const { return testsupport::AdminScalar(sql, database_); }
    std::vector<testsupport::Row> Query(const std::string& sql) const {
        return testsupport::AdminQuery(sql, database_);
    }

    const std::string& id() const { return id_; }
    const std::string& database() const { return database_; }
    const std::string& dsn() const { return dsn_; }
    const testsupport::IsolatedEnvironment& env() const { return env_; }

private:
    testsupport::IsolatedEnvironment env_;
    std::string id_, database_, dsn_;
};

// The error a call raises (number and description), or number 0 when it raises none.
struct Raised {
    std::int32_t number = 0;
    std::string description;
};
template <typename F>
Raised ErrorOf(F&& f) {
    try {
        f();
    } catch (const VbError& e) {
        return {e.number(), e.description()};
    }
    return {};
}

}  // namespace dltest
