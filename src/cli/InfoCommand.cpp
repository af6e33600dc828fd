#include <cstdio>
#include <fstream>
#include <ostream>

#include "cli/Commands.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Files.h"

namespace lorvika::cli {

namespace {

const char* statusText(dbf::Engine::IndexStatus s) {
    switch (s) {
        case dbf::Engine::IndexStatus::Current:
            return "aktuální";
        case dbf::Engine::IndexStatus::Missing:
            return "chybí";
        case dbf::Engine::IndexStatus::Stale:
            return "zastaralý";
        case dbf::Engine::IndexStatus::Damaged:
            return "poškozený";
    }
    return "?";
}

std::string languageByte(const std::string& dir, std::string_view file) {
    const auto name = dbf::findNoCase(dir, file);
    if (!name) return "nelze přečíst";
    std::ifstream in(dir + "/" + *name, std::ios::binary);
    char header[32] = {};
    if (!in.read(header, sizeof header)) return "nelze přečíst (krátká hlavička)";
    const auto b = static_cast<unsigned char>(header[29]);
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", b);
    return std::string(hex) + (b == 0x1F ? " (kódová stránka 852)" : " (kódová stránka 1250)");
}

void describe(dbf::Engine& engine, const std::string& dir, std::string_view file,
              std::string_view title, std::ostream& out) {
    // Before any cursor: opening may rebuild a stale index.
    const auto status = engine.indexStatus(dir, std::string(file));
    auto cursor = engine.open(dir, std::string(file));
    cursor->setTag("");
    out << title << " (" << file << "): " << cursor->recordCount() << '\n';
    out << "  jazykový bajt: " << languageByte(dir, file) << '\n';
    out << "  indexový soubor: " << statusText(status) << '\n';
    out << "  sloupce (" << cursor->fields().size() << "):\n";
    for (const auto& f : cursor->fields())
        out << "    " << f.name << ' ' << static_cast<char>(f.type) << ' ' << f.width << ' '
            << f.decimals << '\n';
    const auto tags = cursor->tags();
    out << "  tagy (" << tags.size() << "):\n";
    for (const auto& t : tags)
        out << "    " << t.name << ": " << t.expression << (t.descending ? " sestupně" : "")
            << '\n';
}

}  // namespace

int runInfo(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].starts_with("-")) return usageError(err, "info ADRESÁŘ");
    const std::string& dir = args[0];
    if (!requireDatabase(dir, err)) return kProblem;
    dbf::Engine engine{dbf::Engine::ReadOnly{}};
    try {
        out << "Databáze: " << dir << '\n';
        describe(engine, dir, kSouborAlb, "Audio CD", out);
        describe(engine, dir, kSouborSkladeb, "Skladby", out);
        reportChangeLog(dir, out);
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return kProblem;
    }
    return kOk;
}

}  // namespace lorvika::cli
