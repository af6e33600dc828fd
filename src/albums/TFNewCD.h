#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "albums/ModelSkladeb.h"
#include "albums/NoveCD.h"
#include "albums/PoleAlba.h"
#include "albums/TFVyberVydani.h"
#include "app/RegistrFormularu.h"
#include "app/TFormZaklad.h"
#include "disc/CdDevice.h"
#include "disc/DriveList.h"
#include "online/Lookup.h"

namespace lorvika {

class VolbaJednotky;

// The new-album window "Nové AudioCD".
class TFNewCD : public TFormZaklad, public PoleAlba {
    Q_OBJECT
  public:
    // Without a device the form opens the machine's CD drives through libcdio.
    explicit TFNewCD(TForm1* hlavni, std::unique_ptr<CdDevice> prehravac = nullptr);
    ~TFNewCD() override;

    void FormCreate() override;
    void FormClose() override;
    void BOKClick() override;

    void DriveCBChange(int index);
    void BNClick();
    // true when the typed rating is one of the words (then it is the rating index).
    bool CBHodnoceniChange();
    void PageCChange(int index);
    void MVTFMinusClick(int krok);
    void MVTUlozClick();
    void BCDTextClick();
    // "Vyhledat na internetu"; pressed again while searching it cancels.
    void BInternetClick();
    void HledaniHotovo(online::LookupResult vysledek);
    bool hledaSe() const { return hledani_ && hledani_->running(); }
    // The candidate choice; the dialog when empty (tests set it).
    VolbaVydani vyberVydani;
    void NulujEditTxt();
    void AktualizujComboBox();
    // The grid's column widths for its width.
    void FormResize();

    NoveCD& logika() { return *nove_; }
    CdDevice& prehravac() { return *MPlayer; }
    int velikostFontu() const;
    int hodnoceni() const { return hodnoceni_; }
    // Today for the change date; the system date unless a test sets it.
    std::function<QDate()> dnes;
    // Asks for a disc image starting in the given folder ("" when none is chosen); the file
    // dialog when empty.
    std::function<QString(const QString& slozka)> zeptejSeNaObraz;

    QTabWidget* PageC;
    QWidget* TSNacteni;
    QWidget* TSData;
    QWidget* TSSkladby;
    QComboBox* DriveCB;
    QPushButton* BN;
    QPushButton* BCDText;
    QPushButton* BInternet;
    QLabel* LStav;  // the window's status line
    QComboBox* CBArtist;
    QLineEdit* EPocStop;
    QLineEdit* MEDelka;
    QTableView* DBSkladby;
    QCheckBox* CBKonec;
    QMenuBar* MMenu;
    QMenu* MVzhled;
    QAction* MVTFMinus;
    QAction* MVTFPlus;
    QAction* MVTUloz;
    ModelSkladeb* model;
    VyberTypu* vyberTypu;

  protected:
    void aktivacePotomka() override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    void sestavNacteni();
    void sestavData();
    void sestavSkladby();
    void prectiVstupy();
    void zobrazVstupy();
    void nastavFont(int velikost);
    void ukazStranky(bool data);
    void pridejRadek();

    std::unique_ptr<CdDevice> MPlayer;
    std::unique_ptr<NoveCD> nove_;
    int hodnoceni_ = 0;
    // The row added by Insert, until the user leaves it (-1: none).
    int novyRadek_ = -1;
    VolbaJednotky* volba_ = nullptr;
    online::Lookup* hledani_ = nullptr;
    void zobrazZInternetu();
    void stav(const QString& text);
};

// Registers "FNewCD" (menu F5 and the navigator's "Nové") with the machine's CD drives.
void registrujTFNewCD(RegistrFormularu& registr);

}  // namespace lorvika
