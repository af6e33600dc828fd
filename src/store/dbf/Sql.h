#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "Types.h"

// The local SQL the program sends: distinct values of one column, all columns of a table under a
// simple condition, and adding a column. Engine::sql parses with this and executes.
namespace lorvika::dbf::sql {

struct ColumnRef {
    std::string table;  // qualifier as written ("cddata"); empty when unqualified
    std::string column;
};

enum class Compare { Equal, Greater, Between };

struct Condition {
    ColumnRef column;
    Compare op = Compare::Equal;
    std::string value;  // literal as written, without quotes
    std::string upper;  // Between only
};

struct Select {
    std::string table;  // file name; ".dbf" appended when written without extension
    bool distinct = false;
    bool allColumns = false;
    ColumnRef column;  // when !allColumns; for allColumns: table holds the qualifier, if any
    std::optional<Condition> where;
};

struct AlterAdd {
    std::string table;
    FieldDef field;
};

using Statement = std::variant<Select, AlterAdd>;

// EngineError quoting the statement for anything outside the understood shapes.
Statement parse(std::string_view statement);

// "dd.mm.yyyy" (one- or two-digit day and month); nullopt when not a valid calendar date.
std::optional<Date> parseDate(std::string_view text);

}  // namespace lorvika::dbf::sql
