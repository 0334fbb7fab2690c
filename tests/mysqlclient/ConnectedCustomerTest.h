#pragma once
// A test fixture connected, as its own customer, to a fresh database that holds the tables
// and rows the derived test names.
#include <gtest/gtest.h>

#include <string>

#include "MySQLTestSupport.h"
#include "mysqlclient/cMySQL.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestServer.h"

namespace mysqltest {

class ConnectedCustomerTest : public ::testing::Test {
protected:
    // The statements that fill the customer's database before the test connects.
    virtual std::string Tables() const = 0;

    void SetUp() override {
        customer_ = NewCustomer();
        testsupport::AdminSql(Tables(), customer_.database);
        ASSERT_TRUE(Connect(m_, customer_));
    }

    Customer customer_;
    testsupport::ScriptedMsgBox boxes_;
    cMySQL m_;
};

}  // namespace mysqltest
