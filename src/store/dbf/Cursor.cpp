#include "Cursor.h"

#include <cmath>
#include <cstring>

#include "EngineError.h"
#include "TableData.h"

namespace lorvika::dbf {

struct Cursor::State {
    std::shared_ptr<Tag> tag;  // null: physical order
    std::string tagName;
    std::uint64_t generation = 0;

    std::uint32_t rec = 0;  // 0: no current record
    bool bof = true;
    bool eof = true;
    std::string key;  // key of rec on tag
    OrderedIndex::Pos pos;
    std::uint64_t posVersion = 0;  // pos is exact while the index has this version

    bool ranged = false;
    std::string lo, hi;  // in index order: lo comes first

    std::function<bool(const Cursor&)> filter;
    bool filtered = false;

    CursorState mode = CursorState::Browse;
    std::vector<char> buffer;
    std::uint32_t editRec = 0;

    struct Saved {
        std::uint32_t rec;
        bool bof, eof;
        std::string key;
        OrderedIndex::Pos pos;
        std::uint64_t posVersion;
    };
    Saved save() const { return {rec, bof, eof, key, pos, posVersion}; }
    void restore(Saved&& s) {
        rec = s.rec;
        bof = s.bof;
        eof = s.eof;
        key = std::move(s.key);
        pos = s.pos;
        posVersion = s.posVersion;
    }
};

namespace {
const std::string kNoTag;
}

Cursor::Cursor(std::shared_ptr<TableData> table, bool readOnly)
    : table_(std::move(table)), readOnly_(readOnly), s_(std::make_unique<State>()) {
    table_->attach();
    s_->generation = table_->generation();
    first();
}

Cursor::~Cursor() {
    if (s_->mode != CursorState::Browse) table_->endEdit();
    table_->detach();
}

const std::string& Cursor::fileName() const {
    return table_->fileName();
}
const std::string& Cursor::directory() const {
    return table_->directory();
}
const std::vector<FieldDef>& Cursor::fields() const {
    return table_->fields();
}
int Cursor::fieldIndex(std::string_view name) const {
    return table_->fieldIndex(name);
}

// --- positioning helpers ---------------------------------------------------------------------

namespace {

struct Mover {
    const Cursor& c;
    TableData& t;
    Cursor::State& s;  // NOLINT

