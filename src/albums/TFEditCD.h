#pragma once

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "albums/EditCD.h"
#include "albums/ModelSkladeb.h"
#include "albums/PoleAlba.h"
#include "albums/TFVyberVydani.h"
#include "app/RegistrFormularu.h"
#include "app/TFormZaklad.h"
#include "disc/CdDevice.h"
#include "disc/DriveList.h"
#include "online/Lookup.h"

namespace lorvika {

// The edit window "Editace AudioCD": one album at a time with its tracks.
class TFEditCD : public TFZaklData, public PoleAlba {
    Q_OBJECT
  public:
    explicit TFEditCD(TForm1* hlavni);
    ~TFEditCD() override;

    void FormCreate() override;
    void FormClose() override;
    void BOKClick() override;

    void Aktualizuj();
    void AktualizujComboBox();
    bool BylaZmena();
    void CBZanrExit() { komboExit(KZanr); }
    void CBTypExit() { komboExit(KTyp); }
    void CBZemeExit() { komboExit(KZeme); }
    void CBVyd_FExit() { komboExit(KVydF); }
    bool CBHodnoceniChange();
    void DTPZmenaExit();
    bool ECenaExit();
    void MEVelkaClick() { prevedVyber(1, nullptr); }
    void MEMaleClick() { prevedVyber(-1, nullptr); }
    // The selection of the input w (the focused control when null) or the grid's current cell
    // to upper case, or lower case for smer -1.
    void prevedVyber(int smer, QWidget* w);
    void MENVseVelkeClick() { VseNaVelkeMale("NAME", 1); }
    void MENVseMaleClick() { VseNaVelkeMale("NAME", -1); }
    void MEUVseVelkeClick() { VseNaVelkeMale("ARTIST", 1); }
    void MEUVseMaleClick() { VseNaVelkeMale("ARTIST", -1); }
    void VseNaVelkeMale(const char* pole, int smer);
    void PageCChange(int index);
    void MVTFMinusClick(int krok);
    void MVTUlozClick();
    void PMPageNextClick();
    void PMPagePriorClick();
    void MRPriradClick();
    // "Doplnit z internetu": by the album's disc ID, else by artist and title.
    void MRInternetClick();
    void HledaniHotovo(online::LookupResult vysledek);
    bool hledaSe() const { return hledani_ && hledani_->running(); }
    // The candidate choice; the dialog when empty (tests set it).
    VolbaVydani vyberVydani;
    void FormResize();
    // Insert in the grid: a new row with the album's number and the next position.
    void pridejRadek();

    EditCD& logika() { return *edit_; }
    int velikostFontu() const;

    // Today for the change date; the system date unless a test sets it.
    std::function<QDate()> dnes;
    // The disc choice's device and drive list; the machine's drives through libcdio unless a
    // test sets them.
    std::function<std::unique_ptr<CdDevice>()> novyPrehravac;
    std::function<std::vector<DriveEntry>()> jednotky;

    QTabWidget* PageC;
    QWidget* TSData;
    QWidget* TSSkladby;
    QLineEdit* EArtist;
    QGroupBox* GBNemenne;
    QLineEdit* EPocStop;
    QLineEdit* MEDelka;
    QDateEdit* DTPZmena;
    QTableView* DBSkladby;
    ModelSkladeb* model;
    VyberTypu* vyberTypu;
    QMenu* MRuzne;
    QMenu* MEditace;
    QMenu* MENazev;
    QMenu* MEUmelec;
    QMenu* MVzhled;

  protected:
    void aktivacePotomka() override;
    void obnovZobrazeni() override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    // The window's state for the catalogue as it is: false (all disabled) without an album.
    bool pripravUpravy();
    void sestavData();
    void sestavSkladby();
    void sestavMenu();
    QLineEdit* vstupWidget(int vstup) const;
    QComboBox* komboWidget(int kombo) const;
    void prectiVstupy();
    void komboExit(int kombo);
    void nastavFont(int velikost);
    void dokonciRadek();
    void zahodPridany(int radek);
    void zapisRozpracovanou();

    std::unique_ptr<EditCD> edit_;
    online::Lookup* hledani_ = nullptr;
    // The row added by Insert, until the user leaves it (-1: none).
    int novyRadek_ = -1;
    // Loading fills the grid: that is no change of the user.
    bool nacitani_ = false;
};

// Registers "FEditCD" (menu F4 and the navigator's "Editace").
void registrujTFEditCD(RegistrFormularu& registr);

}  // namespace lorvika
