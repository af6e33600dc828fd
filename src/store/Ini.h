#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Windows-style INI files: Windows-1250 on disk (a value it cannot hold as UTF-8 behind the byte
// order mark, so paths round-trip), CRLF line ends written, any line end read,
// section and key names compared without regard to case. Texts at this interface are UTF-8.
namespace lorvika {

// A write the system refused, or a file that exists but cannot be read before a write.
// The message names the file.
class IniError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Values are read with this limit (in characters); longer values come back cut.
inline constexpr std::size_t kIniMaxValue = 1023;

// One-shot access: each call opens the file, does one read or write and closes it, so every
// read sees the latest write. A missing file or key yields the default. A write keeps every
// other byte of the file and replaces it atomically (temporary file + rename).
void ZapisText(const std::string& soubor, std::string_view sekce, std::string_view klic,
               std::string_view text);
std::string CtiText(const std::string& soubor, std::string_view sekce, std::string_view klic,
                    std::string_view vychozi);
// Decimal; "0x…" / "0X…" longer than two characters is hexadecimal; anything else that is
// not a whole number (or does not fit) gives the default.
int CtiCislo(const std::string& soubor, std::string_view sekce, std::string_view klic, int vychozi);
void ZapisCislo(const std::string& soubor, std::string_view sekce, std::string_view klic,
                int hodnota);
// Stored as "1" / "0"; read as a number, non-zero is true.
void ZapisAnoNe(const std::string& soubor, std::string_view sekce, std::string_view klic,
                bool hodnota);
bool CtiAnoNe(const std::string& soubor, std::string_view sekce, std::string_view klic,
              bool vychozi);

// The number rule of CtiCislo on a value already read.
int IniCislo(std::string_view hodnota, int vychozi);

// A file read once for many reads (bulk work); the same answers as the one-shot reads at the
// moment of loading.
class IniSoubor {
  public:
    explicit IniSoubor(const std::string& soubor);
    ~IniSoubor();
    IniSoubor(IniSoubor&&) noexcept;
    IniSoubor& operator=(IniSoubor&&) noexcept;

    std::string text(std::string_view sekce, std::string_view klic, std::string_view vychozi) const;
    int cislo(std::string_view sekce, std::string_view klic, int vychozi) const;
    bool anoNe(std::string_view sekce, std::string_view klic, bool vychozi) const;
    bool maKlic(std::string_view sekce, std::string_view klic) const;

  private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// Many writes to one file in one pass. uloz() writes exactly the bytes that the same writes
// done one by one with ZapisText would leave; nothing reaches the disk before it.
class IniZapis {
  public:
    explicit IniZapis(std::string soubor);  // IniError when the file exists but is unreadable
    ~IniZapis();
    IniZapis(const IniZapis&) = delete;
    IniZapis& operator=(const IniZapis&) = delete;

    void text(std::string_view sekce, std::string_view klic, std::string_view text);
    void cislo(std::string_view sekce, std::string_view klic, int hodnota);
    void anoNe(std::string_view sekce, std::string_view klic, bool hodnota);
    void uloz();
    // The bytes uloz() would write now, for a caller that stores many files and makes them
    // durable together.
    std::string obsah() const;

  private:
    struct Data;
    std::unique_ptr<Data> d_;
};

// Where a selection list goes: the items of a combo box (wired by the form) or a plain list.
class CilSeznamu {
  public:
    virtual ~CilSeznamu() = default;
    virtual void vyprazdni() = 0;
    virtual const std::vector<std::string>& polozky() const = 0;
    virtual void pridej(const std::string& polozka) = 0;
};

// Keys "1" .. pocet of the section, in order; non-empty values not yet in the target
// (JeVSeznamu) are appended. With vyprazdnit the target is emptied first.
void NactiSeznam(const std::string& soubor, std::string_view sekce, CilSeznamu& cil,
                 bool vyprazdnit, int pocet);
void NactiSeznam(const std::string& soubor, std::string_view sekce, std::vector<std::string>& cil,
                 bool vyprazdnit, int pocet);
void NactiSeznam(const IniSoubor& ini, std::string_view sekce, std::vector<std::string>& cil,
                 bool vyprazdnit, int pocet);

// Equal when the letters a-z match without regard to case and every other character
// (accented letters too) matches exactly: Rock = ROCK, Řeka ≠ řeka.
bool JeVSeznamu(std::string_view text, const std::vector<std::string>& seznam);
// Index of the first such item, -1 when none.
int IndexVSeznamu(std::string_view text, const std::vector<std::string>& seznam);

}  // namespace lorvika
