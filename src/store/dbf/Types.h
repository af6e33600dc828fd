#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <variant>

namespace lorvika::dbf {

enum class FieldType : char {
    Character = 'C',
    Numeric = 'N',
    Float = 'F',
    Date = 'D',
    Logical = 'L',
};

struct FieldDef {
    std::string name;  // upper case, at most 10 characters
    FieldType type = FieldType::Character;
    int width = 0;     // for Float columns created by the catalogue: 20
    int decimals = 0;  // for Float columns created by the catalogue: 4

    static FieldDef text(std::string name, int width) {
        return {std::move(name), FieldType::Character, width, 0};
    }
    static FieldDef number(std::string name) { return {std::move(name), FieldType::Float, 20, 4}; }
    static FieldDef date(std::string name) { return {std::move(name), FieldType::Date, 8, 0}; }
    bool operator==(const FieldDef&) const = default;
};

// A calendar date; year 0 is the empty date.
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    bool isNull() const { return year == 0; }
    auto operator<=>(const Date&) const = default;
};

struct TagDef {
    std::string name;        // compared case-insensitively
    std::string expression;  // a column name, or an expression such as "ARTIST+ALBUM"
    bool descending = false;
    // Kept in memory only: never written to the index file (a view's passing order).
    bool transient = false;
    bool operator==(const TagDef&) const = default;
    // A key containing "+" is an expression tag.
    bool isExpression() const { return expression.find('+') != std::string::npos; }
};

// A key for find and range on the current tag; converted to the tag's key type.
class Key {
  public:
    Key(const char* text) : value_(std::string(text)) {}
    Key(std::string text) : value_(std::move(text)) {}
    Key(std::string_view text) : value_(std::string(text)) {}
    Key(int number) : value_(static_cast<double>(number)) {}
    Key(std::int64_t number) : value_(static_cast<double>(number)) {}
    Key(double number) : value_(number) {}
    Key(Date date) : value_(date) {}
    const std::variant<std::string, double, Date>& value() const { return value_; }

  private:
    std::variant<std::string, double, Date> value_;
};

enum class OpenMode { Shared, Exclusive };

enum class CursorState { Browse, Edit, Insert };

}  // namespace lorvika::dbf
