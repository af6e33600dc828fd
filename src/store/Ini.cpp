#include "store/Ini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <unordered_map>

#include "store/codepage.h"
#include "store/dbf/Files.h"

namespace lorvika {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string quoted(const std::string& path) {
    return "„" + path + "“";
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool blank(std::string_view s) {
    return trim(s).empty();
}

// Names are compared in their Windows-1250 form, so a name given with a character the file
// cannot hold matches what a write of that name leaves on disk.
std::string foldDisk(std::string_view name1250) {
    return cp::toUpper(cp::cp1250ToUtf8(trim(name1250)));
}
std::string foldUser(std::string_view utf8) {
    return foldDisk(cp::utf8ToCp1250(utf8));
}

struct Line {
    enum class Kind { Other, Section, Key };
    std::string text;  // Windows-1250, without its line end
    std::string end;   // "\r\n", "\n", "\r" or "" for an unterminated last line
    Kind kind = Kind::Other;
    std::string name;  // folded section or key name
    std::size_t valueStart = 0;
};

struct Document {
    std::vector<Line> lines;
};

Line classify(std::string text, std::string end) {
    Line line;
    line.text = std::move(text);
    line.end = std::move(end);
    const std::string_view t = trim(line.text);
    if (t.empty() || t.front() == ';') return line;
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        inner = inner.substr(0, inner.find(']'));
        line.kind = Line::Kind::Section;
        line.name = foldDisk(inner);
        return line;
    }
    const std::size_t eq = line.text.find('=');
    if (eq == std::string::npos) return line;
    line.kind = Line::Kind::Key;
    line.name = foldDisk(std::string_view(line.text).substr(0, eq));
    std::size_t v = eq + 1;
    while (v < line.text.size() && (line.text[v] == ' ' || line.text[v] == '\t')) ++v;
    line.valueStart = v;
    return line;
}

Document parse(std::string_view bytes) {
    Document doc;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t stop = bytes.find_first_of("\r\n", pos);
        if (stop == std::string_view::npos) {
            doc.lines.push_back(classify(std::string(bytes.substr(pos)), ""));
            break;
        }
        std::size_t endLen =
            (bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1;
        doc.lines.push_back(classify(std::string(bytes.substr(pos, stop - pos)),
                                     std::string(bytes.substr(stop, endLen))));
        pos = stop + endLen;
    }
    return doc;
}

std::string serialize(const Document& doc) {
    std::string out;
    for (const Line& line : doc.lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}

// The first key line of that name in a section of that name, or npos.
std::size_t findKey(const Document& doc, const std::string& section, const std::string& key) {
    bool inSection = false;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == Line::Kind::Section)
            inSection = line.name == section;
        else if (inSection && line.kind == Line::Kind::Key && line.name == key)
            return i;
    }
    return std::string::npos;
}

// The value as it stands in the file, before any decoding or cut.
std::string rawValueOf(const Line& line) {
    return std::string(trim(std::string_view(line.text).substr(line.valueStart)));
}

std::string valueOf(const Line& line) {
    std::string v = rawValueOf(line);
    if (v.size() > kIniMaxValue) v.resize(kIniMaxValue);
    return v;
}

// A value Windows-1250 cannot hold (a path in Cyrillic, a symbol) is written as UTF-8 behind the
// byte order mark, so that it reads back exactly; everything else stays Windows-1250, byte for
// byte as before. A Windows-1250 text that would itself begin with the mark's three bytes
// ("ď»ż") is marked too, so that reading never mistakes it.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string encodeValue(std::string_view utf8) {
    std::string bytes = cp::utf8ToCp1250(utf8);
    if (cp::cp1250ToUtf8(bytes) == utf8 && !bytes.starts_with(kUtf8Mark)) return bytes;
    return std::string(kUtf8Mark) + std::string(utf8);
}

