#include "store/LangDriver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "store/AsciiCase.h"
#include "store/Ini.h"
#include "store/codepage.h"
#include "store/dbf/Engine.h"
#include "store/dbf/EngineError.h"
#include "store/dbf/Files.h"
#include "store/dbf/TableData.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSekceDbf = "DBF";

std::string quoted(const std::string& s) {
    return "„" + s + "“";
}

// Table names are matched case-insensitively, as the engine does.
std::string resolve(const std::string& dir, const std::string& name) {
    return dbf::pathNoCase(dir, name);
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

[[noreturn]] void fileError(const std::string& what, const std::string& path, int err) {
    throw TableFileError("Tabulku " + quoted(path) + " nelze " + what + ": " + std::strerror(err));
}

[[noreturn]] void damaged(const std::string& path, const std::string& why) {
    throw dbf::EngineError("Tabulka " + quoted(path) + " je poškozená: " + why + ".");
}

std::size_t readFully(int fd, std::uint64_t offset, void* buf, std::size_t size,
                      const std::string& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, static_cast<char*>(buf) + done, size - done,
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            fileError("přečíst", path, errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void writeFully(int fd, const void* data, std::size_t size, const std::string& path) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, static_cast<const char*>(data) + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fileError("zapsat", path, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

unsigned le16(const unsigned char* p) {
    return p[0] | (p[1] << 8);
}
std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Span {
    std::size_t offset, length;
    std::string name;
    char type = 'C';
};

struct Layout {
    std::uint32_t records = 0;
    std::size_t headerLength = 0;
    std::size_t recordLength = 0;
    std::vector<Span> textFields;
    std::vector<Span> fields;
};

Layout parseHeader(const std::vector<unsigned char>& h, std::uint64_t fileSize,
                   const std::string& path) {
    Layout l;
    if ((h[0] & 0x07) == 0x04) damaged(path, "formát dBase 7 není podporován");
    l.records = le32(&h[4]);
    l.headerLength = le16(&h[8]);
    l.recordLength = le16(&h[10]);
    if (l.headerLength < 33 || l.headerLength > h.size()) damaged(path, "neplatná délka hlavičky");
    if (l.recordLength < 1) damaged(path, "neplatná délka záznamu");
    std::size_t pos = 32;
    std::size_t offset = 1;  // after the deletion flag
    for (;; pos += 32) {
        if (pos >= l.headerLength) damaged(path, "chybí konec popisu polí");
        if (h[pos] == 0x0D) break;
        if (pos + 32 > l.headerLength) damaged(path, "neúplný popis pole");
        const std::size_t width = h[pos + 16];
        if (width == 0) damaged(path, "pole nulové délky");
        std::string name(reinterpret_cast<const char*>(&h[pos]), 11);
        name.resize(std::strlen(name.c_str()));
        const Span field{offset, width, std::move(name), static_cast<char>(h[pos + 11])};
        if (field.type == 'C') l.textFields.push_back(field);
        l.fields.push_back(field);
        offset += width;
    }
    if (offset != l.recordLength) damaged(path, "délka záznamu nesouhlasí s poli");
    const std::uint64_t needed =
        l.headerLength + static_cast<std::uint64_t>(l.records) * l.recordLength;
    if (fileSize < needed) damaged(path, "soubor je kratší, než udává počet záznamů");
    return l;
}

using Kodovani = cp::CodePage;

std::string cpgPath(const std::string& tablePath) {
    const fs::path p(tablePath);
    return resolve(p.parent_path().string(), p.stem().string() + ".cpg");
}

// What a code-page file names; nothing for a name this program does not know.
std::optional<Kodovani> cpgKodovani(const std::string& cpg, std::string* text = nullptr) {
    Fd fd(::open(cpg.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) fileError("přečíst", cpg, errno);
    char buf[64];
    const std::size_t n = readFully(fd.get(), 0, buf, sizeof buf, cpg);
    if (text) *text = std::string(buf, n);
    return cp::codePageNamed(std::string_view(buf, n));
}

// The code page of an unmarked table: a code-page file beside it wins, then the language byte
// 0x64 (the standard mark of code page 852); everything else was written under the Windows
// driver. A code-page file naming a code page this program cannot read stops the conversion.
Kodovani kodovaniTabulky(const std::string& path, unsigned char languageByte) {
    const std::string cpg = cpgPath(path);
    std::error_code ec;
    if (fs::is_regular_file(cpg, ec)) {
        std::string text;
        if (auto k = cpgKodovani(cpg, &text)) return *k;
        throw TableFileError("Tabulka " + quoted(path) + " je podle souboru " + quoted(cpg) +
                             " v kódové stránce " + quoted(std::string(text)) +
                             ", kterou nelze převést; tabulka zůstává beze změny.");
    }
    return languageByte == kJazykCp852 ? Kodovani::Cp852 : Kodovani::Cp1250;
}

// One text field in place: decoded from the table's code page, written back in code page 852
// with plain forms for typographic characters and the replacement mark for the rest.
void prevedPole(unsigned char* field, std::size_t width, Kodovani kodovani) {
    // Plain ASCII, most of every catalogue, stays as it is.
    if (std::all_of(field, field + width, [](unsigned char b) { return b < 0x80; })) return;
    const std::string_view raw(reinterpret_cast<const char*>(field), width);
    const std::u32string codes =
        kodovani == Kodovani::Utf8 ? cp::utf8Codes(raw) : cp::cp1250Codes(raw);
    const std::string out = cp::toCp852Field(codes, width);
    std::memcpy(field, out.data(), out.size());
    std::memset(field + out.size(), ' ', width - out.size());
}

void zapisSouborAtomicky(const std::string& path, std::string_view obsah) {
    try {
        dbf::ReplacementFile novy(path);
        novy.write(obsah);
        novy.commit();
    } catch (const std::system_error& e) {
        fileError("zapsat", path, e.code().value());
    }
}

void convertFile(const std::string& path, Kodovani kodovani, const PrevodVolby& volby) {
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) fileError("otevřít", path, errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) fileError("přečíst", path, errno);
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    std::vector<unsigned char> header(32);
    if (readFully(in.get(), 0, header.data(), 32, path) < 32) damaged(path, "neúplná hlavička");
    header.resize(std::max<std::size_t>(32, le16(&header[8])));
    if (readFully(in.get(), 0, header.data(), header.size(), path) < header.size())
        damaged(path, "neúplná hlavička");
    const Layout layout = parseHeader(header, fileSize, path);
    header[29] = kZnackaPrevodu;

    std::optional<dbf::ReplacementFile> novy;
    try {
        novy.emplace(path);
    } catch (const std::system_error& e) {
        fileError("zapsat", path, e.code().value());
    }
    const std::string& tmpPath = novy->tempPath();

    writeFully(novy->fd(), header.data(), layout.headerLength, tmpPath);
    const std::size_t perChunk = std::max<std::size_t>(1, (1u << 20) / layout.recordLength);
    std::vector<unsigned char> buf(perChunk * layout.recordLength);
    std::uint64_t offset = layout.headerLength;
    std::uint32_t done = 0;
    while (done < layout.records) {
        const std::size_t n = std::min<std::size_t>(perChunk, layout.records - done);
        const std::size_t bytes = n * layout.recordLength;
        if (readFully(in.get(), offset, buf.data(), bytes, path) < bytes)
            damaged(path, "soubor je kratší, než udává počet záznamů");
        for (std::size_t r = 0; r < n; ++r) {
            unsigned char* rec = buf.data() + r * layout.recordLength;
            // Text already in code page 852 keeps every byte.
            if (kodovani != Kodovani::Cp852)
                for (const Span& f : layout.textFields)
                    prevedPole(rec + f.offset, f.length, kodovani);
            if (volby.poZaznamu) volby.poZaznamu(done + static_cast<std::uint32_t>(r) + 1);
        }
        writeFully(novy->fd(), buf.data(), bytes, tmpPath);
        offset += bytes;
        done += static_cast<std::uint32_t>(n);
    }
    // Whatever follows the records (the end marker) is kept as it is.
    while (offset < fileSize) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buf.size(), fileSize - offset));
        const std::size_t got = readFully(in.get(), offset, buf.data(), want, path);
        if (got == 0) break;
        writeFully(novy->fd(), buf.data(), got, tmpPath);
        offset += got;
    }
    try {
        novy->commit();
    } catch (const std::system_error& e) {
        fileError("nahradit", path, e.code().value());
    }
}

}  // namespace

