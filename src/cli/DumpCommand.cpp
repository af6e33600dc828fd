#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/Commands.h"
#include "store/Catalogue.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

namespace {

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

std::string formatNumber(double v) {
    if (std::isfinite(v) && std::trunc(v) == v && std::fabs(v) < 1e15)
        return std::to_string(static_cast<long long>(v));
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string valueText(const dbf::Cursor& c, const dbf::FieldDef& f) {
    switch (f.type) {
        case dbf::FieldType::Numeric:
        case dbf::FieldType::Float:
            return c.isNull(f.name) ? std::string() : formatNumber(c.number(f.name));
        case dbf::FieldType::Date: {
            const dbf::Date d = c.date(f.name);
            if (d.isNull()) return {};
            char buf[16];
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
            return buf;
        }
        default:
            return trimRight(c.text(f.name));
    }
}

std::optional<std::string> tableFile(std::string_view arg) {
    std::string a(arg);
    for (auto& ch : a) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (a.ends_with(".dbf")) a.resize(a.size() - 4);
    if (a == "cddata") return std::string(kSouborAlb);
    if (a == "cdskladby") return std::string(kSouborSkladeb);
    return std::nullopt;
}

}  // namespace

int runDump(const Args& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsageText = "dump ADRESÁŘ cddata|cdskladby [--tag JMÉNO]";
    std::vector<std::string> positional;
    std::optional<std::string> tag;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tag") {
            if (tag || i + 1 >= args.size()) return usageError(err, kUsageText);
            tag = args[++i];
        } else if (args[i].starts_with("-")) {
            return usageError(err, kUsageText);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) return usageError(err, kUsageText);
    const auto file = tableFile(positional[1]);
    if (!file) return usageError(err, kUsageText);
    const std::string& dir = positional[0];
    if (!requireDatabase(dir, err)) return kProblem;

    dbf::Engine engine{dbf::Engine::ReadOnly{}};
    reportChangeLog(dir, err);
    try {
        auto cursor = engine.open(dir, *file);
        if (tag && !cursor->hasTag(*tag)) {
            err << "Tabulka " << *file << " nemá tag " << *tag << '\n';
            return kProblem;
        }
        cursor->setTag(tag ? *tag : std::string());
        const auto& fields = cursor->fields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) out << ',';
            writeCsvField(out, fields[i].name);
        }
        out << "\r\n";
        for (cursor->first(); !cursor->eof(); cursor->next()) {
            for (std::size_t i = 0; i < fields.size(); ++i) {
                if (i) out << ',';
                writeCsvField(out, valueText(*cursor, fields[i]));
            }
            out << "\r\n";
        }
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return kProblem;
    }
    return out.good() ? kOk : kProblem;
}

}  // namespace lorvika::cli
