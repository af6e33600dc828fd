#include "app/PohledTabulky.h"

namespace lorvika {

void PohledTabulky::nastavTag(const std::string& tag) {
    tag_ = tag;
    tagZnam_ = true;
    rozsah_.reset();
    if (kurzor_) kurzor_->setTag(tag_);
}

void PohledTabulky::nastavRozsah(const dbf::Key& od, const dbf::Key& po) {
    if (kurzor_) kurzor_->setRange(od, po);  // an engine error leaves the view unchanged
    rozsah_.emplace(od, po);
}

void PohledTabulky::zrusRozsah() {
    rozsah_.reset();
    if (kurzor_ && kurzor_->hasRange()) kurzor_->cancelRange();
}

void PohledTabulky::nastavFiltr(Filtr filtr) {
    filtr_ = std::move(filtr);
    if (kurzor_) kurzor_->setFilter(filtr_);
}

void PohledTabulky::zapniFiltr(bool on) {
    if (on && !filtr_) return;
    filtrovano_ = on;
    if (kurzor_) kurzor_->setFiltered(on);
}

void PohledTabulky::zapamatuj() {
    if (!kurzor_) return;
    const dbf::Cursor& c = *kurzor_;
    if (!tagZnam_ || c.tag() != tag_) {
        // set on the cursor directly (a column title click, a search): that is what is shown
        if (c.tag() != tag_) rozsah_.reset();
        tag_ = c.tag();
        tagZnam_ = true;
    }
    if (!c.hasRange()) rozsah_.reset();
    filtrovano_ = filtr_ && c.filtered();
    if (!c.isEmpty() && c.recordNumber() != 0)
        pozice_ = c.bookmark();
    else
        pozice_.reset();
}

void PohledTabulky::obnov(const std::function<bool(dbf::Cursor&)>& najdi) {
    if (!kurzor_) return;
    dbf::Cursor& c = *kurzor_;
    if (tagZnam_ && (tag_.empty() || c.hasTag(tag_))) c.setTag(tag_);
    if (filtr_) {
        c.setFilter(filtr_);
        c.setFiltered(filtrovano_);
    }
    c.first();
    bool nalezeno = false;
    if (najdi)
        nalezeno = najdi(c);
    else if (pozice_ && c.bookmarkValid(*pozice_)) {
        c.gotoBookmark(*pozice_);
        nalezeno = true;
    }
    const std::optional<dbf::Bookmark> cil =
        nalezeno && c.recordNumber() != 0 ? std::optional(c.bookmark()) : std::nullopt;
    if (rozsah_ && !c.tag().empty()) {
        c.setRange(rozsah_->first, rozsah_->second);
        // Only a record inside the range may become current.
        if (cil)
            for (; !c.eof(); c.next())
                if (c.recordNumber() == cil->record) return;
        c.first();
        return;
    }
    if (cil && filtrovano_ && !filtr_(c)) c.first();
}

void ObnovKurzor(dbf::Cursor& c) {
    if (c.isEmpty() || c.recordNumber() == 0) {
        c.first();
        return;
    }
    const dbf::Bookmark b = c.bookmark();
    if (c.bookmarkValid(b))
        c.gotoBookmark(b);
    else
        c.first();
}

}  // namespace lorvika