std::string NastavVychoziHodnotu(const std::string& konfigurace, std::string_view klic,
                                 std::string_view hodnota, std::string_view chtena) {
    std::string pred = CtiText(konfigurace, klic, hodnota, "");
    if (!equalNoCase(pred, chtena)) ZapisText(konfigurace, klic, hodnota, chtena);
    return pred;
}

void NastavOvladac(const std::string& programIni, const std::string& konfigurace) {
    const std::string driver =
        NastavVychoziHodnotu(konfigurace, kKlicInit, kHodnotaLangDriver, kOvladac852);
    const std::string level =
        NastavVychoziHodnotu(konfigurace, kKlicTableCreate, kHodnotaLevel, kUrovenTabulek);
    if (!CtiAnoNe(programIni, kSekceDbf, "vraceno", true)) return;
    IniZapis ini(programIni);
    ini.text(kSekceDbf, "DBFDriver", driver);
    ini.text(kSekceDbf, "DBFLevel", level);
    ini.anoNe(kSekceDbf, "vraceno", false);
    ini.uloz();
}

void VratOvladac(const std::string& programIni, const std::string& konfigurace) {
    if (CtiAnoNe(programIni, kSekceDbf, "vraceno", true)) return;
    const IniSoubor ini(programIni);
    NastavVychoziHodnotu(konfigurace, kKlicInit, kHodnotaLangDriver,
                         ini.text(kSekceDbf, "DBFDriver", kOvladac852));
    NastavVychoziHodnotu(konfigurace, kKlicTableCreate, kHodnotaLevel,
                         ini.text(kSekceDbf, "DBFLevel", kUrovenTabulek));
    ZapisAnoNe(programIni, kSekceDbf, "vraceno", true);
}