// The text of a raw value, cut to the read limit in characters.
std::string decodeValue(std::string_view raw) {
    if (!raw.starts_with(kUtf8Mark)) {
        return cp::cp1250ToUtf8(raw.substr(0, std::min(raw.size(), kIniMaxValue)));
    }
    raw.remove_prefix(kUtf8Mark.size());
    std::size_t end = 0;
    for (std::size_t chars = 0; end < raw.size() && chars < kIniMaxValue; ++chars) {
        ++end;
        while (end < raw.size() && (static_cast<unsigned char>(raw[end]) & 0xC0) == 0x80) ++end;
    }
    return std::string(raw.substr(0, end));
}

// Windows-1250 texts, already checked.
void edit(Document& doc, const std::string& section1250, const std::string& key1250,
          const std::string& value1250) {
    const std::string section = foldDisk(section1250);
    const std::string key = foldDisk(key1250);
    const std::size_t k = findKey(doc, section, key);
    if (k != std::string::npos) {
        Line& line = doc.lines[k];
        line.text.resize(line.valueStart);
        line.text += value1250;
        return;
    }
    const Line newKey = classify(key1250 + "=" + value1250, std::string(kCrLf));
    std::size_t s = 0;
    while (s < doc.lines.size() &&
           !(doc.lines[s].kind == Line::Kind::Section && doc.lines[s].name == section))
        ++s;
    if (s == doc.lines.size()) {
        if (!doc.lines.empty()) {
            if (doc.lines.back().end.empty()) doc.lines.back().end = kCrLf;
            if (!blank(doc.lines.back().text))
                doc.lines.push_back(classify("", std::string(kCrLf)));
        }
        doc.lines.push_back(classify("[" + section1250 + "]", std::string(kCrLf)));
        doc.lines.push_back(newKey);
        return;
    }
    // After the last non-blank line of the section, so blank lines before the next section stay
    // where they are.
    std::size_t last = s;
    for (std::size_t i = s + 1; i < doc.lines.size(); ++i) {
        if (doc.lines[i].kind == Line::Kind::Section) break;
        if (!blank(doc.lines[i].text)) last = i;
    }
    if (doc.lines[last].end.empty()) doc.lines[last].end = kCrLf;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(last) + 1, newKey);
}

std::string errnoText(int err) {
    return std::strerror(err);
}

// false when the file does not exist; IniError when it exists and cannot be read.
bool readFile(const std::string& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        throw IniError("Soubor " + quoted(path) + " nelze přečíst: " + errnoText(errno));
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw IniError("Soubor " + quoted(path) + " nelze přečíst: " + errnoText(err));
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

Document loadForRead(const std::string& path) {
    std::string bytes;
    try {
        readFile(path, bytes);
    } catch (const IniError&) {
        // A file that cannot be read answers with the defaults, as a missing one does.
        return {};
    }
    return parse(bytes);
}

Document loadForWrite(const std::string& path) {
    std::string bytes;
    readFile(path, bytes);
    return parse(bytes);
}

void writeAtomically(const std::string& path, const std::string& bytes) {
    try {
        dbf::ReplacementFile novy(path);
        novy.write(bytes);
        novy.commit();
    } catch (const std::system_error& e) {
        throw IniError("Soubor " + quoted(path) + " nelze zapsat: " + errnoText(e.code().value()));
    }
}

struct Checked {
    std::string section, key, value;  // Windows-1250
};

// A name or value that would change the file's structure is refused before anything is written.
Checked check(const std::string& file, std::string_view section, std::string_view key,
              std::string_view value) {
    auto refuse = [&](const std::string& what) {
        throw IniError(what + " nelze zapsat do souboru " + quoted(file) + ".");
    };
    const std::string_view s = trim(section);
    const std::string_view k = trim(key);
    if (s.empty() || s.find_first_of("]\r\n") != std::string_view::npos)
        refuse("Sekci " + quoted(std::string(section)));
    if (k.empty() || k.find_first_of("=\r\n") != std::string_view::npos || k.front() == '[' ||
        k.front() == ';')
        refuse("Klíč " + quoted(std::string(key)));
    if (value.find_first_of("\r\n") != std::string_view::npos)
        refuse("Hodnotu klíče " + quoted(std::string(key)) + " s koncem řádku");
    return {cp::utf8ToCp1250(s), cp::utf8ToCp1250(k), encodeValue(value)};
}

bool lowerAsciiEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

int IniCislo(std::string_view hodnota, int vychozi) {
    const std::string_view v = trim(hodnota);
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        const std::string_view digits = v.substr(2);
        if (digits.size() > 8) return vychozi;
        std::uint32_t n = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n, 16);
        if (ec != std::errc() || end != digits.data() + digits.size()) return vychozi;
        return static_cast<int>(n);  // 0xFFFFFFFF is -1, as a 32-bit value
    }
    std::string_view d = v;
    if (!d.empty() && d.front() == '+') {
        d.remove_prefix(1);
        if (!d.empty() && d.front() == '-') return vychozi;
    }
    int n = 0;
    const auto [end, ec] = std::from_chars(d.data(), d.data() + d.size(), n, 10);
    if (ec != std::errc() || end != d.data() + d.size()) return vychozi;
    return n;
}

