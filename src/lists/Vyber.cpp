#include "lists/Vyber.h"

#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {

namespace {

QStringList seznam(std::initializer_list<const char*> polozky) {
    QStringList out;
    for (const char* p : polozky) out.append(QString::fromUtf8(p));
    return out;
}

}  // namespace

const std::vector<SeznamVyberu>& SeznamyVyberu() {
    static const std::vector<SeznamVyberu> seznamy{
        {QStringLiteral("Žánr"), "zanr", 25,
         seznam({"BLUES", "CLASSICAL", "COUNTRY", "DISCO", "DUET", "FOLK", "FUNK", "HEAVY METAL",
                 "JAZZ", "METAL", "OPERA", "POP", "PUNK", "RAP", "ROCK", "ROCK & ROLL", "SYMPHONY",
                 "TECHNO"})},
        {QStringLiteral("Typ"), "typ", 25,
         seznam({"KLASICKÉ", "KONCERT-ŽIVĚ", "MAXI-SINGL", "SINGL", "SOUNTRACK", "VÝBĚR"})},
        {QStringLiteral("Původ"), "zeme", 25,
         seznam({"ČR", "FRANCIE", "GB", "ITÁLIE", "SK", "SRN", "ŠVÉDSKO", "US"})},
        {QStringLiteral("Vydavatel"), "vyd_f", 30,
         seznam({"BMG", "BONTON", "EMI", "OPUS", "POPRON", "SUPRAPHON"})},
        {QStringLiteral("Komu půjčit"), "puj_komu", 30,
         seznam({"bratr", "sestra", "švagr", "švagrová"})},
        {QStringLiteral("Typ skladby"), "typ_skladba", 25,
         seznam({"BALLADA", "INSTRUMENTÁLKA", "SUPER"})},
    };
    return seznamy;
}

QStringList NactiVyber(const std::string& ini, const std::string& sekce) {
    const IniSoubor soubor(ini);
    QStringList out;
    for (int n = 1; n <= kPocetPolozek; ++n) {
        const std::string v = soubor.text(sekce, std::to_string(n), "");
        if (!v.empty()) out.append(QString::fromStdString(v));
    }
    return out;
}

void UlozVyber(const std::string& ini,
               const std::vector<std::pair<std::string, QStringList>>& seznamy) {
    IniZapis z(ini);
    for (const auto& [sekce, polozky] : seznamy)
        for (int n = 1; n <= kPocetPolozek; ++n)
            z.text(sekce, std::to_string(n),
                   n <= polozky.size() ? polozky[n - 1].toStdString() : std::string());
    z.uloz();
}

bool ObsahujePolozku(const QStringList& seznam, const QString& text) {
    return seznam.contains(text, Qt::CaseInsensitive);
}

std::string KontrolaPolozky(const QStringList& seznam, const QString& text) {
    if (text.isEmpty()) return "Prázdný text - nelze!";
    if (ObsahujePolozku(seznam, text))
        return "Seznam již položku: " + text.toStdString() + " obsahuje - nelze!";
    // The entries end up in the catalogue's tables.
    return ZkontrolujText(text.toStdString()).chyba;
}

void PridejImplicitni(QStringList& seznam, const QStringList& implicitni) {
    for (const QString& p : implicitni)
        if (!ObsahujePolozku(seznam, p)) seznam.append(p);
}

}  // namespace lorvika
