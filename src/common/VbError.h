#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

// A run-time error as the program reports it: a number, the source that raised it
// and a description. Data-layer, client-library and program errors all travel as this.
class VbError : public std::runtime_error {
public:
    VbError(std::int32_t number, std::string source, std::string description);

    std::int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

private:
    std::int32_t number_;
    std::string source_;
    std::string description_;
};

// Error numbers the program relies on, with the descriptions their raisers give.
namespace vberr {
inline constexpr std::int32_t kTypeMismatch = 13;
inline constexpr std::int32_t kObjectNotSet = 91;
inline constexpr std::int32_t kInvalidUseOfNull = 94;
inline constexpr std::int32_t kNoCurrentRecord = 3021;
inline constexpr std::int32_t kItemNotFound = 3265;
inline constexpr std::int32_t kProviderError = -2147467259;  // E_FAIL: the driver's own failure

inline constexpr const char* kTypeMismatchText = "Type mismatch";
inline constexpr const char* kObjectNotSetText = "Object variable or With block variable not set";
inline constexpr const char* kInvalidUseOfNullText = "Invalid use of Null";
inline constexpr const char* kNoCurrentRecordText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.";
inline constexpr const char* kItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
}  // namespace vberr