void VratOvladacJeLiZadano(const std::string& programIni, const std::string& konfigurace) {
    if (CtiAnoNe(programIni, kSekceDbf, "vracet", false)) VratOvladac(programIni, konfigurace);
}

std::string NastavenyOvladac(const std::string& konfigurace) {
    std::string driver = CtiText(konfigurace, kKlicInit, kHodnotaLangDriver, "");
    return driver.empty() ? std::string(kOvladac852) : driver;
}

bool JeStrojInstalovan(const std::string& konfigurace) {
    return !CtiText(konfigurace, kKlicStroje, kHodnotaConfigFile, "").empty();
}

void ZajistiKonfiguraciStroje(const std::string& konfigurace) {
    if (JeStrojInstalovan(konfigurace)) return;
    const IniSoubor now(konfigurace);
    IniZapis cfg(konfigurace);
    cfg.text(kKlicStroje, kHodnotaConfigFile, konfigurace);
    if (!now.maKlic(kKlicInit, kHodnotaLangDriver))
        cfg.text(kKlicInit, kHodnotaLangDriver, kOvladac852);
    if (!now.maKlic(kKlicTableCreate, kHodnotaLevel))
        cfg.text(kKlicTableCreate, kHodnotaLevel, kUrovenTabulek);
    cfg.uloz();
}

bool PrevodTabulky(const std::string& adresar, const std::string& soubor,
                   const std::string& konfigurace, const PrevodVolby& volby) {
    const std::string path = resolve(adresar, soubor);
    unsigned char mark = 0;
    {
        Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() < 0) fileError("otevřít", path, errno);
        if (readFully(fd.get(), 29, &mark, 1, path) < 1) damaged(path, "neúplná hlavička");
    }
    if (mark == kZnackaPrevodu) {
        // A conversion cut short after the table and before its code-page file: the file must
        // not go on naming the old code page.
        const std::string cpg = cpgPath(path);
        std::error_code ec;
        if (fs::is_regular_file(cpg, ec) && cpgKodovani(cpg) != Kodovani::Cp852)
            zapisSouborAtomicky(cpg, "852");
        return false;
    }
    // Another running program that has the table open would go on writing to the replaced file.
    const dbf::TableLock zamek(adresar, {soubor});
    // What a conversion stopped by a crash left beside the table.
    dbf::ReplacementFile::removeLeftovers(adresar, [&](std::string_view base) {
        return equalNoCase(base, fs::path(path).filename().string());
    });
    const Kodovani kodovani = kodovaniTabulky(path, mark);
    NastavVychoziHodnotu(konfigurace, kKlicInit, kHodnotaLangDriver, kOvladacWinUs);
    convertFile(path, kodovani, volby);
    // Other programs that read the code-page file must now find the table's new code page.
    const std::string cpg = cpgPath(path);
    std::error_code ec;
    if (fs::is_regular_file(cpg, ec)) zapisSouborAtomicky(cpg, "852");
    // The index describes the old bytes; the engine rebuilds it when the table is opened.
    const fs::path p(path);
    const std::string mdx = resolve(p.parent_path().string(), p.stem().string() + ".mdx");
    if (::unlink(mdx.c_str()) != 0 && errno != ENOENT) fileError("odstranit index", mdx, errno);
    NastavVychoziHodnotu(konfigurace, kKlicInit, kHodnotaLangDriver, kOvladac852);
    return true;
}

}  // namespace lorvika

