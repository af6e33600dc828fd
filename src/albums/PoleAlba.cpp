#include "albums/PoleAlba.h"

#include <QFormLayout>

#include "app/Ovladace.h"

namespace lorvika {

QFormLayout* PoleAlba::vytvorPoleAlba(QWidget* p) {
    EAlbum = vstup(p, "EAlbum", 50);
    CBZanr = vyber(p, "CBZanr", 25);
    CBTyp = vyber(p, "CBTyp", 25);
    // A number is never cut short while typed ("199,90"): its check refuses what the column
    // cannot hold.
    ERok = vstup(p, "ERok", kDelkaCiselnehoVstupu);
    ECena = vstup(p, "ECena", kDelkaCiselnehoVstupu);
    CBZeme = vyber(p, "CBZeme", 25);
    CBHodnoceni = vyber(p, "CBHodnoceni", 20);
    GBVydavatel = new QGroupBox(QStringLiteral("Vydavatel:"), p);
    CBVyd_F = vyber(GBVydavatel, "CBVyd_F", 30);
    EVyd_P = vstup(GBVydavatel, "EVyd_P", 50);
    auto* vyd = new QFormLayout(GBVydavatel);
    vyd->addRow(QStringLiteral("Firma:"), CBVyd_F);
    vyd->addRow(QStringLiteral("Producent:"), EVyd_P);
    EZpev = vstup(p, "EZpev", 50);
    EKytar = vstup(p, "EKytar", 50);
    EBasa = vstup(p, "EBasa", 50);
    EBici = vstup(p, "EBici", 50);
    EKlav = vstup(p, "EKlav", 50);
    EHost = vstup(p, "EHost", 50);
    ESax = vstup(p, "ESax", 50);
    ETrubka = vstup(p, "ETrubka", 50);
    ESpecial = vstup(p, "ESpecial", 50);
    EPopis = vstup(p, "EPopis", 200);
    return vyd;
}

}  // namespace lorvika
