#pragma once
// Internal to the data layer: the ODBC handles behind a Connection, and the recordsets
// open over it, which must release their statements before it disconnects.
#include <sql.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "datalayer/Connection.h"
#include "datalayer/mariadb/LoadSession.h"
#include "datalayer/odbc/ConnectionLock.h"
#include "datalayer/odbc/Handle.h"
#include "datalayer/odbc/SessionSocket.h"

namespace ado {

struct Connection::Impl {
    odbc::EnvHandle env;
    odbc::DbcHandle dbc;
    // The connection's lock (see ConnectionLock), made once: every statement on the
    // connection takes it, from the session's set-up to the disconnect.
    const std::shared_ptr<odbc::ConnectionMutex> lock = std::make_shared<odbc::ConnectionMutex>();
    bool connected = false;
    odbc::SessionSocket socket;
    // The session that carries this connection's loads; made once, so Abort on another
    // thread always finds it.
    const std::shared_ptr<odbc::LoadSession> loads = std::make_shared<odbc::LoadSession>();
    std::vector<Recordset*> recordsets;

    odbc::Dbc Dbc() const { return {dbc.get(), lock}; }

    void Attach(Recordset* recordset) { recordsets.push_back(recordset); }
    void Detach(Recordset* recordset) {
        recordsets.erase(std::remove(recordsets.begin(), recordsets.end(), recordset), recordsets.end());
    }
};

}  // namespace ado
