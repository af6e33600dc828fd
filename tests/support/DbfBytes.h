#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lorvika::test {

struct DbfField {
    std::string name;
    char type;
    int width;
    int decimals = 0;
};

struct DbfRecord {
    bool deleted = false;
    // Raw bytes; each is padded with blanks or cut to its column's width, a missing one is blank.
    std::vector<std::string> values;
};

// A dBase III table built byte by byte, independent of the engine: the header with the given
// language byte and year of the last update (since 1900), the column descriptors, the records
// and the end mark.
inline std::string dbfBytes(const std::vector<DbfField>& fields,
                            const std::vector<DbfRecord>& records, std::uint8_t language,
                            std::uint8_t year = 124) {
    int recordLength = 1;
    for (const DbfField& f : fields) recordLength += f.width;
    const int headerLength = 32 + 32 * static_cast<int>(fields.size()) + 1;
    std::string out(32, '\0');
    out[0] = 0x03;
    out[1] = static_cast<char>(year);
    out[2] = 5;
    out[3] = 17;
    const auto count = static_cast<std::uint32_t>(records.size());
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    out[8] = static_cast<char>(headerLength & 0xFF);
    out[9] = static_cast<char>(headerLength >> 8);
    out[10] = static_cast<char>(recordLength & 0xFF);
    out[11] = static_cast<char>(recordLength >> 8);
    out[29] = static_cast<char>(language);
    for (const DbfField& f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        d[16] = static_cast<char>(f.width);
        d[17] = static_cast<char>(f.decimals);
        out += d;
    }
    out += '\x0D';
    for (const DbfRecord& r : records) {
        out += r.deleted ? '*' : ' ';
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string v = i < r.values.size() ? r.values[i] : "";
            v.resize(static_cast<std::size_t>(fields[i].width), ' ');
            out += v;
        }
    }
    out += '\x1A';
    return out;
}

}  // namespace lorvika::test
