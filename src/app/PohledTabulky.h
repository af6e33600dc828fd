#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "store/dbf/Cursor.h"

namespace lorvika {

// What a form shows of one table: sort tag, range, filter and position. It outlives the
// cursor, so closing and reopening the table (activation, backup, restore, a new sort tag)
// gives back the same view. Bound to the form's cursor member: while the cursor is open,
// every change applies to it at once.
class PohledTabulky {
  public:
    using Filtr = std::function<bool(const dbf::Cursor&)>;

    explicit PohledTabulky(const std::unique_ptr<dbf::Cursor>& kurzor) : kurzor_(kurzor) {}
    PohledTabulky(const PohledTabulky&) = delete;
    PohledTabulky& operator=(const PohledTabulky&) = delete;

    // Empty: physical order. Setting a tag drops the range, as the cursor does.
    void nastavTag(const std::string& tag);
    const std::string& tag() const { return tag_; }

    // Range [od, do] on the current tag; the cursor goes to the first record of the range.
    void nastavRozsah(const dbf::Key& od, const dbf::Key& po);
    void zrusRozsah();
    bool maRozsah() const { return rozsah_.has_value(); }

    void nastavFiltr(Filtr filtr);
    bool maFiltr() const { return static_cast<bool>(filtr_); }
    void zapniFiltr(bool on);
    bool filtrovano() const { return filtrovano_; }

    // Before the cursor goes: takes over what was set on it directly (tag, filter switch,
    // a cancelled range) and its current record.
    void zapamatuj();
    // After the cursor opened: tag, filter, range and the remembered record, when it is still
    // there and inside the range and filter; otherwise the first record. najdi, when given,
    // finds the record instead of the remembered one (albums go by their number, which stays
    // right after a restore replaced the table); it returns whether it found it.
    void obnov(const std::function<bool(dbf::Cursor&)>& najdi = {});
    // The remembered record is forgotten (the next opening starts at the first record).
    void zapomenPozici() { pozice_.reset(); }

  private:
    const std::unique_ptr<dbf::Cursor>& kurzor_;
    std::string tag_;
    bool tagZnam_ = false;  // until something is set, an opened cursor keeps its own tag
    std::optional<std::pair<dbf::Key, dbf::Key>> rozsah_;
    Filtr filtr_;
    bool filtrovano_ = false;
    std::optional<dbf::Bookmark> pozice_;
};

// Refreshes a cursor without moving it: the current record is read again; when it is gone, the
// cursor goes to the first record.
void ObnovKurzor(dbf::Cursor& kurzor);

}  // namespace lorvika
