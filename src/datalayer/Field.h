#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "datalayer/AdoConstants.h"
#include "datalayer/Value.h"

namespace ado {

class Recordset;

// One column of a recordset: its description and, through its recordset, the value
// in the current record (or in the record being added or edited).
class Field {
public:
    const std::string& Name() const { return name_; }
    // ADO's type number (DataType): VARCHAR 202, TEXT 203, CHAR 130, DATE 133,
    // DATETIME/TIMESTAMP 135, INT 3, BIGINT 20, DECIMAL 131, FLOAT 4, DOUBLE 5, BLOB 205,
    // ...; for an in-memory recordset, the type it was appended with.
    int Type() const { return type_; }
    // The column size (characters for text), at most 2147483647.
    std::int32_t DefinedSize() const { return definedSize_; }
    int Attributes() const { return attributes_; }

    // The value in the current record (or the record being added or edited), valid until
    // the recordset moves or changes it. Raises 3021 when there is no current record.
    const Value& GetValue() const;
    // The value in the current record of a forward-only recordset, moved out rather than
    // copied: such a recordset never comes back to a record, so a copy loop can hand its
    // values on without copying their text. The field reads Null until the recordset
    // moves. Any other recordset keeps its value and gives a copy.
    Value TakeValue();
    // Assigns the value in the record being added, or starts editing the current record;
    // Update writes it. Raises 3021 when there is no current record and 3251 when the
    // recordset is read-only. String fields of an in-memory recordset keep text.
    void SetValue(Value value);

private:
    friend class Recordset;
    friend class Fields;
    Field(Recordset* owner, int index, std::string name, int type, std::int32_t definedSize, int attributes)
        : owner_(owner),
          index_(index),
          name_(std::move(name)),
          type_(type),
          definedSize_(definedSize),
          attributes_(attributes) {}

    Recordset* owner_;
    int index_;
    std::string name_;
    int type_;
    std::int32_t definedSize_;
    int attributes_;
};

// The fields of a recordset, by 0-based position or by name (names match without
// regard to ASCII case, as the server's column names do).
class Fields {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Raise 3265 when the position or name is not in the collection.
    Field& Item(int index);
    Field& Item(const std::string& name);
    const Field& Item(int index) const;
    const Field& Item(const std::string& name) const;
    Field& operator[](int index) { return Item(index); }
    Field& operator[](const std::string& name) { return Item(name); }
    // The position of a name, or -1.
    int IndexOf(const std::string& name) const;

    // Adds a field to a closed recordset built in memory. A name already present raises 3367.
    void Append(const std::string& name, int type, std::int32_t definedSize = 0, int attributes = adFldUnspecified);

private:
    friend class Recordset;
    explicit Fields(Recordset* owner) : owner_(owner) {}
    // Describes a column of a recordset opened over a connection.
    void Add(std::string name, int type, std::int32_t definedSize, int attributes);
    void Clear() {
        items_.clear();
        exact_.clear();
    }

    Recordset* owner_;
    std::vector<Field> items_;
    // Positions by the names exactly as spelled: lookups by name happen for every column
    // of every copied row, and nearly always use the column's own spelling.
    std::unordered_map<std::string, int> exact_;
};

}  // namespace ado