void ZapisText(const std::string& soubor, std::string_view sekce, std::string_view klic,
               std::string_view text) {
    const Checked c = check(soubor, sekce, klic, text);
    Document doc = loadForWrite(soubor);
    edit(doc, c.section, c.key, c.value);
    writeAtomically(soubor, serialize(doc));
}

std::string CtiText(const std::string& soubor, std::string_view sekce, std::string_view klic,
                    std::string_view vychozi) {
    const Document doc = loadForRead(soubor);
    const std::size_t k = findKey(doc, foldUser(sekce), foldUser(klic));
    if (k == std::string::npos) return std::string(vychozi);
    return decodeValue(rawValueOf(doc.lines[k]));
}

int CtiCislo(const std::string& soubor, std::string_view sekce, std::string_view klic,
             int vychozi) {
    const Document doc = loadForRead(soubor);
    const std::size_t k = findKey(doc, foldUser(sekce), foldUser(klic));
    if (k == std::string::npos) return vychozi;
    return IniCislo(valueOf(doc.lines[k]), vychozi);
}

void ZapisCislo(const std::string& soubor, std::string_view sekce, std::string_view klic,
                int hodnota) {
    ZapisText(soubor, sekce, klic, std::to_string(hodnota));
}

void ZapisAnoNe(const std::string& soubor, std::string_view sekce, std::string_view klic,
                bool hodnota) {
    ZapisText(soubor, sekce, klic, hodnota ? "1" : "0");
}

bool CtiAnoNe(const std::string& soubor, std::string_view sekce, std::string_view klic,
              bool vychozi) {
    return CtiCislo(soubor, sekce, klic, vychozi ? 1 : 0) != 0;
}

// ---- IniSoubor ----------------------------------------------------------------------------

struct IniSoubor::Data {
    // folded section -> folded key -> value (Windows-1250); the first occurrence wins
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> values;

    const std::string* find(std::string_view section, std::string_view key) const {
        const auto s = values.find(foldUser(section));
        if (s == values.end()) return nullptr;
        const auto k = s->second.find(foldUser(key));
        return k == s->second.end() ? nullptr : &k->second;
    }
};

IniSoubor::IniSoubor(const std::string& soubor) : d_(std::make_unique<Data>()) {
    const Document doc = loadForRead(soubor);
    std::unordered_map<std::string, std::string>* section = nullptr;
    for (const Line& line : doc.lines) {
        if (line.kind == Line::Kind::Section)
            section = &d_->values[line.name];
        else if (section != nullptr && line.kind == Line::Kind::Key)
            section->emplace(line.name, rawValueOf(line));
    }
}

IniSoubor::~IniSoubor() = default;
IniSoubor::IniSoubor(IniSoubor&&) noexcept = default;
IniSoubor& IniSoubor::operator=(IniSoubor&&) noexcept = default;

std::string IniSoubor::text(std::string_view sekce, std::string_view klic,
                            std::string_view vychozi) const {
    const std::string* v = d_->find(sekce, klic);
    return v == nullptr ? std::string(vychozi) : decodeValue(*v);
}

