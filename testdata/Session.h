#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "testdata/Database.h"

typedef struct st_mysql MYSQL;

// One connection to the server through the client library, closed with the object.
namespace testdata {

class Session {
public:
    // database may be empty. The session talks utf8mb4.
    Session(const Server& server, const std::string& database);

    // Runs one statement; throws std::runtime_error with the server's message.
    void Execute(std::string_view sql);
    // Appends `text` to `sql` as a quoted string literal.
    void AppendQuoted(std::string& sql, std::string_view text);

private:
    struct Closer {
        void operator()(MYSQL* m) const;
    };
    std::unique_ptr<MYSQL, Closer> mysql_;
};

// `name` as a quoted identifier.
std::string Ident(std::string_view name);

}  // namespace testdata
