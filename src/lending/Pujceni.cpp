#include "lending/Pujceni.h"

#include <cstdio>
#include <stdexcept>

#include "store/ZmenaAlba.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"

namespace lorvika {

namespace {

std::string_view bezMezer(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Puts the record into edit mode, lets zmen change it and writes it as one transaction, so a
// power cut never leaves a torn record; a failure leaves nothing half-done in the buffer.
template <class F>
void upravAPosli(dbf::Engine& engine, dbf::Cursor& alba, F zmen) {
    alba.edit();
    try {
        zmen();
        dbf::Transaction t(engine, alba.directory());
        t.setNote(ZapisPoznamku({PoznamkaZmeny::Druh::Pujceni, alba.integer("CISLO"), {}, {}}));
        t.post(alba);
        t.commit();
    } catch (...) {
        if (alba.state() != dbf::CursorState::Browse) alba.cancel();
        throw;
    }
}

}  // namespace

bool JePujcena(std::string_view pujAnone) {
    return bezMezer(pujAnone) == "A";
}

StavPujceni StavPujceniZ(std::string_view pujAnone, dbf::Date dokdy, dbf::Date dnes) {
    if (!JePujcena(pujAnone)) return StavPujceni::Nepujcena;
    // A lent album without a due date has no term to miss.
    if (!dokdy.isNull() && dnes > dokdy) return StavPujceni::PoTerminu;
    return StavPujceni::Pujcena;
}

StavPujceni StavAlba(const dbf::Cursor& alba, dbf::Date dnes) {
    return StavPujceniZ(alba.text("PUJ_ANONE"), alba.date("PUJ_DOKDY"), dnes);
}

const char* TextStavu(StavPujceni stav) {
    switch (stav) {
        case StavPujceni::Pujcena:
            return "Je půjčena";
        case StavPujceni::PoTerminu:
            return "Půjčena a nevrácena v termínu";
        case StavPujceni::Nepujcena:
            break;
    }
    return "Není půjčena";
}

// Days since 1.1.1970 (Howard Hinnant's days_from_civil).
std::int64_t DenZData(dbf::Date d) {
    const std::int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (d.month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

dbf::Date DatumZDne(std::int64_t den) {
    const std::int64_t z = den + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

dbf::Date PosunDatum(dbf::Date d, int dny) {
    return DatumZDne(DenZData(d) + dny);
}

std::int64_t RozdilDni(dbf::Date a, dbf::Date b) {
    return DenZData(b) - DenZData(a);
}

std::string DatumText(dbf::Date d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
    return buf;
}

std::string DotazSeznamu(DruhSeznamu druh, dbf::Date dnes) {
    std::string sql = "select cddata.* from cddata \n";
    switch (druh) {
        case DruhSeznamu::Pujcene:
            return sql + "where cddata.puj_anone=\"A\"";
        case DruhSeznamu::PoTerminu:
            // Day 1 of the count that starts on 30.12.1899 up to yesterday: every due date
            // before today; returned albums have none and drop out.
            return sql + "where cddata.puj_dokdy BETWEEN \"" + DatumText({1899, 12, 31}) +
                   "\" AND \"" + DatumText(PosunDatum(dnes, -1)) + "\"";
        case DruhSeznamu::Vsechny:
            break;
    }
    return {};
}

const char* ZpravaPrazdnehoSeznamu(DruhSeznamu druh) {
    return druh == DruhSeznamu::PoTerminu ? "Žádné CD není nevráceno po termínu"
                                          : "Žádné CD není půjčeno";
}

std::unique_ptr<dbf::Cursor> DotazNaSeznam(dbf::Engine& engine, const std::string& adresar,
                                           DruhSeznamu druh, dbf::Date dnes) {
    if (druh == DruhSeznamu::Vsechny)
        throw std::logic_error("DotazNaSeznam: all albums are no lending list");
    try {
        return engine.sql(adresar, DotazSeznamu(druh, dnes));
    } catch (const dbf::EngineError& e) {
        // The statement is the program's own affair: the user gets the reason alone.
        std::string duvod = e.what();
        if (const auto i = duvod.find(" (příkaz SQL: "); i != std::string::npos) duvod.erase(i);
        throw dbf::EngineError(duvod);
    }
}

std::size_t VytvorSeznam(dbf::Engine& engine, const std::string& adresar, DruhSeznamu druh,
                         dbf::Date dnes) {
    std::unique_ptr<dbf::Cursor> dotaz = DotazNaSeznam(engine, adresar, druh, dnes);
    engine.batchCopy(*dotaz, adresar, std::string(kSouborSeznamu), dbf::BatchMode::Create);
    dotaz.reset();
    auto seznam = engine.open(adresar, std::string(kSouborSeznamu));
    seznam->addTag({"cislo", "CISLO", false});
    return seznam->recordCount();
}

void SmazSeznam(dbf::Engine& engine, const std::string& adresar) {
    const std::string soubor(kSouborSeznamu);
    dbf::FileSystem& fs = engine.fileSystem();
    // An index file left without its table goes too.
    const bool index = fs.exists(adresar + "/" + fs.resolve(adresar, "cdpuj.mdx"));
    if (engine.tableExists(adresar, soubor) || index) engine.deleteTable(adresar, soubor);
}

std::int64_t PocetPujceni(const dbf::Cursor& alba) {
    return alba.integer("PUJ_KOLIK");
}

void ZapisPujceni(dbf::Engine& engine, dbf::Cursor& alba, std::string_view komu, dbf::Date dokdy,
                  bool zvysitPocet) {
    upravAPosli(engine, alba, [&] {
        const std::int64_t n = PocetPujceni(alba) + (zvysitPocet ? 1 : 0);
        alba.setDate("PUJ_DOKDY", dokdy);
        alba.setText("PUJ_ANONE", "A");
        alba.setText("PUJ_KOMU", komu);
        alba.setInteger("PUJ_KOLIK", n);
    });
}

void ZapisVraceni(dbf::Engine& engine, dbf::Cursor& alba) {
    upravAPosli(engine, alba, [&] {
        alba.clear("PUJ_KOMU");
        alba.clear("PUJ_DOKDY");
        alba.setText("PUJ_ANONE", "N");
    });
}

void NulujPocet(dbf::Engine& engine, dbf::Cursor& alba) {
    upravAPosli(engine, alba, [&] { alba.clear("PUJ_KOLIK"); });
}

}  // namespace lorvika
