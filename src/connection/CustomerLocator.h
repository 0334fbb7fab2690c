#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "common/CustomerForm.h"

class cMySQL;
namespace ado {
class Recordset;
}

// Finds the server that holds a customer's database, on the central administration
// database (app_admin.app_priv). Holds a session there only during one lookup.
class CustomerLocator {
public:
    CustomerLocator();
    ~CustomerLocator();

    // The server address for the customer of that index, or "" when it cannot be
    // determined (the user has then been told, in the log or in a message box).
    std::string LocateCustomerDB(CustomerForm& form, CustomerIndex index);

    // Opens a new session in AdminDB (replacing the one held); false when it failed (the
    // form has shown why).
    bool DBConnect(CustomerForm& form, const std::string& server, const std::string& account,
                   const std::string& password, const std::string& database);
    // Runs a query on AdminDB; returns the row count the client reports. Raises 91 when
    // the server rejected the statement (no recordset to read).
    std::int32_t DBQuery(std::shared_ptr<ado::Recordset>& recordset, const std::string& sql);
    // Releases AdminDB, which closes its connection.
    void DBClose();

    const cMySQL* AdminDB() const { return adminDB_.get(); }

private:
    std::unique_ptr<cMySQL> adminDB_;
};
