#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/DatabaseSession.h"
#include "store/dbf/EngineError.h"

namespace lorvika::test {

// Records what the session shows in the status bar.
class FakeStatusLine : public StatusLine {
  public:
    void stavovyText(const std::string& text) override { texts.push_back(text); }
    void pocetCD(int mode, std::size_t count) override { counts.push_back({mode, count}); }
    void ukazatel(const std::string& text, int percent) override {
        gauge.push_back(text + " " + std::to_string(percent));
    }
    void ukazatelKonec() override { gauge.push_back("konec"); }

    struct Count {
        int mode;
        std::size_t count;
        bool operator==(const Count&) const = default;
    };
    std::vector<std::string> texts;
    std::vector<Count> counts;
    std::vector<std::string> gauge;
};

// An archive that keeps copies of the table files in a folder of its own. Like the real one it
// closes the session's tables first and reopens them afterwards, also when it fails.
class FakeArchive : public Archive {
  public:
    explicit FakeArchive(std::filesystem::path store) : store_(std::move(store)) {
        std::filesystem::create_directories(store_);
    }
    void attach(DatabaseSession* session) { session_ = session; }

    bool zalohuj(const std::string& directory) override {
        backups.push_back(directory);
        return around([&] {
            for (const auto& e : std::filesystem::directory_iterator(directory)) {
                if (isTableFile(e.path()))
                    std::filesystem::copy_file(e.path(), store_ / e.path().filename(),
                                               std::filesystem::copy_options::overwrite_existing);
            }
            return true;
        });
    }
    bool rozbal(const std::string& directory) override {
        restores.push_back(directory);
        return around([&] {
            bool any = false;
            for (const auto& e : std::filesystem::directory_iterator(store_)) {
                if (!e.is_regular_file()) continue;  // the kept originals are no backup
                std::filesystem::copy_file(e.path(),
                                           std::filesystem::path(directory) / e.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
                any = true;
            }
            return any;
        });
    }

    // The files as they were, in a folder named after the archive; an existing one is kept.
    bool uschovej(const std::string& directory, const std::string& archiveName) override {
        kept.push_back(archiveName);
        if (failKeeping) throw std::runtime_error("Archiv " + archiveName + " nelze vytvořit.");
        const std::filesystem::path target = store_ / archiveName;
        if (std::filesystem::exists(target)) return false;
        std::filesystem::create_directories(target);
        for (const auto& e : std::filesystem::directory_iterator(directory))
            if (isTableFile(e.path()))
                std::filesystem::copy_file(e.path(), target / e.path().filename());
        return true;
    }

    std::vector<std::string> backups;
    std::vector<std::string> restores;
    std::vector<std::string> kept;
    bool failKeeping = false;
    int failedReopens = 0;

  private:
    static bool isTableFile(const std::filesystem::path& p) {
        std::string ext = p.extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string stem = p.stem().string();
        return (ext == ".dbf" || ext == ".mdx") && (stem == "cddata" || stem == "cdskladby");
    }
    template <class F>
    bool around(F work) {
        if (session_) session_->ZavriTabulky();
        bool ok = work();
        if (session_) {
            try {
                session_->OtevriTabulky();
            } catch (const dbf::EngineError&) {
                ++failedReopens;
            }
        }
        return ok;
    }

    std::filesystem::path store_;
    DatabaseSession* session_ = nullptr;
};

}  // namespace lorvika::test
