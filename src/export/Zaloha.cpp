#include "export/Zaloha.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "store/OdstraneniCD.h"
#include "store/ZmenaAlba.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Transaction.h"
#include "store/dbf/Files.h"
#include "store/dbf/Names.h"
#include "store/dbf/Staging.h"

namespace lorvika {

namespace fs = std::filesystem;

int ZipGauge::apply(const ZipProgress& report) {
    switch (report.kind) {
        case ZipProgressKind::NewFile:
            break;
        case ZipProgressKind::Update:
            value_ = std::min(100, value_ + 25);
            break;
        case ZipProgressKind::EndOfBatch:
            value_ = 100;
            break;
    }
    return value_;
}

namespace {

// How the engine names the four files when it creates them; used when a file is missing.
constexpr std::array<std::string_view, 4> kNazvyNaDisku = {"cddata.DBF", "cdskladby.DBF",
                                                           "cddata.mdx", "cdskladby.mdx"};

class ZalohaChyba : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string uvoz(const fs::path& p) {
    std::string s(1, '"');
    s += p.string();
    s += '"';
    return s;
}

std::string systemText(int err) {
    return std::strerror(err);
}

// The engine matches table names without regard to case; so does the backup, for the archive
// too. The engine's own spelling wins when several spellings exist side by side.
std::optional<fs::path> najdiSoubor(const fs::path& adresar, std::string_view nazev) {
    if (auto name = dbf::findNoCase(adresar.string(), nazev)) return adresar / *name;
    return std::nullopt;
}

fs::path cestaArchivu(const fs::path& adresar) {
    return najdiSoubor(adresar, kArchivZalohy).value_or(adresar / std::string(kArchivZalohy));
}

class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    void adopt(int fd) {
        reset();
        fd_ = fd;
    }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

bool writeAll(int fd, const char* data, std::size_t len) {
    while (len > 0) {
        ssize_t n = ::write(fd, data, len);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        len -= static_cast<std::size_t>(n);
    }
    return true;
}

ssize_t readSome(int fd, void* data, std::size_t len) {
    for (;;) {
        ssize_t n = ::read(fd, data, len);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

struct CrcAndSize {
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
};

CrcAndSize crcOfFile(const fs::path& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw ZalohaChyba("Soubor " + uvoz(path) + " nelze přečíst: " + systemText(errno));
    std::vector<unsigned char> buf(1 << 20);
    CrcAndSize r;
    r.crc = static_cast<std::uint32_t>(::crc32(0L, Z_NULL, 0));
    for (;;) {
        ssize_t n = readSome(fd.get(), buf.data(), buf.size());
        if (n < 0)
            throw ZalohaChyba("Soubor " + uvoz(path) + " nelze přečíst: " + systemText(errno));
        if (n == 0) break;
        r.crc = static_cast<std::uint32_t>(::crc32(r.crc, buf.data(), static_cast<uInt>(n)));
        r.size += static_cast<std::uint64_t>(n);
    }
    return r;
}

void odstranSoubor(const fs::path& soubor) {
    if (::unlink(soubor.c_str()) != 0 && errno != ENOENT)
        throw ZalohaChyba("Soubor " + uvoz(soubor) + " nelze odstranit: " + systemText(errno));
}

// 0, or the error of making the file durable.
int synchronizuj(const fs::path& soubor) {
    Fd fd(::open(soubor.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

// Where the file system has no hard links.
void zkopiruj(const fs::path& z, const fs::path& na) {
    Fd in(::open(z.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        throw ZalohaChyba("Soubor " + uvoz(z) + " nelze přečíst: " + systemText(errno));
    Fd out(::open(na.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.get() < 0)
        throw ZalohaChyba("Soubor " + uvoz(na) + " nelze vytvořit: " + systemText(errno));
    std::vector<char> buf(1 << 20);
    for (;;) {
        const ssize_t n = readSome(in.get(), buf.data(), buf.size());
        if (n < 0) throw ZalohaChyba("Soubor " + uvoz(z) + " nelze přečíst: " + systemText(errno));
        if (n == 0) break;
        if (!writeAll(out.get(), buf.data(), static_cast<std::size_t>(n)))
            throw ZalohaChyba("Soubor " + uvoz(na) + " nelze zapsat: " + systemText(errno));
    }
}

void report(const ZalohaRizeni& r, ZipGauge& gauge, const ZipProgress& p) {
    int value = gauge.apply(p);
    if (r.postup) r.postup(p, value);
}

// A table file as a libzip source, so that the packing of each file is reported as it happens.
struct FileSource {
    fs::path path;
    std::string name;
    std::uint64_t size = 0;
    time_t mtime = 0;
    const ZalohaRizeni* rizeni = nullptr;
    ZipGauge* gauge = nullptr;
    int fd = -1;
    zip_error_t error;
    std::exception_ptr failure;  // a callback's exception, carried past the C code

    FileSource() { zip_error_init(&error); }
    ~FileSource() {
        if (fd >= 0) ::close(fd);
        zip_error_fini(&error);
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool tell(const ZipProgress& p) {
        try {
            report(*rizeni, *gauge, p);
            return true;
        } catch (...) {
            failure = std::current_exception();
            zip_error_set(&error, ZIP_ER_INTERNAL, 0);
            return false;
        }
    }

    static zip_int64_t callback(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
        auto* s = static_cast<FileSource*>(state);
        switch (cmd) {
            case ZIP_SOURCE_OPEN:
                s->fd = ::open(s->path.c_str(), O_RDONLY | O_CLOEXEC);
                if (s->fd < 0) {
                    zip_error_set(&s->error, ZIP_ER_OPEN, errno);
                    return -1;
                }
                if (!s->tell({ZipProgressKind::NewFile, s->name, s->size})) return -1;
                return 0;
            case ZIP_SOURCE_READ: {
                std::size_t done = 0;
                auto* out = static_cast<char*>(data);
                while (done < len) {
                    ssize_t n = readSome(s->fd, out + done, static_cast<std::size_t>(len - done));
                    if (n < 0) {
                        zip_error_set(&s->error, ZIP_ER_READ, errno);
                        return -1;
                    }
                    if (n == 0) break;
                    done += static_cast<std::size_t>(n);
                }
                return static_cast<zip_int64_t>(done);
            }
            case ZIP_SOURCE_CLOSE:
                if (s->fd >= 0) ::close(s->fd);
                s->fd = -1;
                if (!s->tell({ZipProgressKind::Update, s->name, s->size})) return -1;
                return 0;
            case ZIP_SOURCE_STAT: {
                auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &s->error);
                if (!st) return -1;
                zip_stat_init(st);
                st->size = s->size;
                st->mtime = s->mtime;
                st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
                return sizeof(zip_stat_t);
            }
            case ZIP_SOURCE_ERROR:
                return zip_error_to_data(&s->error, data, len);
            case ZIP_SOURCE_FREE:
                return 0;
            case ZIP_SOURCE_SUPPORTS:
                return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ,
                                                      ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                      ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
            default:
                zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
                return -1;
        }
    }
};

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;

std::string zipErrorText(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

void zabal(const fs::path& adresar, const ZalohaRizeni& rizeni, ZipGauge& gauge) {
    std::vector<std::unique_ptr<FileSource>> sources;
    std::vector<fs::path> paths;
    for (std::size_t i = 0; i < kSouboryZalohy.size(); ++i) {
        auto found = najdiSoubor(adresar, kNazvyNaDisku[i]);
        if (!found)
            throw ZalohaChyba("Soubor " + uvoz(adresar / std::string(kNazvyNaDisku[i])) +
                              " neexistuje.");
        paths.push_back(*found);
    }

    const fs::path archiv = cestaArchivu(adresar);
    const fs::path predchozi =
        najdiSoubor(adresar, kPredchoziZaloha).value_or(adresar / std::string(kPredchoziZaloha));
    // The new archive is made under a name of its own and made durable before it takes the
    // place of the old one, which stays as the earlier generation.
    const fs::path prace = adresar / std::string(kRozpracovanaZaloha);
    // What a backup stopped half-way left behind (libzip writes beside the archive first).
    dbf::ReplacementFile::removeLeftovers(adresar.string(), [&](std::string_view base) {
        return dbf::equalNoCase(base, archiv.filename().string()) ||
               dbf::equalNoCase(base, prace.filename().string());
    });
    odstranSoubor(prace);
    std::error_code ec;
    const bool bylArchiv = fs::exists(archiv, ec);
    // libzip never writes into the file it opened: a link to the old archive costs nothing.
    if (bylArchiv && ::link(archiv.c_str(), prace.c_str()) != 0) zkopiruj(archiv, prace);
    int err = 0;
    ZipPtr za;
    if (bylArchiv) {
        za.reset(zip_open(prace.c_str(), ZIP_CHECKCONS, &err));
        // An archive that is no longer a readable zip cannot serve a restore; a fresh backup
        // takes its place (the old file goes only when the new one is complete).
        if (!za && (err == ZIP_ER_NOZIP || err == ZIP_ER_INCONS))
            za.reset(zip_open(prace.c_str(), ZIP_TRUNCATE, &err));
    } else {
        za.reset(zip_open(prace.c_str(), ZIP_CREATE | ZIP_EXCL, &err));
    }
    if (!za) {
        odstranSoubor(prace);
        throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze otevřít: " + zipErrorText(err));
    }
    struct Uklid {
        const fs::path& soubor;
        bool hotovo = false;
        ~Uklid() {
            if (!hotovo) ::unlink(soubor.c_str());
        }
    } uklid{prace};

    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string name(kSouboryZalohy[i]);
        struct stat st {};
        if (::stat(paths[i].c_str(), &st) != 0)
            throw ZalohaChyba("Soubor " + uvoz(paths[i]) + " nelze přečíst: " + systemText(errno));

        zip_int64_t idx = zip_name_locate(za.get(), name.c_str(), ZIP_FL_NOCASE);
        if (idx >= 0) {
            zip_stat_t zst;
            const char* stored = zip_get_name(za.get(), static_cast<zip_uint64_t>(idx), 0);
            if (zip_stat_index(za.get(), static_cast<zip_uint64_t>(idx), 0, &zst) == 0 &&
                (zst.valid & ZIP_STAT_SIZE) && (zst.valid & ZIP_STAT_CRC) && stored &&
                name == stored && zst.size == static_cast<zip_uint64_t>(st.st_size)) {
                // Same size: compare the content, since a table edited in place keeps its size
                // and a zip timestamp is too coarse to tell.
                if (crcOfFile(paths[i]).crc == zst.crc) continue;
            }
        }

        auto src = std::make_unique<FileSource>();
        src->path = paths[i];
        src->name = name;
        src->size = static_cast<std::uint64_t>(st.st_size);
        src->mtime = st.st_mtime;
        src->rizeni = &rizeni;
        src->gauge = &gauge;
        // Kept until the end: the archive calls back while it is closed or discarded.
        sources.push_back(std::move(src));
        zip_source_t* zs =
            zip_source_function(za.get(), &FileSource::callback, sources.back().get());
        if (!zs)
            throw ZalohaChyba("Archiv " + uvoz(archiv) +
                              " nelze zapsat: " + zip_strerror(za.get()));
        if (idx >= 0) {
            if (zip_file_replace(za.get(), static_cast<zip_uint64_t>(idx), zs, 0) != 0) {
                zip_source_free(zs);
                throw ZalohaChyba("Archiv " + uvoz(archiv) +
                                  " nelze zapsat: " + zip_strerror(za.get()));
            }
            // The archive owns the source from here on.
            if (zip_file_rename(za.get(), static_cast<zip_uint64_t>(idx), name.c_str(),
                                ZIP_FL_ENC_UTF_8) != 0)
                throw ZalohaChyba("Archiv " + uvoz(archiv) +
                                  " nelze zapsat: " + zip_strerror(za.get()));
        } else {
            idx = zip_file_add(za.get(), name.c_str(), zs, ZIP_FL_ENC_UTF_8);
            if (idx < 0) {
                zip_source_free(zs);
                throw ZalohaChyba("Archiv " + uvoz(archiv) +
                                  " nelze zapsat: " + zip_strerror(za.get()));
            }
        }
        const auto u = static_cast<zip_uint64_t>(idx);
        if (zip_set_file_compression(za.get(), u, ZIP_CM_DEFLATE, 9) != 0 ||
            zip_file_set_external_attributes(za.get(), u, 0, ZIP_OPSYS_UNIX,
                                             static_cast<zip_uint32_t>(st.st_mode) << 16) != 0)
            throw ZalohaChyba("Archiv " + uvoz(archiv) +
                              " nelze zapsat: " + zip_strerror(za.get()));
    }

    if (zip_close(za.get()) != 0) {
        for (const auto& s : sources)
            if (s->failure) std::rethrow_exception(s->failure);
        throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze zapsat: " + zip_strerror(za.get()));
    }
    (void)za.release();
    // An archive already holding these files stays as it is, with its earlier generation.
    if (!sources.empty() || !bylArchiv) {
        const auto selhalo = [&](const fs::path& soubor, int e) {
            throw ZalohaChyba("Archiv " + uvoz(soubor) + " nelze zapsat: " + systemText(e));
        };
        if (int e = synchronizuj(prace); e != 0) selhalo(prace, e);
        if (bylArchiv) {
            const fs::path mezi = predchozi.string() + ".tmp";
            odstranSoubor(mezi);
            if (::link(archiv.c_str(), mezi.c_str()) == 0) {
                if (::rename(mezi.c_str(), predchozi.c_str()) != 0) selhalo(predchozi, errno);
            } else if (::rename(archiv.c_str(), predchozi.c_str()) != 0) {
                selhalo(predchozi, errno);
            }
        }
        if (::rename(prace.c_str(), archiv.c_str()) != 0) selhalo(archiv, errno);
        uklid.hotovo = true;
        dbf::syncDirectory(adresar.string());
    }
    // The tables as they are are in the archive now: a restore that did not happen no longer
    // keeps the automatic backup away.
    dbf::clearStaged(adresar.string(), dbf::kRestoreFolder);
    report(rizeni, gauge, {ZipProgressKind::EndOfBatch, {}, 0});
}

void vybalJeden(zip_t* za, const fs::path& archiv, const fs::path& adresar, std::size_t i,
                const ZalohaRizeni& rizeni, ZipGauge& gauge, dbf::StagedFiles& stage) {
    const std::string name(kSouboryZalohy[i]);
    // Exact bare name only (case aside): "../cddata.dbf" or "x/cddata.dbf" never matches.
    zip_int64_t idx = zip_name_locate(za, name.c_str(), ZIP_FL_NOCASE);
    if (idx < 0) throw ZalohaChyba("V archivu " + uvoz(archiv) + " chybí soubor " + name + ".");
    const auto u = static_cast<zip_uint64_t>(idx);
    const std::string poskozen = "Soubor " + name + " v archivu " + uvoz(archiv) + " je poškozen";
    zip_stat_t zst;
    if (zip_stat_index(za, u, 0, &zst) != 0 || !(zst.valid & ZIP_STAT_SIZE) ||
        !(zst.valid & ZIP_STAT_CRC))
        throw ZalohaChyba(poskozen + ": " + zip_strerror(za));

    auto existing = najdiSoubor(adresar, kNazvyNaDisku[i]);
    // A table that is a symbolic link stays one: what it names is replaced.
    const fs::path cil = existing ? *existing : adresar / std::string(kNazvyNaDisku[i]);
    const std::string novy = stage.add(cil.string());
    // The restored file gets the permissions of the one it replaces.
    mode_t mode = 0644;
    struct stat st {};
    if (existing && ::stat(existing->c_str(), &st) == 0) mode = st.st_mode & 07777;
    Fd out(::open(novy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (out.get() < 0)
        throw ZalohaChyba("Soubor " + uvoz(novy) + " nelze vytvořit: " + systemText(errno));
    ::fchmod(out.get(), mode);

    report(rizeni, gauge, {ZipProgressKind::NewFile, name, zst.size});

    struct FileClose {
        void operator()(zip_file_t* f) const { zip_fclose(f); }
    };
    std::unique_ptr<zip_file_t, FileClose> zf(zip_fopen_index(za, u, 0));
    if (!zf) throw ZalohaChyba(poskozen + ": " + zip_strerror(za));

    std::vector<char> buf(1 << 18);
    auto crc = static_cast<std::uint32_t>(::crc32(0L, Z_NULL, 0));
    std::uint64_t total = 0;
    for (;;) {
        zip_int64_t n = zip_fread(zf.get(), buf.data(), buf.size());
        if (n < 0) throw ZalohaChyba(poskozen + ": " + zip_file_strerror(zf.get()));
        if (n == 0) break;
        const auto len = static_cast<std::size_t>(n);
        total += len;
        if (total > zst.size) throw ZalohaChyba(poskozen + ".");
        crc = static_cast<std::uint32_t>(
            ::crc32(crc, reinterpret_cast<const Bytef*>(buf.data()), static_cast<uInt>(len)));
        if (!writeAll(out.get(), buf.data(), len))
            throw ZalohaChyba("Soubor " + uvoz(novy) + " nelze zapsat: " + systemText(errno));
    }
    if (int e = zip_fclose(zf.release()); e != 0)
        throw ZalohaChyba(poskozen + ": " + zipErrorText(e));
    if (total != zst.size || crc != zst.crc) throw ZalohaChyba(poskozen + ".");
    if (::close(out.get()) != 0) {
        const int e = errno;
        (void)out.release();
        throw ZalohaChyba("Soubor " + uvoz(novy) + " nelze zapsat: " + systemText(e));
    }
    (void)out.release();
    report(rizeni, gauge, {ZipProgressKind::Update, name, zst.size});
}

// A restore begun earlier is finished, or its sign kept, before anything reads the tables.
void dokonciRozbaleni(const fs::path& adresar) {
    try {
        dbf::finishStaged(adresar.string(), dbf::kRestoreFolder);
    } catch (const std::system_error& e) {
        throw ZalohaChyba("Přerušené nahrazení databáze zálohou nelze dokončit: " +
                          std::string(e.what()));
    }
}

void vybal(const fs::path& adresar, const ZalohaRizeni& rizeni, ZipGauge& gauge) {
    const fs::path archiv = cestaArchivu(adresar);
    std::error_code ec;
    if (!fs::is_regular_file(archiv, ec))
        throw ZalohaChyba("Archiv " + uvoz(archiv) + " neexistuje.");
    int err = 0;
    ZipPtr za(zip_open(archiv.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err));
    if (!za) throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze otevřít: " + zipErrorText(err));

    // All four files are staged whole before any table is replaced; from the completion mark on
    // the next opening finishes the replacement, so the tables never come from two states.
    std::optional<dbf::StagedFiles> stage;
    try {
        stage.emplace(adresar.string(), dbf::kRestoreFolder);
    } catch (const std::system_error& e) {
        throw ZalohaChyba("V adresáři " + uvoz(adresar) +
                          " nelze připravit nahrazení: " + std::string(e.what()));
    }
    for (std::size_t i = 0; i < kSouboryZalohy.size(); ++i)
        vybalJeden(za.get(), archiv, adresar, i, rizeni, gauge, *stage);
    za.reset();
    // The change log and the journals belong to the tables being replaced.
    for (std::string_view zurnal : {dbf::kLogName, kZurnalZmeny, kZurnalOdstraneni}) {
        const std::string cesta = dbf::pathNoCase(adresar.string(), zurnal);
        stage->removeWith(cesta + ".tmp");
        stage->removeWith(cesta);
    }
    try {
        stage->commit();
    } catch (const std::system_error& e) {
        if (!stage->committed())
            throw ZalohaChyba("Databázi nelze nahradit zálohou: " + std::string(e.what()));
        // The replacement is decided: one more attempt, else the next opening finishes it.
        try {
            dbf::finishStaged(adresar.string(), dbf::kRestoreFolder);
        } catch (const std::system_error& e2) {
            throw ZalohaChyba("Databáze byla nahrazena zálohou, ale dokončení selhalo: " +
                              std::string(e2.what()) +
                              "; dokončí se při příštím otevření databáze.");
        }
    }
    report(rizeni, gauge, {ZipProgressKind::EndOfBatch, {}, 0});
}

VysledekZalohy sZavrenymiTabulkami(const std::string& adresar, const ZalohaRizeni& rizeni,
                                   const std::string& text,
                                   void (*prace)(const fs::path&, const ZalohaRizeni&, ZipGauge&)) {
    VysledekZalohy v;
    bool merak = false;
    try {
        if (rizeni.zavriTabulky) rizeni.zavriTabulky();
        if (rizeni.merakZacni) rizeni.merakZacni(text);
        merak = true;
        // No other running program may have the tables open while they are read for the
        // archive or replaced from it: one that did would go on writing to replaced files.
        dbf::TableLock zamek(adresar,
                             {std::string(kNazvyNaDisku[0]), std::string(kNazvyNaDisku[1])});
        dokonciRozbaleni(fs::path(adresar));
        ZipGauge gauge;
        prace(fs::path(adresar), rizeni, gauge);
    } catch (const std::exception& e) {
        v.ok = false;
        v.chyba = e.what();
    }
    if (merak && rizeni.merakKonec) {
        try {
            rizeni.merakKonec();
        } catch (const std::exception& e) {
            if (v.ok) v = {false, e.what()};
        }
    }
    // A table that cannot be reopened is the engine's error to report; it is not swallowed.
    if (rizeni.otevriTabulky) rizeni.otevriTabulky();
    return v;
}

}  // namespace

bool Uschovej(const std::string& adresar, const std::string& nazev) {
    const fs::path dir(adresar);
    if (najdiSoubor(dir, nazev)) return false;
    const fs::path archiv = dir / nazev;
    // Written under another name and made durable before it appears under its own.
    const fs::path prace = dir / (nazev + ".tmp");
    dbf::ReplacementFile::removeLeftovers(dir.string(), [&](std::string_view base) {
        return dbf::equalNoCase(base, prace.filename().string());
    });
    odstranSoubor(prace);
    int err = 0;
    ZipPtr za(zip_open(prace.c_str(), ZIP_CREATE | ZIP_EXCL, &err));
    if (!za) throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze vytvořit: " + zipErrorText(err));
    struct Uklid {
        const fs::path& soubor;
        ~Uklid() { ::unlink(soubor.c_str()); }
    } uklid{prace};
    auto fail = [&] {
        throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze zapsat: " + zip_strerror(za.get()));
    };
    int pocet = 0;
    for (std::string_view stem : {"cddata", "cdskladby"}) {
        for (std::string_view ext : {".DBF", ".mdx", ".cpg"}) {
            const auto found = najdiSoubor(dir, std::string(stem) + std::string(ext));
            if (!found) continue;
            const std::string name = found->filename().string();
            zip_source_t* zs = zip_source_file(za.get(), found->c_str(), 0, -1);
            if (!zs) fail();
            const zip_int64_t idx = zip_file_add(za.get(), name.c_str(), zs, ZIP_FL_ENC_UTF_8);
            if (idx < 0) {
                zip_source_free(zs);
                fail();
            }
            if (zip_set_file_compression(za.get(), static_cast<zip_uint64_t>(idx), ZIP_CM_DEFLATE,
                                         9) != 0)
                fail();
            ++pocet;
        }
    }
    if (pocet == 0) throw ZalohaChyba("V adresáři " + uvoz(dir) + " nejsou žádné tabulky.");
    // libzip writes a temporary file and renames it: the archive appears whole or not at all.
    if (zip_close(za.get()) != 0) fail();
    (void)za.release();
    if (int e = synchronizuj(prace); e != 0)
        throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze zapsat: " + systemText(e));
    // A link never replaces an archive that appeared meanwhile.
    if (::link(prace.c_str(), archiv.c_str()) != 0) {
        if (errno == EEXIST) return false;
        if (::rename(prace.c_str(), archiv.c_str()) != 0)
            throw ZalohaChyba("Archiv " + uvoz(archiv) + " nelze zapsat: " + systemText(errno));
    }
    dbf::syncDirectory(dir.string());
    return true;
}

VysledekZalohy Zalohuj(const std::string& adresar, const ZalohaRizeni& rizeni) {
    return sZavrenymiTabulkami(adresar, rizeni, "zálohuji databázi..", &zabal);
}

VysledekZalohy Rozbal(const std::string& adresar, const ZalohaRizeni& rizeni) {
    return sZavrenymiTabulkami(adresar, rizeni, "nahrazuji databázi zálohou..", &vybal);
}

}  // namespace lorvika
