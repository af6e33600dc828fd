#include "store/dbf/Sql.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <functional>
#include <map>
#include <unordered_set>

#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/TableData.h"

namespace lorvika::dbf {

namespace {

std::string quoted(std::string_view statement) {
    std::string s(statement);
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return "\"" + s + "\"";
}

[[noreturn]] void fail(std::string_view statement, const std::string& reason) {
    throw EngineError("Příkaz SQL nelze provést (" + reason + "): " + quoted(statement));
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string upperAscii(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string baseName(std::string_view file) {
    const auto dot = file.rfind('.');
    return std::string(dot == std::string_view::npos ? file : file.substr(0, dot));
}

enum class Tok { Ident, String, Number, Symbol, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    auto identChar = [](unsigned char c) { return std::isalnum(c) || c == '_'; };
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '\'' || c == '"') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= s.size()) fail(s, "neukončený řetězec");
                if (s[i] == static_cast<char>(c)) {
                    if (i + 1 < s.size() && s[i + 1] == static_cast<char>(c)) {
                        text += s[i];
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            out.push_back({Tok::String, std::move(text)});
        } else if (std::isdigit(c)) {
            std::size_t j = i;
            while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
            out.push_back({Tok::Number, std::string(s.substr(i, j - i))});
            i = j;
        } else if (identChar(c)) {
            std::size_t j = i;
            while (j < s.size() && identChar(static_cast<unsigned char>(s[j]))) ++j;
            out.push_back({Tok::Ident, std::string(s.substr(i, j - i))});
            i = j;
        } else if (std::string_view(".*()=>,;").find(static_cast<char>(c)) !=
                   std::string_view::npos) {
            out.push_back({Tok::Symbol, std::string(1, static_cast<char>(c))});
            ++i;
        } else {
            fail(s, std::string("neočekávaný znak '") + static_cast<char>(c) + "'");
        }
    }
    out.push_back({Tok::End, {}});
    return out;
}

class Parser {
  public:
    explicit Parser(std::string_view statement)
        : statement_(statement), tokens_(tokenize(statement)) {}

    sql::Statement statement() {
        if (acceptKeyword("select")) return select();
        if (acceptKeyword("alter")) return alter();
        fail(statement_, "podporován je jen SELECT a ALTER TABLE");
    }

