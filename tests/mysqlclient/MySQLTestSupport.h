#pragma once
// Helpers of the cMySQL tests: a customer database of the test's own, connecting to it,
// reading a recordset and watching server threads.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/VbError.h"
#include "datalayer/Recordset.h"
#include "mysqlclient/cMySQL.h"
#include "support/RaisedBy.h"
#include "support/TestServer.h"

namespace mysqltest {

inline constexpr const char* kCannotConnect = "데이터베이스 서버에 접속할 수 없습니다.";

// A database with an account of the same name that has every right on it, unique to the test.
struct Customer {
    std::string account;
    std::string database;
};

inline Customer NewCustomer(const std::string& prefix = "mc") {
    Customer c{testsupport::UniqueName(prefix), {}};
    c.database = c.account;
    testsupport::CreateCustomerDatabase(c.account, c.database);
    return c;
}

inline bool Connect(cMySQL& m, const Customer& c, bool noErrMsg = false) {
    return m.real_connect(testsupport::kCentralHost, c.account, testsupport::kCustomerPassword, c.database, 3306, "", 0,
                          noErrMsg);
}

// The values of one field from the first record to the end (moves the recordset).
inline std::vector<std::string> Column(ado::Recordset& rs, const std::string& field) {
    std::vector<std::string> values;
    if (rs.Bof() && rs.Eof()) return values;  // no records
    rs.MoveFirst();
    for (; !rs.Eof(); rs.MoveNext()) values.push_back(rs[field].GetValue().Text());
    return values;
}

inline std::vector<std::string> FieldNames(ado::Recordset& rs) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(rs.GetFields().Count()));
    for (int i = 0; i < rs.GetFields().Count(); ++i) names.push_back(rs.GetFields().Item(i).Name());
    return names;
}

inline bool ThreadExists(std::int64_t id) {
    return testsupport::AdminScalar("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = " +
                                    std::to_string(id)) != "0";
}

// The server ends a killed or closed session shortly after the client has gone.
inline bool ThreadGoneWithin(std::int64_t id, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (ThreadExists(id)) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

using testsupport::RaisedBy;

}  // namespace mysqltest
