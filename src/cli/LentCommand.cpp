#include <algorithm>
#include <ostream>

#include "cli/Commands.h"
#include "lending/Pujceni.h"
#include "store/Catalogue.h"
#include "store/dbf/Clock.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/FileSystem.h"
#include "store/dbf/Sql.h"

namespace lorvika::cli {

namespace {

// Reading only: every attempt to write, create, remove or rename fails, so the engine opens the
// tables read-only and never rewrites an index file.
class ReadOnlyFileSystem : public dbf::FileSystem {
  public:
    explicit ReadOnlyFileSystem(std::shared_ptr<dbf::FileSystem> inner)
        : inner_(std::move(inner)) {}
    std::unique_ptr<dbf::File> open(const std::string& path, Mode mode) override {
        if (mode != Mode::Read) throw std::runtime_error("jen pro čtení: " + path);
        return inner_->open(path, mode);
    }
    bool exists(const std::string& path) override { return inner_->exists(path); }
    void remove(const std::string& path) override {
        throw std::runtime_error("jen pro čtení: " + path);
    }
    void rename(const std::string& from, const std::string&) override {
        throw std::runtime_error("jen pro čtení: " + from);
    }
    void syncDirectory(const std::string&) override {}
    dbf::FileStamp stamp(const std::string& path) override { return inner_->stamp(path); }
    std::string resolve(const std::string& directory, const std::string& name) override {
        return inner_->resolve(directory, name);
    }

  private:
    std::shared_ptr<dbf::FileSystem> inner_;
};

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

}  // namespace

int runLent(const Args& args, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsageText = "lent DIR [--po-terminu] [--dnes D.M.YYYY]";
    std::vector<std::string> positional;
    bool overdue = false;
    std::optional<dbf::Date> today;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--po-terminu") {
            if (overdue) return usageError(err, kUsageText);
            overdue = true;
        } else if (args[i] == "--dnes") {
            if (today || i + 1 >= args.size()) return usageError(err, kUsageText);
            today = dbf::sql::parseDate(args[++i]);
            if (!today) return usageError(err, kUsageText);
        } else if (args[i].starts_with("-")) {
            return usageError(err, kUsageText);
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return usageError(err, kUsageText);
    const std::string& dir = positional[0];
    if (!requireDatabase(dir, err)) return kProblem;
    reportChangeLog(dir, err);

    const DruhSeznamu druh = overdue ? DruhSeznamu::PoTerminu : DruhSeznamu::Pujcene;
    struct Row {
        std::int64_t cislo;
        std::string artist, album, komu;
        dbf::Date dokdy;
    };
    std::vector<Row> rows;
    try {
        dbf::Engine engine(dbf::Engine::ReadOnly{},
                           std::make_shared<ReadOnlyFileSystem>(dbf::FileSystem::native()));
        auto list = DotazNaSeznam(engine, dir, druh, today ? *today : dbf::Clock::today());
        for (list->first(); !list->eof(); list->next())
            rows.push_back({list->integer("CISLO"), trimRight(list->text("ARTIST")),
                            trimRight(list->text("ALBUM")), trimRight(list->text("PUJ_KOMU")),
                            list->date("PUJ_DOKDY")});
    } catch (const dbf::EngineError& e) {
        err << e.what() << '\n';
        return kProblem;
    }
    if (rows.empty()) {
        err << ZpravaPrazdnehoSeznamu(druh) << '\n';
        return kProblem;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.cislo < b.cislo; });
    out << "CISLO,ARTIST,ALBUM,PUJ_KOMU,PUJ_DOKDY\r\n";
    for (const Row& r : rows) {
        out << r.cislo << ',';
        writeCsvField(out, r.artist);
        out << ',';
        writeCsvField(out, r.album);
        out << ',';
        writeCsvField(out, r.komu);
        out << ',' << (r.dokdy.isNull() ? std::string() : DatumText(r.dokdy)) << "\r\n";
    }
    return out.good() ? kOk : kProblem;
}

}  // namespace lorvika::cli
