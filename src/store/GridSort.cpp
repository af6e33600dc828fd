#include "store/GridSort.h"

#include "store/AsciiCase.h"
#include "store/dbf/Types.h"

namespace lorvika {
namespace {

const dbf::FieldDef* sortableField(const dbf::Cursor& kurzor, std::string_view pole) {
    const int i = kurzor.fieldIndex(pole);
    if (i < 0) return nullptr;
    const dbf::FieldDef& f = kurzor.fields()[static_cast<std::size_t>(i)];
    switch (f.type) {
        case dbf::FieldType::Character:
        case dbf::FieldType::Numeric:
        case dbf::FieldType::Float:
        case dbf::FieldType::Date:
            return &f;
        default:
            return nullptr;
    }
}

}  // namespace

bool PoleKRazeni(const dbf::Cursor& kurzor, std::string_view pole) {
    return sortableField(kurzor, pole) != nullptr;
}

std::string TagRazeni(std::string_view pole, bool sestupne) {
    // Not "_" + std::string: GCC 12 at -O3 reads that as an overlapping copy and warns.
    std::string tag = sestupne ? "_" : "";
    tag += pole;
    return tag;
}

std::optional<Razeni> DalsiRazeni(const dbf::Cursor& kurzor, std::string_view pole,
                                  bool sestupneChci) {
    const dbf::FieldDef* f = sortableField(kurzor, pole);
    if (f == nullptr) return std::nullopt;
    const std::string& current = kurzor.tag();
    bool sestupne = sestupneChci;
    if (equalNoCase(current, TagRazeni(f->name, true)))
        sestupne = false;
    else if (equalNoCase(current, TagRazeni(f->name, false)))
        sestupne = true;
    return Razeni{TagRazeni(f->name, sestupne), sestupne};
}

bool SeradPodleSloupce(dbf::Cursor& kurzor, std::string_view pole, bool sestupneChci, bool ulozit) {
    const std::optional<Razeni> r = DalsiRazeni(kurzor, pole, sestupneChci);
    if (!r) return false;
    bool created = false;
    bool docasny = false;
    const bool existuje = kurzor.hasTag(r->tag);
    if (existuje)
        for (const dbf::TagDef& t : kurzor.tags())
            if (equalNoCase(t.name, r->tag)) docasny = t.transient;
    // A view's order is never stored; a stored order replaces a view's one of the same name.
    if (!existuje || (ulozit && docasny)) {
        const dbf::FieldDef& f = kurzor.fields()[static_cast<std::size_t>(kurzor.fieldIndex(pole))];
        dbf::TagDef def{r->tag, f.name, r->sestupne};
        def.transient = !ulozit;
        kurzor.addTag(def);
        created = ulozit;
    }
    kurzor.setTag(r->tag);
    return created;
}

bool SloupecRaditelny(const dbf::Cursor& kurzor, std::string_view pole, bool sestupneChci) {
    const std::optional<Razeni> r = DalsiRazeni(kurzor, pole, sestupneChci);
    if (!r) return false;
    for (const dbf::TagDef& t : kurzor.tags())
        if (equalNoCase(t.name, r->tag)) return t.transient;
    return true;
}

}  // namespace lorvika
