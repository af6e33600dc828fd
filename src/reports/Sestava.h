#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "store/dbf/Cursor.h"

class QPagedPaintDevice;

// The three printed line lists of albums: one renderer that paints bands in millimetres on any
// paged device (a printer, its preview, a PDF file).
namespace lorvika {

// A report number other than 1, 2 or 3, or a device that cannot be painted on.
class ChybaSestavy : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct NastaveniSestavy {
    int typ = 1;         // 1 artist and album; 2 with the year; 3 with the genre
    bool velka = false;  // artist and album in capitals ("převod na velká písmena")
    QDate dnes;          // printed at the end; today when null
};

struct VysledekSestavy {
    int stran = 0;
    std::int64_t pocet = 0;  // albums printed
    std::int64_t delka = 0;  // their total length in seconds
};

// The print job's title: "Lorvika-tisk-1" for report 1, "Lorvika-tisk-2" for reports 2 and 3.
QString TitulekSestavy(int typ);
// The title line of every page.
QString HlavickaSestavy();

// Paints the report of every album the cursor sees, from its first record in its order (tag,
// range and filter as they are), onto the device: A4 portrait, margins 10/10/10/15 mm. The
// cursor is left wherever the painting ended; the caller puts it back. An empty cursor paints
// nothing and gives 0 pages. postup, when given, hears the count of albums painted now and then.
VysledekSestavy VykresliSestavu(QPagedPaintDevice& zarizeni, dbf::Cursor& alba,
                                const NastaveniSestavy& nastaveni,
                                const std::function<void(std::int64_t)>& postup = {});

// The same into a PDF file whose title is the report's title. Nothing is written for an empty
// cursor (0 pages); a file that cannot be written is a ChybaSestavy.
VysledekSestavy SestavaDoPdf(const std::string& soubor, dbf::Cursor& alba,
                             const NastaveniSestavy& nastaveni);

}  // namespace lorvika