namespace lorvika {

bool CekaNaPrevod(const std::string& adresar, const std::string& soubor) {
    const std::string path = resolve(adresar, soubor);
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return false;
        fileError("otevřít", path, errno);
    }
    unsigned char mark = 0;
    if (readFully(fd.get(), 29, &mark, 1, path) < 1) damaged(path, "neúplná hlavička");
    return mark != kZnackaPrevodu;
}

std::vector<NahradniZnak> NajdiNahradniZnaky(const std::string& adresar,
                                             const std::string& soubor) {
    const std::string path = resolve(adresar, soubor);
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) fileError("otevřít", path, errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0) fileError("přečíst", path, errno);
    std::vector<unsigned char> header(32);
    if (readFully(in.get(), 0, header.data(), 32, path) < 32) damaged(path, "neúplná hlavička");
    // Before the conversion the byte of the mark is an ordinary letter.
    if (header[29] != kZnackaPrevodu) return {};
    header.resize(std::max<std::size_t>(32, le16(&header[8])));
    if (readFully(in.get(), 0, header.data(), header.size(), path) < header.size())
        damaged(path, "neúplná hlavička");
    const Layout layout = parseHeader(header, static_cast<std::uint64_t>(st.st_size), path);

    auto column = [&](std::string_view name) -> const Span* {
        for (const Span& f : layout.fields)
            if (equalNoCase(f.name, name)) return &f;
        return nullptr;
    };
    const bool tracks = column("CD") != nullptr;
    const Span* cd = tracks ? column("CD") : column("CISLO");
    const Span* pozice = tracks ? column("CISLO") : nullptr;
    auto number = [](const unsigned char* rec, const Span* f) -> std::int64_t {
        if (f == nullptr) return 0;
        double v = 0;
        if (!dbf::parseDouble({reinterpret_cast<const char*>(rec + f->offset), f->length}, v) ||
            !(v > -9.2e18 && v < 9.2e18))
            return 0;
        return static_cast<std::int64_t>(v);
    };

    std::vector<NahradniZnak> found;
    const std::string name = fs::path(path).filename().string();
    const std::size_t perChunk = std::max<std::size_t>(1, (1u << 20) / layout.recordLength);
    std::vector<unsigned char> buf(perChunk * layout.recordLength);
    std::uint64_t offset = layout.headerLength;
    for (std::uint32_t done = 0; done < layout.records;) {
        const std::size_t n = std::min<std::size_t>(perChunk, layout.records - done);
        const std::size_t bytes = n * layout.recordLength;
        if (readFully(in.get(), offset, buf.data(), bytes, path) < bytes)
            damaged(path, "soubor je kratší, než udává počet záznamů");
        for (std::size_t r = 0; r < n; ++r) {
            const unsigned char* rec = buf.data() + r * layout.recordLength;
            if (rec[0] == '*') continue;
            for (const Span& f : layout.textFields) {
                const auto* begin = rec + f.offset;
                if (std::find(begin, begin + f.length, cp::kReplacementMark852) == begin + f.length)
                    continue;
                found.push_back({name, number(rec, cd), number(rec, pozice), f.name});
            }
        }
        offset += bytes;
        done += static_cast<std::uint32_t>(n);
    }
    return found;
}

}  // namespace lorvika
