#include "reports/Sestava.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <vector>

#include "store/CasText.h"
#include "store/Catalogue.h"
#include "store/Verze.h"

namespace lorvika {

namespace {

// Page and bands, in millimetres from the top left corner of the printable area.
constexpr double kSirkaTisku = 210.0 - 10.0 - 10.0;
constexpr double kVyskaTisku = 297.0 - 10.0 - 15.0;
constexpr double kVyskaHlavicky = 12.0;
constexpr double kRadekTitulku = 4.0;  // the 8-point title line
constexpr double kHorniNadpisu = 5.0;  // the 11-point headings below it
constexpr double kVyskaNadpisu = 6.0;
constexpr double kVyskaRadku = 5.0;  // one album
constexpr double kVyskaSouhrnu = 8.0;
constexpr double kOdsazeniSouhrnu = 1.5;  // text below the rule along the summary's top

struct Sloupec {
    const char* nadpis;
    const char* pole;
    double levy;
    double sirka;
    Qt::Alignment zarovnani;
    bool velkaPismena;  // the print handler for capitals (artist and album only)
};

std::vector<Sloupec> sloupce(int typ) {
    switch (typ) {
        case 1:
            return {{"INTERPRET", "ARTIST", 1.3, 92.6, Qt::AlignLeft, true},
                    {"ALBUM", "ALBUM", 95.2, 92.6, Qt::AlignLeft, true}};
        case 2:
            return {{"INTERPRET", "ARTIST", 1.3, 84.7, Qt::AlignLeft, true},
                    {"ALBUM", "ALBUM", 87.3, 84.7, Qt::AlignLeft, true},
                    {"ROK", "ROK", 172.0, 13.2, Qt::AlignRight, false}};
        case 3:
            return {{"INTERPRET", "ARTIST", 1.3, 76.7, Qt::AlignLeft, true},
                    {"ALBUM", "ALBUM", 79.4, 76.7, Qt::AlignLeft, true},
                    {"ŽÁNR", "ZANR", 157.4, 31.8, Qt::AlignLeft, false}};
        default:
            throw ChybaSestavy("Chyba programu");
    }
}

QFont pismo(double body, bool tucne = false) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(body);
    f.setBold(tucne);
    return f;
}

// The text of a field as the forms show it: a year 0 is empty, texts lose their trailing blanks.
QString hodnota(const dbf::Cursor& c, const char* pole) {
    if (std::string_view(pole) == "ROK") return QString::fromStdString(RokText(c.integer(pole)));
    return QString::fromStdString(c.text(pole)).trimmed();
}

class Kreslic {
  public:
    Kreslic(QPagedPaintDevice& zarizeni, QPainter& p, int typ)
        : zarizeni_(zarizeni),
          p_(p),
          mm_(zarizeni.logicalDpiX() / 25.4),
          sloupce_(sloupce(typ)),
          titulek_(pismo(8)),
          nadpis_(pismo(11, true)),
          detail_(pismo(10)),
          souhrn_(pismo(9)),
          metrikaDetailu_(detail_, &zarizeni) {}

    void hlavicka() {
        p_.setFont(titulek_);
        text(0, 0, kSirkaTisku, kRadekTitulku, HlavickaSestavy(), Qt::AlignLeft);
        p_.setFont(nadpis_);
        for (std::size_t i = 0; i < sloupce_.size(); ++i) {
            const Sloupec& s = sloupce_[i];
            text(s.levy, kHorniNadpisu, s.sirka, kVyskaNadpisu, QString::fromUtf8(s.nadpis),
                 s.zarovnani);
            // Short vertical rules between the headings.
            if (i > 0) svisla(s.levy - 1.0, kHorniNadpisu + 0.5, kVyskaHlavicky - 1.0);
        }
        vodorovna(kVyskaHlavicky);
        y_ = kVyskaHlavicky + 1.0;
    }

    void radek(const dbf::Cursor& c, bool velka) {
        if (y_ + kVyskaRadku > kVyskaTisku) novaStrana();
        p_.setFont(detail_);
        for (const Sloupec& s : sloupce_) {
            QString t = hodnota(c, s.pole);
            if (velka && s.velkaPismena) t = t.toUpper();
            text(s.levy, y_, s.sirka, kVyskaRadku, orizni(t, s.sirka), s.zarovnani);
        }
        y_ += kVyskaRadku;
    }

    // At the bottom of the last page, on a page of its own when the lines left no room.
    void souhrn(std::int64_t pocet, std::int64_t delka, const QDate& dnes) {
        if (y_ + kVyskaSouhrnu > kVyskaTisku) novaStrana();
        const double horni = kVyskaTisku - kVyskaSouhrnu;
        vodorovna(horni);
        p_.setFont(souhrn_);
        const double y = horni + kOdsazeniSouhrnu;
        const double h = kVyskaSouhrnu - kOdsazeniSouhrnu;
        text(1.3, y, 11.5, h, QStringLiteral("počet:"), Qt::AlignLeft);
        text(13.0, y, 25.0, h, QString::number(pocet), Qt::AlignLeft);
        text(45.0, y, 24.0, h, QStringLiteral("délka celkem:"), Qt::AlignLeft);
        text(69.0, y, 40.0, h, QString::fromStdString(cas::textDny(delka)), Qt::AlignLeft);
        text(kSirkaTisku - 50.0, y, 50.0, h, QLocale().toString(dnes, QLocale::ShortFormat),
             Qt::AlignRight);
    }