  private:
    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
    }
    bool acceptKeyword(std::string_view word) {
        if (peek().kind == Tok::Ident && equalsNoCase(peek().text, word)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectKeyword(std::string_view word) {
        if (!acceptKeyword(word)) fail(statement_, "očekáváno " + upperAscii(word));
    }
    bool acceptSymbol(char c) {
        if (peek().kind == Tok::Symbol && peek().text[0] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectSymbol(char c) {
        if (!acceptSymbol(c)) fail(statement_, std::string("očekáváno '") + c + "'");
    }
    std::string ident(const char* what) {
        if (peek().kind != Tok::Ident) fail(statement_, std::string("očekáváno ") + what);
        return tokens_[pos_++].text;
    }
    void end() {
        acceptSymbol(';');
        if (peek().kind != Tok::End) fail(statement_, "nadbytečný text za příkazem");
    }

    std::string tableName() {
        std::string name;
        if (peek().kind == Tok::String) {
            name = tokens_[pos_++].text;
        } else {
            name = ident("jméno tabulky");
            if (acceptSymbol('.')) {
                // Appended piece by piece: GCC 12 at -O3 warns falsely on "." + std::string.
                name += '.';
                name += ident("příponu tabulky");
            }
        }
        if (name.empty()) fail(statement_, "prázdné jméno tabulky");
        if (name.find('.') == std::string::npos) name += ".dbf";
        return name;
    }

    sql::ColumnRef columnRef() {
        sql::ColumnRef ref;
        ref.column = ident("jméno sloupce");
        if (acceptSymbol('.')) {
            ref.table = std::move(ref.column);
            ref.column = ident("jméno sloupce");
        }
        return ref;
    }

    std::string literal() {
        if (peek().kind == Tok::String || peek().kind == Tok::Number) return tokens_[pos_++].text;
        fail(statement_, "očekávána hodnota");
    }

    sql::Select select() {
        sql::Select s;
        s.distinct = acceptKeyword("distinct");
        if (acceptSymbol('*')) {
            s.allColumns = true;
        } else {
            const std::string first = ident("seznam sloupců");
            if (acceptSymbol('.')) {
                if (acceptSymbol('*')) {
                    s.allColumns = true;
                    s.column.table = first;
                } else {
                    s.column = {first, ident("jméno sloupce")};
                }
            } else {
                s.column.column = first;
            }
        }
        if (s.allColumns == s.distinct)
            fail(statement_, "podporován je jen SELECT DISTINCT sloupce nebo všech sloupců");
        expectKeyword("from");
        s.table = tableName();
        if (acceptKeyword("where")) {
            sql::Condition c;
            c.column = columnRef();
            if (acceptSymbol('=')) {
                c.op = sql::Compare::Equal;
                c.value = literal();
            } else if (acceptSymbol('>')) {
                c.op = sql::Compare::Greater;
                c.value = literal();
            } else if (acceptKeyword("between")) {
                c.op = sql::Compare::Between;
                c.value = literal();
                expectKeyword("and");
                c.upper = literal();
            } else {
                fail(statement_, "podporováno je jen =, > a BETWEEN");
            }
            s.where = std::move(c);
        }
        end();
        return s;
    }

    sql::AlterAdd alter() {
        expectKeyword("table");
        sql::AlterAdd a;
        a.table = tableName();
        expectKeyword("add");
        a.field.name = upperAscii(ident("jméno sloupce"));
        if (a.field.name.size() > 10) fail(statement_, "jméno sloupce je delší než 10 znaků");
        if (acceptKeyword("float")) {
            a.field = FieldDef::number(a.field.name);
        } else if (acceptKeyword("character")) {
            expectSymbol('(');
            if (peek().kind != Tok::Number) fail(statement_, "očekávána šířka sloupce");
            const std::string& digits = tokens_[pos_++].text;
            int width = 0;
            const auto [ptr, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), width);
            if (ec != std::errc() || ptr != digits.data() + digits.size() || width < 1 ||
                width > 254)
                fail(statement_, "šířka sloupce musí být 1 až 254");
            expectSymbol(')');
            a.field = FieldDef::text(a.field.name, width);
        } else {
            fail(statement_, "podporován je typ Float a Character(n)");
        }
        end();
        return a;
    }

    std::string_view statement_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

// Tests a record image of the statement's table.
using Predicate = std::function<bool(const char*)>;

double parseNumber(std::string_view statement, const std::string& text) {
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || ptr != text.data() + text.size())
        fail(statement, "'" + text + "' není číslo");
    return v;
}

Date parseDateOrFail(std::string_view statement, const std::string& text) {
    const auto d = sql::parseDate(text);
    if (!d) fail(statement, "'" + text + "' není datum dd.mm.rrrr");
    return *d;
}

template <typename T>
bool matches(sql::Compare op, const T& v, const T& low, const T& high) {
    switch (op) {
        case sql::Compare::Equal:
            return v == low;
        case sql::Compare::Greater:
            return v > low;
        case sql::Compare::Between:
            return v >= low && v <= high;
    }
    return false;
}

// Compares by column type: Czech order for text (trailing blanks ignored), numerically, by date.
// Empty numbers and dates never match.
Predicate compile(std::string_view statement, const sql::Condition& c, const TableData& t,
                  int column) {
    const FieldDef& field = t.fields()[static_cast<std::size_t>(column)];
    switch (field.type) {
        case FieldType::Character: {
            const std::string low = trimRight(c.value);
            const std::string high = trimRight(c.upper);
            switch (c.op) {
                case sql::Compare::Equal:
                    return [&t, column, low](const char* r) { return t.text(r, column) == low; };
                case sql::Compare::Greater:
                    return [&t, column, low](const char* r) {
                        return cp::czechCompare(t.text(r, column), low) > 0;
                    };
                case sql::Compare::Between:
                    return [&t, column, low, high](const char* r) {
                        const std::string v = t.text(r, column);
                        return cp::czechCompare(v, low) >= 0 && cp::czechCompare(v, high) <= 0;
                    };
            }
            break;
        }
        case FieldType::Numeric:
        case FieldType::Float: {
            const double low = parseNumber(statement, c.value);
            const double high = c.op == sql::Compare::Between ? parseNumber(statement, c.upper) : 0;
            const auto op = c.op;
            return [&t, column, op, low, high](const char* r) {
                return !t.blank(r, column) && matches(op, t.number(r, column), low, high);
            };
        }
        case FieldType::Date: {
            const Date low = parseDateOrFail(statement, c.value);
            const Date high =
                c.op == sql::Compare::Between ? parseDateOrFail(statement, c.upper) : Date{};
            const auto op = c.op;
            return [&t, column, op, low, high](const char* r) {
                const Date v = t.date(r, column);
                return !v.isNull() && matches(op, v, low, high);
            };
        }
        case FieldType::Logical:
            break;
    }
    fail(statement, "sloupec " + field.name + " nelze porovnávat");
}

int columnOf(std::string_view statement, const TableData& table, const std::string& file,
             const sql::ColumnRef& ref) {
    if (!ref.table.empty() && !equalsNoCase(ref.table, baseName(file)))
        fail(statement, "tabulka " + ref.table + " není v části FROM");
    const int i = table.fieldIndex(ref.column);
    if (i < 0) fail(statement, "sloupec " + ref.column + " v tabulce " + file + " není");
    return i;
}

// --- select distinct on a text column ---------------------------------------------------------
// Values are the field's bytes in the table's code page without trailing blanks; they point into
// the table's records, which nothing changes while the statement runs.

std::string_view rawText(const TableData& t, std::uint32_t rec, int column) {
    std::string_view raw(
        t.record(rec) + t.fieldOffset(column),
        static_cast<std::size_t>(t.fields()[static_cast<std::size_t>(column)].width));
    while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
    return raw;
}

// A tag whose key is exactly the column (either direction).
const Tag* tagOnColumn(const TableData& t, int column) {
    for (const auto& tag : t.tags())
        if (tag->alive && tag->kind == Tag::Kind::Text && !tag->def.isExpression() &&
            tag->columns.size() == 1 && tag->columns[0] == column)
            return tag.get();
    return nullptr;
}

// One record per run of equal keys, in ascending Czech order.
std::vector<std::string_view> walkTag(const TableData& t, const Tag& tag, int column,
                                      bool skipEmpty) {
    const OrderedIndex& index = tag.index;
    const std::string emptyKey = cp::czechSortKeyCp852({});
    std::vector<std::string_view> values;
    for (auto p = index.begin(); !index.atEnd(p);) {
        const IndexEntry& e = index.at(p);
        if (!t.exists(e.record)) {
            p = index.next(p);  // another record of the run may still be live
            continue;
        }
        if (!skipEmpty || e.key != emptyKey) values.push_back(rawText(t, e.record, column));
        p = index.skipKey(p);
    }
    if (index.descending()) std::reverse(values.begin(), values.end());
    return values;
}

// Collects distinct bytes first, so only the few distinct values get a sort key.
std::vector<std::string_view> scanDistinct(const TableData& t, int column, const Predicate* accept,
                                           bool skipEmpty) {
    std::unordered_set<std::string_view> seen;
    for (std::uint32_t rec = 1; rec <= t.count(); ++rec) {
        if (t.deleted(rec) || (accept && !(*accept)(t.record(rec)))) continue;
        const std::string_view v = rawText(t, rec, column);
        if (!skipEmpty || !v.empty()) seen.insert(v);
    }
    std::vector<std::pair<std::string, std::string_view>> keyed;
    keyed.reserve(seen.size());
    for (const std::string_view v : seen)
        keyed.emplace_back(cp::czechSortKeyCp852(t.cp852() ? v : cp::cp1250ToCp852(v)), v);
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string_view> values;
    values.reserve(keyed.size());
    for (const auto& [key, v] : keyed) values.push_back(v);
    return values;
}

// A memory table of the values in the source's code page, so the bytes are copied as they are.
std::unique_ptr<Cursor> textResult(const TableData& source, const FieldDef& field,
                                   const std::vector<std::string_view>& values) {
    auto result = TableData::createMemory({field}, source.language());
    std::vector<char> image = result->blankRecord();
    char* const value = image.data() + result->fieldOffset(0);
    for (const std::string_view v : values) {
        std::memset(value, ' ', static_cast<std::size_t>(field.width));
        std::memcpy(value, v.data(), v.size());
        result->append(image.data());
    }
    return std::make_unique<Cursor>(std::move(result), true);
}

std::unique_ptr<Cursor> runSelect(Engine& engine, const std::string& directory,
                                  std::string_view statement, const sql::Select& s) {
    auto table = engine.open(directory, s.table);
    const TableData& t = table->data();
    if (s.allColumns && !s.column.table.empty() && !equalsNoCase(s.column.table, baseName(s.table)))
        fail(statement, "tabulka " + s.column.table + " není v části FROM");
    Predicate accept = [](const char*) { return true; };
    const int whereColumn = s.where ? columnOf(statement, t, s.table, s.where->column) : -1;
    if (s.where) accept = compile(statement, *s.where, t, whereColumn);

    if (s.allColumns) {
        // The result has the table's layout and code page, so records are copied as they are.
        auto result = TableData::createMemory(t.fields(), t.language());
        for (std::uint32_t rec = 1; rec <= t.count(); ++rec) {
            const char* r = t.record(rec);
            if (TableData::liveFlag(*r) && accept(r)) result->append(r);
        }
        auto view = std::make_unique<Cursor>(std::move(result), true);
        view->first();
        return view;
    }

    const int column = columnOf(statement, t, s.table, s.column);
    const FieldDef field = t.fields()[static_cast<std::size_t>(column)];
    if (field.type == FieldType::Character) {
        // "where X > ''" on the selected column only drops the empty value.
        const bool onlyNonEmpty = s.where && s.where->op == sql::Compare::Greater &&
                                  trimRight(s.where->value).empty() && whereColumn == column;
        std::vector<std::string_view> values;
        if (!s.where || onlyNonEmpty) {
            if (const Tag* tag = tagOnColumn(t, column))
                values = walkTag(t, *tag, column, onlyNonEmpty);
            else
                values = scanDistinct(t, column, nullptr, onlyNonEmpty);
        } else {
            values = scanDistinct(t, column, &accept, false);
        }
        return textResult(t, field, values);
    }

    auto result = engine.createTemporary({field});
    // Distinct values in the order of the column's type.
    std::map<double, double> numbers;
    std::map<Date, Date> dates;
    bool hasNull = false;
    for (std::uint32_t rec = 1; rec <= t.count(); ++rec) {
        const char* r = t.record(rec);
        if (!TableData::liveFlag(*r) || !accept(r)) continue;
        if (field.type == FieldType::Date) {
            const Date d = t.date(r, column);
            if (d.isNull()) {
                hasNull = true;
            } else {
                dates.emplace(d, d);
            }
        } else if (t.blank(r, column)) {
            hasNull = true;
        } else {
            const double v = t.number(r, column);
            numbers.emplace(v, v);
        }
    }
    if (hasNull) {
        result->append();
        result->post();
    }
    for (const auto& [key, v] : numbers) {
        result->append();
        result->setNumber(field.name, v);
        result->post();
    }
    for (const auto& [key, v] : dates) {
        result->append();
        result->setDate(field.name, v);
        result->post();
    }
    auto view = result->readOnlyView();
    view->first();
    return view;
}

void runAlter(Engine& engine, const std::string& directory, std::string_view statement,
              const sql::AlterAdd& a) {
    if (!engine.tableExists(directory, a.table))
        fail(statement, "tabulka " + a.table + " neexistuje");
    {
        auto table = engine.open(directory, a.table);
        if (table->hasField(a.field.name))
            fail(statement, "sloupec " + a.field.name + " v tabulce " + a.table + " už je");
    }
    engine.addColumn(directory, a.table, a.field);
}

}  // namespace

namespace sql {

Statement parse(std::string_view statement) {
    return Parser(statement).statement();
}

std::optional<Date> parseDate(std::string_view text) {
    int parts[3] = {0, 0, 0};
    std::size_t part = 0;
    std::size_t digits = 0;
    for (char c : text) {
        if (c == '.') {
            if (digits == 0 || ++part > 2) return std::nullopt;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            if (++digits > (part == 2 ? 4u : 2u)) return std::nullopt;
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return std::nullopt;
        }
    }
    if (part != 2 || digits != 4) return std::nullopt;
    const int day = parts[0], month = parts[1], year = parts[2];
    if (year < 1 || month < 1 || month > 12 || day < 1) return std::nullopt;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > last) return std::nullopt;
    return Date{year, month, day};
}

}  // namespace sql

std::unique_ptr<Cursor> Engine::sql(const std::string& directory, const std::string& statement) {
    const sql::Statement parsed = sql::parse(statement);
    try {
        if (const auto* s = std::get_if<sql::Select>(&parsed))
            return runSelect(*this, directory, statement, *s);
        runAlter(*this, directory, statement, std::get<sql::AlterAdd>(parsed));
        return nullptr;
    } catch (const EngineError& e) {
        const std::string what = e.what();
        // Errors of the statement itself already quote it.
        if (what.find(quoted(statement)) != std::string::npos) throw;
        throw EngineError(what + " (příkaz SQL: " + quoted(statement) + ")");
    }
}

}  // namespace lorvika::dbf
