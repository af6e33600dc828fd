#include "about/VerzniZdroj.h"

#include <cstdio>

#include "store/Verze.h"

namespace lorvika {

VerzniZdroj ZdrojProgramu() {
    VerzniZdroj z;
    z.pevnaVerze = {verze::kHlavni, verze::kVedlejsi, verze::kOprava, verze::kSestaveni};
    const std::string cislo = TextVerze(z);
    z.preklady = {"040504E2"};
    z.bloky["040504E2"] = {
        {"CompanyName", verze::kVyrobce},
        {"FileDescription", verze::kPopis},
        {"FileVersion", cislo},
        {"ProductName", verze::kNazevProduktu},
        {"ProductVersion", verze::kVerzeProduktu},
        {"InternalName", ""},
        {"LegalCopyright", verze::kAutorskePravo},
        {"LegalTrademarks", ""},
        {"OriginalFilename", ""},
        {"Comments", ""},
    };
    return z;
}

std::string CtiRetezec(const VerzniZdroj& zdroj, const std::string& jmeno) {
    const std::string blok = zdroj.preklady.empty() ? "040904E4" : zdroj.preklady.front();
    const auto b = zdroj.bloky.find(blok);
    if (b == zdroj.bloky.end()) return {};
    const auto s = b->second.find(jmeno);
    return s == b->second.end() ? std::string() : s->second;
}

std::string TextVerze(const VerzniZdroj& zdroj) {
    if (!zdroj.pevnaVerze) return {};
    const auto& v = *zdroj.pevnaVerze;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
    return buf;
}

}  // namespace lorvika
