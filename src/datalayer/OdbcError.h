#pragma once
#include <cstdint>
#include <string>

#include "common/VbError.h"

namespace ado {

// A failure reported by the ODBC driver: number -2147467259 and the driver's diagnostic
// text, as ADO reports it, plus the SQLSTATE and the server's native error number.
class OdbcError : public VbError {
public:
    OdbcError(std::string source, std::string description, std::string sqlState, std::int32_t nativeError)
        : VbError(vberr::kProviderError, std::move(source), std::move(description)),
          sqlState_(std::move(sqlState)),
          nativeError_(nativeError) {}

    const std::string& sqlState() const noexcept { return sqlState_; }
    std::int32_t nativeError() const noexcept { return nativeError_; }

private:
    std::string sqlState_;
    std::int32_t nativeError_;
};

}  // namespace ado