    int stran() const { return stran_; }

  private:
    void novaStrana() {
        if (!zarizeni_.newPage()) throw ChybaSestavy("Další stránku sestavy nelze vytvořit.");
        ++stran_;
        hlavicka();
    }

    QRectF obdelnik(double x, double y, double w, double h) const {
        return {x * mm_, y * mm_, w * mm_, h * mm_};
    }
    void text(double x, double y, double w, double h, const QString& t, Qt::Alignment a) {
        p_.drawText(obdelnik(x, y, w, h),
                    static_cast<int>(a | Qt::AlignVCenter | Qt::TextSingleLine), t);
    }
    void vodorovna(double y) {
        p_.setPen(QPen(Qt::black, 0.25 * mm_));
        p_.drawLine(QPointF(0, y * mm_), QPointF(kSirkaTisku * mm_, y * mm_));
    }
    void svisla(double x, double od, double po) {
        p_.setPen(QPen(Qt::black, 0.2 * mm_));
        p_.drawLine(QPointF(x * mm_, od * mm_), QPointF(x * mm_, po * mm_));
    }
    // The text cut to what fits on one line of the column.
    QString orizni(const QString& t, double sirka) const {
        const double max = sirka * mm_;
        if (metrikaDetailu_.horizontalAdvance(t) <= max) return t;
        qsizetype dobre = 0;
        qsizetype spatne = t.size();
        while (spatne - dobre > 1) {
            const qsizetype k = (dobre + spatne) / 2;
            if (metrikaDetailu_.horizontalAdvance(t.left(k)) <= max)
                dobre = k;
            else
                spatne = k;
        }
        return t.left(dobre);
    }

    QPagedPaintDevice& zarizeni_;
    QPainter& p_;
    double mm_;
    std::vector<Sloupec> sloupce_;
    QFont titulek_, nadpis_, detail_, souhrn_;
    QFontMetricsF metrikaDetailu_;
    double y_ = 0;
    int stran_ = 1;
};

}  // namespace

QString TitulekSestavy(int typ) {
    if (typ < 1 || typ > 3) throw ChybaSestavy("Chyba programu");
    return typ == 1 ? QStringLiteral("Lorvika-tisk-1") : QStringLiteral("Lorvika-tisk-2");
}

QString HlavickaSestavy() {
    return QStringLiteral("Lorvika - Hobrane - ") +
           QString::fromUtf8(verze::kWeb);
}

VysledekSestavy VykresliSestavu(QPagedPaintDevice& zarizeni, dbf::Cursor& alba,
                                const NastaveniSestavy& nastaveni,
                                const std::function<void(std::int64_t)>& postup) {
    (void)sloupce(nastaveni.typ);  // a wrong report number fails before anything is painted
    VysledekSestavy v;
    alba.first();
    if (alba.eof()) return v;
    zarizeni.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                       QMarginsF(10, 10, 10, 15), QPageLayout::Millimeter));
    QPainter p;
    if (!p.begin(&zarizeni)) throw ChybaSestavy("Sestavu nelze vytisknout: výstup nelze otevřít.");
    Kreslic k(zarizeni, p, nastaveni.typ);
    k.hlavicka();
    for (; !alba.eof(); alba.next()) {
        k.radek(alba, nastaveni.velka);
        ++v.pocet;
        v.delka += alba.integer("DELKA");
        if (postup && v.pocet % 1000 == 0) postup(v.pocet);
    }
    k.souhrn(v.pocet, v.delka, nastaveni.dnes.isValid() ? nastaveni.dnes : QDate::currentDate());
    p.end();
    v.stran = k.stran();
    return v;
}

VysledekSestavy SestavaDoPdf(const std::string& soubor, dbf::Cursor& alba,
                             const NastaveniSestavy& nastaveni) {
    const QString titulek = TitulekSestavy(nastaveni.typ);
    alba.first();
    if (alba.eof()) return {};
    // The file appears only once the report is whole.
    QSaveFile vystup(QString::fromStdString(soubor));
    if (!vystup.open(QIODevice::WriteOnly))
        throw ChybaSestavy("Soubor " + soubor + " nelze zapsat.");
    VysledekSestavy v;
    {
        QPdfWriter pdf(&vystup);
        pdf.setTitle(titulek);
        pdf.setCreator(QStringLiteral("Lorvika"));
        v = VykresliSestavu(pdf, alba, nastaveni);
    }
    if (!vystup.commit()) throw ChybaSestavy("Soubor " + soubor + " nelze zapsat.");
    return v;
}

}  // namespace lorvika
