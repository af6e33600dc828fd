#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <memory>

#include "app/TAMEdit.h"
#include "search/Hledani.h"
#include "search/TFViewCD.h"

namespace lorvika {

class RegistrFormularu;

// The search window "Vyhledání AudioCD": the browser with the query page "Dotaz" in front of
// its pages. Up to 23 rows over the album and its tracks; OK filters the window's own album
// table, and the albums that pass are browsed and printed on the browser's pages.
class TFFiltrCD : public TFViewCD {
    Q_OBJECT
  public:
    explicit TFFiltrCD(TForm1* hlavni);
    ~TFFiltrCD() override;

    void FormCreate() override;
    void FormActivate() override;
    void PageCChange(int index) override;

    // The search (the OK button, the window's default button).
    void BOKClick() override;
    void AktualizujComboBox();
    // Shows or hides the tabs of the three result pages together.
    void DEPage(bool viditelne);
    void ZrusModifikaci();

    // The query as the controls hold it now.
    Dotaz CtiDotaz() const;
    // Whether the result pages are shown (the result state).
    bool vysledky() const;
    // The bound value of a rating combo (the index of the word last accepted).
    static int mezHodnoceni(const QComboBox* combo);

    QWidget* TSDotaz;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QGroupBox* GroupBox1;

    TAMEdit* FEAlbum;
    TAMEdit* FEName;
    TAMEdit* FEPStopOd;
    TAMEdit* FEPStopDo;
    TAMEdit* FERokOd;
    TAMEdit* FERokDo;
    TAMEdit* FECenaOd;
    TAMEdit* FECenaDo;
    TAMEdit* FEZpev;
    TAMEdit* FEKytar;
    TAMEdit* FEBasa;
    TAMEdit* FEBici;
    TAMEdit* FEKlav;
    TAMEdit* FEHost;
    TAMEdit* FESax;
    TAMEdit* FETrubka;
    TAMEdit* FESpecial;
    TAMEdit* FEPopis;
    TAMEdit* FEVyd_P;
    QComboBox* FCBArtist;
    QComboBox* FCBZanr;
    QComboBox* FCBTyp;
    QComboBox* FCBZeme;
    QComboBox* FCBTypS;
    QComboBox* FCBVyd_F;
    QComboBox* FCBHodnocOd;
    QComboBox* FCBHodnocDo;
    QCheckBox* CBRokOd;
    QCheckBox* CBRokDo;
    QCheckBox* CBCenaOd;
    QCheckBox* CBCenaDo;
    QCheckBox* CBHodnocOd;
    QCheckBox* CBHodnocDo;

  protected:
    void aktivacePotomka() override;
    void predZavrenimTData() override;
    void predZavrenimTSkladby() override;

  private:
    void sestavDotaz();
    // Entering and leaving the query controls.
    void hlidejFokus(QObject* o, QEvent* e);
    void ChBOClick(QCheckBox* box);
    void MezClick(QCheckBox* box);
    void FEEditExit(TAMEdit* e);
    // Bound edits on leaving: whole-number check and coupling of the two bounds of a row.
    void FEMezExit(TAMEdit* e);
    void FCBEnter(QComboBox* c);
    void FCBExit(QComboBox* c);
    void FCBHodnocOdExit(QComboBox* c, bool odchod);
    // The evaluation of the controls as they are now; made again after any change.
    bool vyhovuje(const dbf::Cursor& album);
    void dotazSeZmenil();

    std::unique_ptr<Vyhledavani> hledani_;
    QString vstupniText_;  // the text of the combo that last received the focus
    bool vKontrole_ = false;
    QObject* hlidac_ = nullptr;
};

void registrujTFFiltrCD(RegistrFormularu& registr);

}  // namespace lorvika
