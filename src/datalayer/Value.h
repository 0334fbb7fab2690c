#pragma once
#include <cstdint>
#include <string>
#include <variant>

namespace ado {

// Raw bytes of a binary column, kept apart from text so they are bound as binary.
struct Bytes {
    std::string data;
    bool operator==(const Bytes&) const = default;
};

// One cell: Null, text (UTF-8), an integer, a double or bytes. Integers, DECIMAL and
// date columns arrive as the server's own text; FLOAT and DOUBLE as doubles.
class Value {
public:
    Value() = default;  // Null
    Value(std::string text) : v_(std::move(text)) {}
    Value(const char* text) : v_(std::string(text)) {}
    Value(std::int64_t number) : v_(number) {}
    Value(int number) : v_(static_cast<std::int64_t>(number)) {}
    Value(double number) : v_(number) {}
    Value(Bytes bytes) : v_(std::move(bytes)) {}

    bool IsNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    bool IsInteger() const { return std::holds_alternative<std::int64_t>(v_); }
    bool IsDouble() const { return std::holds_alternative<double>(v_); }
    bool IsBytes() const { return std::holds_alternative<Bytes>(v_); }

    // The text form; raises 94 "Invalid use of Null" for Null. A double gives the
    // shortest text that reads back as the same value; bytes give themselves.
    std::string Text() const;
    // The value as a 32-bit integer (rounded half to even, as the classic conversion
    // does); raises 94 for Null, 13 for text that is not a number, 6 on overflow.
    std::int32_t ToLong() const;
    // Equal to the empty text (a Null is not).
    bool IsEmptyText() const;

    const std::string& AsText() const { return std::get<std::string>(v_); }
    std::int64_t AsInteger() const { return std::get<std::int64_t>(v_); }
    double AsDouble() const { return std::get<double>(v_); }
    const Bytes& AsBytes() const { return std::get<Bytes>(v_); }

    bool operator==(const Value&) const = default;

private:
    std::variant<std::monostate, std::string, std::int64_t, double, Bytes> v_;
};

}  // namespace ado
