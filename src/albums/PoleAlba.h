#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>

class QFormLayout;

namespace lorvika {

// The year and price inputs take as much as a line input does.
inline constexpr int kDelkaCiselnehoVstupu = 32767;

// The album's inputs that the new-album and the edit window share, named and limited to their
// columns alike; each window adds its own artist input, lays them out and watches them.
struct PoleAlba {
    QLineEdit* EAlbum = nullptr;
    QComboBox* CBZanr = nullptr;
    QComboBox* CBTyp = nullptr;
    QLineEdit* ERok = nullptr;
    QLineEdit* ECena = nullptr;
    QComboBox* CBZeme = nullptr;
    QComboBox* CBHodnoceni = nullptr;
    QGroupBox* GBVydavatel = nullptr;
    QComboBox* CBVyd_F = nullptr;
    QLineEdit* EVyd_P = nullptr;
    QLineEdit* EZpev = nullptr;
    QLineEdit* EKytar = nullptr;
    QLineEdit* EBasa = nullptr;
    QLineEdit* EBici = nullptr;
    QLineEdit* EKlav = nullptr;
    QLineEdit* EHost = nullptr;
    QLineEdit* ESax = nullptr;
    QLineEdit* ETrubka = nullptr;
    QLineEdit* ESpecial = nullptr;
    QLineEdit* EPopis = nullptr;

    // Creates the inputs on `plocha` in tab order, the publisher's two in their group box.
    // Returns the group box's form layout.
    QFormLayout* vytvorPoleAlba(QWidget* plocha);
};

}  // namespace lorvika
