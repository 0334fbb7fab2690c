#pragma once
#include <cstdint>
#include <string>

#include "common/VbError.h"

// The errors the data layer raises besides those in common/VbError.h, with the
// descriptions ADO gives them, and the one helper that raises them.
namespace ado {

namespace err {
inline constexpr std::int32_t kOverflow = 6;
inline constexpr const char* kOverflowText = "Overflow";
inline constexpr std::int32_t kAlreadyInCollection = 3367;
inline constexpr const char* kAlreadyInCollectionText = "Object is already in collection. Cannot append.";
inline constexpr std::int32_t kNotAllowedInContext = 3219;
inline constexpr const char* kNotAllowedInContextText = "Operation is not allowed in this context.";
inline constexpr std::int32_t kObjectClosed = 3704;
inline constexpr const char* kObjectClosedText = "Operation is not allowed when the object is closed.";
inline constexpr std::int32_t kObjectOpen = 3705;
inline constexpr const char* kObjectOpenText = "Operation is not allowed when the object is open.";
inline constexpr std::int32_t kNotUpdatable = 3251;
inline constexpr const char* kNotUpdatableText =
    "Current Recordset does not support updating. This may be a limitation of the provider, or of the selected "
    "locktype.";
inline constexpr std::int32_t kConnectionUnusable = 3709;
inline constexpr const char* kConnectionUnusableText =
    "The connection cannot be used to perform this operation. It is either closed or invalid in this context.";
inline constexpr std::int32_t kRowNotFoundForUpdate = -2147217864;
inline constexpr const char* kRowNotFoundForUpdateText =
    "Row cannot be located for updating. Some values may have been changed since it was last read.";
inline constexpr const char* kNoKeyForUpdateText = "Insufficient key column information for updating or refreshing.";
}  // namespace err

// The objects errors name as their source, as ADO names them.
namespace source {
inline constexpr const char* kConnection = "ado.Connection";
inline constexpr const char* kFields = "ado.Fields";
inline constexpr const char* kRecordset = "ado.Recordset";
inline constexpr const char* kStatement = "ado.Statement";
inline constexpr const char* kValue = "ado.Value";
}  // namespace source

[[noreturn]] void Raise(std::int32_t number, const char* source, const char* description);
[[noreturn]] void Raise(std::int32_t number, const char* source, std::string description);

}  // namespace ado