int IniSoubor::cislo(std::string_view sekce, std::string_view klic, int vychozi) const {
    const std::string* v = d_->find(sekce, klic);
    return v == nullptr ? vychozi : IniCislo(std::string_view(*v).substr(0, kIniMaxValue), vychozi);
}

bool IniSoubor::anoNe(std::string_view sekce, std::string_view klic, bool vychozi) const {
    return cislo(sekce, klic, vychozi ? 1 : 0) != 0;
}

bool IniSoubor::maKlic(std::string_view sekce, std::string_view klic) const {
    return d_->find(sekce, klic) != nullptr;
}

// ---- IniZapis -----------------------------------------------------------------------------

struct IniZapis::Data {
    std::string path;
    Document doc;
    bool changed = false;
};

IniZapis::IniZapis(std::string soubor) : d_(std::make_unique<Data>()) {
    d_->path = std::move(soubor);
    d_->doc = loadForWrite(d_->path);
}

IniZapis::~IniZapis() = default;

void IniZapis::text(std::string_view sekce, std::string_view klic, std::string_view text) {
    const Checked c = check(d_->path, sekce, klic, text);
    edit(d_->doc, c.section, c.key, c.value);
    d_->changed = true;
}

void IniZapis::cislo(std::string_view sekce, std::string_view klic, int hodnota) {
    text(sekce, klic, std::to_string(hodnota));
}

void IniZapis::anoNe(std::string_view sekce, std::string_view klic, bool hodnota) {
    text(sekce, klic, hodnota ? "1" : "0");
}

void IniZapis::uloz() {
    if (!d_->changed) return;
    writeAtomically(d_->path, serialize(d_->doc));
    d_->changed = false;
}

std::string IniZapis::obsah() const {
    return serialize(d_->doc);
}

// ---- Selection lists ----------------------------------------------------------------------

namespace {
class VectorTarget : public CilSeznamu {
  public:
    explicit VectorTarget(std::vector<std::string>& v) : v_(v) {}
    void vyprazdni() override { v_.clear(); }
    const std::vector<std::string>& polozky() const override { return v_; }
    void pridej(const std::string& polozka) override { v_.push_back(polozka); }

  private:
    std::vector<std::string>& v_;
};

void fill(const IniSoubor& ini, std::string_view sekce, CilSeznamu& cil, bool vyprazdnit,
          int pocet) {
    if (vyprazdnit) cil.vyprazdni();
    for (int n = 1; n <= pocet; ++n) {
        const std::string value = ini.text(sekce, std::to_string(n), "");
        if (!value.empty() && !JeVSeznamu(value, cil.polozky())) cil.pridej(value);
    }
}
}  // namespace

void NactiSeznam(const std::string& soubor, std::string_view sekce, CilSeznamu& cil,
                 bool vyprazdnit, int pocet) {
    fill(IniSoubor(soubor), sekce, cil, vyprazdnit, pocet);
}

void NactiSeznam(const std::string& soubor, std::string_view sekce, std::vector<std::string>& cil,
                 bool vyprazdnit, int pocet) {
    VectorTarget target(cil);
    fill(IniSoubor(soubor), sekce, target, vyprazdnit, pocet);
}

void NactiSeznam(const IniSoubor& ini, std::string_view sekce, std::vector<std::string>& cil,
                 bool vyprazdnit, int pocet) {
    VectorTarget target(cil);
    fill(ini, sekce, target, vyprazdnit, pocet);
}

bool JeVSeznamu(std::string_view text, const std::vector<std::string>& seznam) {
    return IndexVSeznamu(text, seznam) >= 0;
}

int IndexVSeznamu(std::string_view text, const std::vector<std::string>& seznam) {
    for (std::size_t i = 0; i < seznam.size(); ++i)
        if (lowerAsciiEqual(text, seznam[i])) return static_cast<int>(i);
    return -1;
}

}  // namespace lorvika
