#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Types.h"

namespace lorvika::dbf {

class TableData;  // the shared, in-process state of one table file (records, tags)

// A saved position. Copyable; freeing is destruction.
struct Bookmark {
    std::uint32_t record = 0;      // physical record number, 1-based; 0 = none
    std::uint64_t generation = 0;  // record numbering it belongs to (pack renumbers)
};

// A view on one table with its own position, tag, range, filter and bookmarks.
// Every cursor on the same file shares one TableData, so a post through one cursor is seen
// by all others at once. Deleted records are invisible to every operation.
class Cursor {
  public:
    explicit Cursor(std::shared_ptr<TableData> table, bool readOnly = false);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // Table file name as opened (for messages), and its directory.
    const std::string& fileName() const;
    const std::string& directory() const;
    const std::vector<FieldDef>& fields() const;
    int fieldIndex(std::string_view name) const;  // case-insensitive; -1 when absent
    bool hasField(std::string_view name) const { return fieldIndex(name) >= 0; }
    bool readOnly() const { return readOnly_; }

    // Moving within the active tag, range and filter.
    void first();
    void last();
    void next();
    void prior();
    bool eof() const;  // past the last record (or empty)
    bool bof() const;  // before the first record (or empty)
    bool isEmpty() const;
    std::size_t recordCount() const;     // within range and filter
    std::uint32_t recordNumber() const;  // physical, 1-based; 0 when no current record

    Bookmark bookmark() const;
    void gotoBookmark(const Bookmark& mark);  // EngineError when the record is gone
    bool bookmarkValid(const Bookmark& mark) const;

    // Tags. An empty name selects physical order. Unknown name: EngineError.
    void setTag(std::string_view name);
    const std::string& tag() const;  // as the tag is defined; empty for physical order
    std::vector<TagDef> tags() const;
    bool hasTag(std::string_view name) const;
    // Tag changes need no other process on the table, but may be done while other cursors in
    // this process are open; those keep working and see the new tag.
    void addTag(const TagDef& def);  // a tag of that name is replaced
    void deleteTag(std::string_view name);

    // Exact find on the current tag; moves only when found.
    bool findKey(const Key& key);
    // Range [low, high] on the current tag; the cursor goes to the first record of the range.
    void setRange(const Key& low, const Key& high);
    // The current record stays current.
    void cancelRange();
    bool hasRange() const;

    // Filter: records for which the callback returns false are skipped while filtering is on.
    void setFilter(std::function<bool(const Cursor&)> accept);
    void setFiltered(bool on);
    bool filtered() const;

    // Writing. Edit/append put the cursor into a buffer; post writes it to the file at once.
    void edit();
    void append();
    void post();
    void cancel();
    void remove();  // marks the current record deleted and moves to the next one
    CursorState state() const;

    // Field access by name (or index). Text is UTF-8; a text longer than the column is cut.
    // Number columns read as their shortest decimal text ("12", "3.5"), date columns as
    // "d.m.yyyy"; setText on them takes the same forms (and "yyyymmdd" for dates).
    // Moving while a record is being edited posts it first.
    std::string text(std::string_view field) const;
    std::string text(int field) const;
    // A text column's stored bytes in the table's code page (see language()), without trailing
    // blanks; valid until the cursor moves or the record changes. For filters over many records
    // (TextMatch): nothing is decoded or allocated.
    std::string_view rawText(int field) const;
    std::uint8_t language() const;
    std::int64_t integer(std::string_view field) const;  // empty number = 0
    std::int64_t integer(int field) const;
    double number(std::string_view field) const;
    Date date(std::string_view field) const;
    bool isNull(std::string_view field) const;
    void setText(std::string_view field, std::string_view value);
    void setText(int field, std::string_view value);
    void setInteger(std::string_view field, std::int64_t value);
    void setInteger(int field, std::int64_t value);
    void setNumber(std::string_view field, double value);
    void setDate(std::string_view field, Date value);
    void clear(std::string_view field);

    TableData& data() const { return *table_; }
    const std::shared_ptr<TableData>& table() const { return table_; }
    // The edit buffer handed over to be written elsewhere (a transaction): rec is the record
    // being edited, 0 for an appended one. The cursor leaves the edit state, the table unchanged.
    struct Pending {
        std::uint32_t rec = 0;
        std::vector<char> image;
    };
    Pending takeEdit();
    // Another cursor on the same table data that refuses every write (query results).
    std::unique_ptr<Cursor> readOnlyView() const;

    struct State;  // position, tag, range, filter and edit buffer; defined with the cursor

  private:
    std::shared_ptr<TableData> table_;
    bool readOnly_;
    std::unique_ptr<State> s_;
};

}  // namespace lorvika::dbf
