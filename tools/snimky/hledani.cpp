// Pictures of the search window for the documentation, grabbed offscreen: the query page at the
// smallest size, at 1024 x 768 and at 1920 x 1080, and the first result page after a search.
// Usage: lorvika-hledani-snimky OUTDIR   (LORVIKA_HOME names a fresh program directory)
#include <QApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QPixmap>
#include <cstdio>
#include <memory>

#include "Snimky.h"
#include "app/Aplikace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "search/TFFiltrCD.h"

namespace {

// The information after a search is answered at once; everything else is printed.
class TicheZpravy : public lorvika::Messages {
  public:
    lorvika::MsgButton show(const std::string& text, lorvika::MsgKind, const lorvika::MsgButtons&,
                            lorvika::Sound, int) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        return lorvika::MsgButton::OK;
    }
};

void naplnKatalog(lorvika::TForm1& okno) {
    lorvika::dbf::Cursor& a = *okno.session().TData();
    lorvika::dbf::Cursor& s = *okno.session().TSkladby();
    const char* const alba[][4] = {
        {"Čechomor", "Proměny", "Folk", "2001"},
        {"Žlutý pes", "Kouzlo", "Rock", "1990"},
        {"Arakain", "Apage Satanas", "Metal", "1990"},
        {"Olympic", "Pták Rosomák", "Rock", "1969"},
    };
    int cislo = 0;
    for (const auto& r : alba) {
        a.append();
        a.setInteger("CISLO", ++cislo);
        a.setText("ARTIST", r[0]);
        a.setText("ALBUM", r[1]);
        a.setText("ZANR", r[2]);
        a.setText("ROK", r[3]);
        a.setInteger("PSTOP", 3);
        a.setInteger("HODNOC", 3 + cislo % 4);
        a.post();
        for (int t = 1; t <= 3; ++t) {
            s.append();
            s.setInteger("CD", cislo);
            s.setInteger("CISLO", t);
            s.setText("NAME", std::string(r[1]) + " " + std::to_string(t));
            s.setInteger("DELKA", 180 + 7 * t);
            s.post();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    snimky::offscreen();
    lorvika::Aplikace app(argc, argv);
    const QString out = snimky::slozka(argv[1]);
    TicheZpravy zpravy;
    lorvika::QtDialogs dialogy;
    lorvika::RegistrFormularu registr;
    lorvika::registrujTFFiltrCD(registr);
    std::optional<lorvika::SluzbyHlavnihoOkna> s = snimky::sluzby(zpravy, dialogy, registr);
    if (!s) return 1;
    auto okno = std::make_unique<lorvika::TForm1>(std::move(*s));
    dialogy.setParent(okno.get());
    snimky::spust(*okno);
    snimky::zpracuj();
    if (!okno->session().TData()) {
        std::fprintf(stderr, "no database open\n");
        return 1;
    }
    naplnKatalog(*okno);
    bool ok = true;

    const QSize velikosti[] = {okno->minimumSize(), QSize(1024, 768), QSize(1920, 1080)};
    for (const QSize& v : velikosti) {
        const QString rozmer = QStringLiteral("%1x%2").arg(v.width()).arg(v.height());
        okno->resize(v);
        snimky::zpracuj();
        auto* f =
            dynamic_cast<lorvika::TFFiltrCD*>(okno->otevriFormular(QStringLiteral("FFiltrCD")));
        if (!f) return 1;
        if (QMdiSubWindow* o = f->okno()) o->showMaximized();
        snimky::zpracuj();
        ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/dotaz-%1.png").arg(rozmer));
        if (v == QSize(1024, 768)) {
            f->FCBZanr->setEditText(QStringLiteral("rock"));
            f->findChild<QCheckBox*>(QStringLiteral("ChBS5"))->click();
            f->FEName->setText(QStringLiteral("kouzlo"));
            f->findChild<QCheckBox*>(QStringLiteral("ChBO3"))->click();
            f->CBRokDo->click();
            f->RadioButton1->click();
            snimky::zpracuj();
            ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/dotaz-vyplneny.png"));
            f->BOKClick();
            snimky::zpracuj();
            ok &= snimky::uloz(okno->grab(), out + QStringLiteral("/vysledek-hlavni.png"));
        }
        f->zavri();
        snimky::zpracuj();
    }
    okno->close();
    snimky::zpracuj();
    return ok ? 0 : 1;
}