    bool accepts(std::uint32_t r) const {
        if (!s.filtered || !s.filter) return true;
        const std::uint32_t saved = s.rec;
        s.rec = r;
        bool ok = false;
        try {
            ok = s.filter(c);
        } catch (...) {
            s.rec = saved;
            throw;
        }
        s.rec = saved;
        return ok;
    }
    bool belowHigh(std::string_view key) const {
        return !s.ranged || s.tag->index.compareKeys(key, s.hi) <= 0;
    }
    bool aboveLow(std::string_view key) const {
        return !s.ranged || s.tag->index.compareKeys(key, s.lo) >= 0;
    }
    void setCurrent(const IndexEntry& e, OrderedIndex::Pos p) {
        s.rec = e.record;
        s.key.assign(e.key);
        s.pos = p;
        s.posVersion = s.tag->index.version();
    }
    void setPhysical(std::uint32_t r) {
        s.rec = r;
        if (s.tag) {
            s.key = t.keyOf(*s.tag, t.record(r));
            s.posVersion = 0;
        }
    }
    // Position of the current entry, or of the first entry after it when it left the index.
    std::pair<OrderedIndex::Pos, bool> locate() const {
        const OrderedIndex& idx = s.tag->index;
        if (s.posVersion == idx.version()) return {s.pos, true};
        const auto p = idx.lowerBound(s.key, s.rec);
        const bool exact = !idx.atEnd(p) && idx.at(p).record == s.rec && idx.at(p).key == s.key;
        return {p, exact};
    }
    bool forwardFrom(OrderedIndex::Pos p) {
        const OrderedIndex& idx = s.tag->index;
        for (; !idx.atEnd(p); p = idx.next(p)) {
            const IndexEntry& e = idx.at(p);
            if (!belowHigh(e.key)) return false;
            if (accepts(e.record)) {
                setCurrent(e, p);
                return true;
            }
        }
        return false;
    }
    bool backwardFrom(OrderedIndex::Pos p) {
        const OrderedIndex& idx = s.tag->index;
        for (;;) {
            const IndexEntry& e = idx.at(p);
            if (!aboveLow(e.key)) return false;
            if (accepts(e.record)) {
                setCurrent(e, p);
                return true;
            }
            if (!idx.prior(p)) return false;
        }
    }
    bool physicalForward(std::uint32_t from) {
        for (std::uint32_t r = from; r <= t.count(); ++r)
            if (!t.deleted(r) && accepts(r)) {
                s.rec = r;
                return true;
            }
        return false;
    }
    bool physicalBackward(std::uint32_t from) {
        for (std::uint32_t r = std::min(from, t.count()); r >= 1; --r)
            if (!t.deleted(r) && accepts(r)) {
                s.rec = r;
                return true;
            }
        return false;
    }
    bool toFirst() {
        if (!s.tag) return physicalForward(1);
        const OrderedIndex& idx = s.tag->index;
        return forwardFrom(s.ranged ? idx.lowerBound(s.lo, 0) : idx.begin());
    }
    bool toLast() {
        if (!s.tag) return physicalBackward(t.count());
        const OrderedIndex& idx = s.tag->index;
        auto p = s.ranged ? idx.upperBound(s.hi) : idx.end();
        return idx.prior(p) && backwardFrom(p);
    }
    bool toNext() {
        if (!s.tag) return physicalForward(s.rec + 1);
        auto [p, exact] = locate();
        if (exact) p = s.tag->index.next(p);
        return forwardFrom(p);
    }
    bool toPrior() {
        if (!s.tag) return s.rec > 1 && physicalBackward(s.rec - 1);
        auto [p, exact] = locate();
        return s.tag->index.prior(p) && backwardFrom(p);
    }
};

}  // namespace

namespace {
// Catches up with changes other cursors made to the table: renumbered records (pack) put the
// cursor back on the first record; a deleted or replaced tag is looked up again by name.
void syncState(const Cursor& c, TableData& t, Cursor::State& s) {
    if (s.tag && !s.tag->alive) {
        s.tag = t.findTag(s.tagName);
        s.posVersion = 0;
        if (!s.tag) {
            s.tagName.clear();
            s.ranged = false;
        } else if (s.rec && s.generation == t.generation()) {
            s.key = t.keyOf(*s.tag, t.record(s.rec));
        }
    }
    if (s.generation != t.generation()) {
        s.generation = t.generation();
        s.posVersion = 0;
        Mover m{c, t, s};
        if (m.toFirst()) {
            s.bof = true;
            s.eof = false;
        } else {
            s.rec = 0;
            s.bof = s.eof = true;
        }
    }
}
}  // namespace

void Cursor::first() {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    Mover m{*this, *table_, *s_};
    if (m.toFirst()) {
        s_->bof = true;
        s_->eof = false;
    } else {
        s_->rec = 0;
        s_->bof = s_->eof = true;
    }
}

void Cursor::last() {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    Mover m{*this, *table_, *s_};
    if (m.toLast()) {
        s_->bof = false;
        s_->eof = true;
    } else {
        s_->rec = 0;
        s_->bof = s_->eof = true;
    }
}

void Cursor::next() {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    if (s_->rec == 0) {
        s_->eof = true;
        return;
    }
    Mover m{*this, *table_, *s_};
    if (m.toNext()) {
        s_->bof = s_->eof = false;
    } else {
        s_->eof = true;
    }
}

void Cursor::prior() {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    if (s_->rec == 0) {
        s_->bof = true;
        return;
    }
    Mover m{*this, *table_, *s_};
    if (m.toPrior()) {
        s_->bof = s_->eof = false;
    } else {
        s_->bof = true;
    }
}

bool Cursor::eof() const {
    syncState(*this, *table_, *s_);
    return s_->eof || s_->rec == 0;
}

bool Cursor::bof() const {
    syncState(*this, *table_, *s_);
    return s_->bof || s_->rec == 0;
}

bool Cursor::isEmpty() const {
    syncState(*this, *table_, *s_);
    if (!s_->filtered || !s_->filter) {
        if (!s_->ranged) return table_->liveCount() == 0;
        const OrderedIndex& idx = s_->tag->index;
        const auto p = idx.lowerBound(s_->lo, 0);
        return idx.atEnd(p) || idx.compareKeys(idx.at(p).key, s_->hi) > 0;
    }
    auto saved = s_->save();
    Mover m{*this, *table_, *s_};
    const bool any = m.toFirst();
    s_->restore(std::move(saved));
    return !any;
}

std::size_t Cursor::recordCount() const {
    syncState(*this, *table_, *s_);
    if (!s_->filtered || !s_->filter) {
        if (!s_->ranged) return table_->liveCount();
        const OrderedIndex& idx = s_->tag->index;
        const std::size_t a = idx.ordinal(idx.lowerBound(s_->lo, 0));
        const std::size_t b = idx.ordinal(idx.upperBound(s_->hi));
        return b > a ? b - a : 0;
    }
    auto saved = s_->save();
    Mover m{*this, *table_, *s_};
    std::size_t n = 0;
    try {
        for (bool ok = m.toFirst(); ok; ok = m.toNext()) ++n;
    } catch (...) {
        s_->restore(std::move(saved));
        throw;
    }
    s_->restore(std::move(saved));
    return n;
}

std::uint32_t Cursor::recordNumber() const {
    syncState(*this, *table_, *s_);
    if (s_->mode == CursorState::Insert) return 0;
    return s_->rec;
}

Bookmark Cursor::bookmark() const {
    syncState(*this, *table_, *s_);
    return {s_->rec, table_->generation()};
}

bool Cursor::bookmarkValid(const Bookmark& mark) const {
    return mark.record != 0 && mark.generation == table_->generation() &&
           table_->exists(mark.record);
}

void Cursor::gotoBookmark(const Bookmark& mark) {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    if (!bookmarkValid(mark)) table_->fail("záložka ukazuje na záznam, který už neexistuje.");
    Mover m{*this, *table_, *s_};
    m.setPhysical(mark.record);
    s_->bof = s_->eof = false;
}

// --- tags ------------------------------------------------------------------------------------

void Cursor::setTag(std::string_view name) {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    s_->ranged = false;
    s_->posVersion = 0;
    if (name.empty()) {
        s_->tag.reset();
        s_->tagName.clear();
        return;
    }
    auto tag = table_->findTag(name);
    if (!tag) table_->fail("index " + std::string(name) + " neexistuje.");
    s_->tag = std::move(tag);
    s_->tagName = s_->tag->def.name;
    if (s_->rec) s_->key = table_->keyOf(*s_->tag, table_->record(s_->rec));
}

const std::string& Cursor::tag() const {
    syncState(*this, *table_, *s_);
    return s_->tag ? s_->tag->def.name : kNoTag;
}

std::vector<TagDef> Cursor::tags() const {
    std::vector<TagDef> out;
    for (const auto& t : table_->tags()) out.push_back(t->def);
    return out;
}

bool Cursor::hasTag(std::string_view name) const {
    return table_->findTag(name) != nullptr;
}

void Cursor::addTag(const TagDef& def) {
    table_->addTag(def);
}

void Cursor::deleteTag(std::string_view name) {
    table_->deleteTag(name);
}

bool Cursor::findKey(const Key& key) {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    if (!s_->tag) table_->fail("hledání klíče potřebuje nastavený index.");
    const std::string k = table_->keyOf(*s_->tag, key);
    const OrderedIndex& idx = s_->tag->index;
    Mover m{*this, *table_, *s_};
    for (auto p = idx.lowerBound(k, 0); !idx.atEnd(p); p = idx.next(p)) {
        const IndexEntry& e = idx.at(p);
        if (e.key != k) break;
        if (!m.belowHigh(e.key) || !m.aboveLow(e.key)) break;
        if (m.accepts(e.record)) {
            m.setCurrent(e, p);
            s_->bof = s_->eof = false;
            return true;
        }
    }
    return false;
}

void Cursor::setRange(const Key& low, const Key& high) {
    if (s_->mode != CursorState::Browse) post();
    syncState(*this, *table_, *s_);
    if (!s_->tag) table_->fail("rozsah potřebuje nastavený index.");
    std::string lo = table_->keyOf(*s_->tag, low);
    std::string hi = table_->keyOf(*s_->tag, high);
    if (s_->tag->index.descending()) std::swap(lo, hi);
    s_->lo = std::move(lo);
    s_->hi = std::move(hi);
    s_->ranged = true;
    first();
}

void Cursor::cancelRange() {
    syncState(*this, *table_, *s_);
    s_->ranged = false;
    if (s_->rec) s_->bof = s_->eof = false;
}

bool Cursor::hasRange() const {
    syncState(*this, *table_, *s_);
    return s_->ranged;
}

void Cursor::setFilter(std::function<bool(const Cursor&)> accept) {
    s_->filter = std::move(accept);
}

void Cursor::setFiltered(bool on) {
    if (s_->filtered == on) return;
    s_->filtered = on;
    first();
}

bool Cursor::filtered() const {
    return s_->filtered;
}

// --- writing ---------------------------------------------------------------------------------

namespace {
void refuseReadOnly(const Cursor& c, const TableData& t) {
    if (c.readOnly()) t.fail("výsledek dotazu nelze měnit.");
}
}  // namespace

void Cursor::edit() {
    refuseReadOnly(*this, *table_);
    syncState(*this, *table_, *s_);
    if (s_->mode == CursorState::Edit && s_->editRec == s_->rec) return;
    if (s_->mode != CursorState::Browse)
        table_->fail("rozpracovaný záznam nejdřív uložte nebo zrušte.");
    if (s_->rec == 0 || !table_->exists(s_->rec)) table_->fail("žádný aktuální záznam k úpravě.");
    const char* r = table_->record(s_->rec);
    s_->buffer.assign(r, r + table_->recordLength());
    s_->editRec = s_->rec;
    s_->mode = CursorState::Edit;
    table_->beginEdit();
}

void Cursor::append() {
    refuseReadOnly(*this, *table_);
    if (s_->mode != CursorState::Browse) post();
    s_->buffer = table_->blankRecord();
    s_->editRec = 0;
    s_->mode = CursorState::Insert;
    table_->beginEdit();
}

void Cursor::post() {
    if (s_->mode == CursorState::Browse) table_->fail("záznam není v režimu úprav.");
    std::uint32_t rec = 0;
    if (s_->mode == CursorState::Insert) {
        rec = table_->append(s_->buffer.data());
    } else {
        if (!table_->exists(s_->editRec)) table_->fail("upravovaný záznam byl mezitím odstraněn.");
        table_->update(s_->editRec, s_->buffer.data());
        rec = s_->editRec;
    }
    s_->mode = CursorState::Browse;
    table_->endEdit();
    syncState(*this, *table_, *s_);
    Mover m{*this, *table_, *s_};
    m.setPhysical(rec);
    s_->bof = s_->eof = false;
}

Cursor::Pending Cursor::takeEdit() {
    if (s_->mode == CursorState::Browse) table_->fail("záznam není v režimu úprav.");
    if (s_->mode == CursorState::Edit && !table_->exists(s_->editRec))
        table_->fail("upravovaný záznam byl mezitím odstraněn.");
    Pending p{s_->mode == CursorState::Insert ? 0 : s_->editRec, std::move(s_->buffer)};
    cancel();
    return p;
}

void Cursor::cancel() {
    if (s_->mode == CursorState::Browse) return;
    s_->mode = CursorState::Browse;
    s_->buffer.clear();
    table_->endEdit();
}

void Cursor::remove() {
    refuseReadOnly(*this, *table_);
    if (s_->mode == CursorState::Insert) return cancel();
    cancel();
    syncState(*this, *table_, *s_);
    if (s_->rec == 0 || !table_->exists(s_->rec))
        table_->fail("žádný aktuální záznam k odstranění.");
    table_->markDeleted(s_->rec);
    s_->posVersion = 0;  // the entry left the index; locate finds what followed it
    Mover m{*this, *table_, *s_};
    if (m.toNext()) {
        s_->bof = s_->eof = false;
    } else if (m.toLast()) {
        s_->bof = false;
        s_->eof = true;
    } else {
        s_->rec = 0;
        s_->bof = s_->eof = true;
    }
}

CursorState Cursor::state() const {
    return s_->mode;
}

// --- fields ----------------------------------------------------------------------------------

namespace {
const char* currentImage(const TableData& t, const Cursor::State& s) {
    if (s.mode != CursorState::Browse) return s.buffer.data();
    if (s.rec == 0 || s.rec > t.count()) return nullptr;
    return t.record(s.rec);
}
int checkedIndex(const TableData& t, int field) {
    if (field < 0 || field >= int(t.fields().size()))
        t.fail("sloupec číslo " + std::to_string(field) + " neexistuje.");
    return field;
}
std::int64_t toInteger(double v) {
    if (!(v > -9.2e18 && v < 9.2e18)) return 0;
    return std::llround(v);
}
}  // namespace

std::string Cursor::text(std::string_view field) const {
    return text(table_->requireField(field));
}

std::string Cursor::text(int field) const {
    checkedIndex(*table_, field);
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    return r ? table_->text(r, field) : std::string();
}

std::string_view Cursor::rawText(int field) const {
    checkedIndex(*table_, field);
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    if (!r) return {};
    const char* b = r + table_->fieldOffset(field);
    std::size_t n = std::size_t(table_->fields()[field].width);
    // Text columns are mostly blank at the end: skip blanks eight at a time.
    constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
    for (std::uint64_t w = 0; n >= 8; n -= 8) {
        std::memcpy(&w, b + n - 8, 8);
        if (w != kBlanks) break;
    }
    while (n > 0 && b[n - 1] == ' ') --n;
    return {b, n};
}

std::uint8_t Cursor::language() const {
    return table_->language();
}

std::int64_t Cursor::integer(std::string_view field) const {
    return integer(table_->requireField(field));
}

std::int64_t Cursor::integer(int field) const {
    checkedIndex(*table_, field);
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    if (!r) return 0;
    const FieldType type = table_->fields()[field].type;
    if (type == FieldType::Numeric || type == FieldType::Float) return table_->integer(r, field);
    return toInteger(table_->number(r, field));
}

double Cursor::number(std::string_view field) const {
    const int i = table_->requireField(field);
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    return r ? table_->number(r, i) : 0.0;
}

Date Cursor::date(std::string_view field) const {
    const int i = table_->requireField(field);
    if (table_->fields()[i].type != FieldType::Date)
        table_->fail("sloupec " + std::string(field) + " není datum.");
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    return r ? table_->date(r, i) : Date{};
}

bool Cursor::isNull(std::string_view field) const {
    const int i = table_->requireField(field);
    syncState(*this, *table_, *s_);
    const char* r = currentImage(*table_, *s_);
    return !r || table_->blank(r, i);
}

namespace {
char* editImage(const TableData& t, Cursor::State& s) {
    if (s.mode == CursorState::Browse) t.fail("záznam není v režimu úprav (edit nebo append).");
    return s.buffer.data();
}
}  // namespace

void Cursor::setText(std::string_view field, std::string_view value) {
    setText(table_->requireField(field), value);
}
void Cursor::setText(int field, std::string_view value) {
    checkedIndex(*table_, field);
    table_->setText(editImage(*table_, *s_), field, value);
}
void Cursor::setInteger(std::string_view field, std::int64_t value) {
    setInteger(table_->requireField(field), value);
}
void Cursor::setInteger(int field, std::int64_t value) {
    checkedIndex(*table_, field);
    table_->setInteger(editImage(*table_, *s_), field, value);
}
void Cursor::setNumber(std::string_view field, double value) {
    const int i = table_->requireField(field);
    table_->setNumber(editImage(*table_, *s_), i, value);
}
void Cursor::setDate(std::string_view field, Date value) {
    const int i = table_->requireField(field);
    table_->setDate(editImage(*table_, *s_), i, value);
}
void Cursor::clear(std::string_view field) {
    const int i = table_->requireField(field);
    table_->clear(editImage(*table_, *s_), i);
}

std::unique_ptr<Cursor> Cursor::readOnlyView() const {
    return std::make_unique<Cursor>(table_, true);
}

}  // namespace lorvika::dbf
