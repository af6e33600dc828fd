#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <optional>
#include <string>

#include "app/ModelKurzoru.h"
#include "app/RegistrFormularu.h"
#include "app/TFormZaklad.h"
#include "lending/Pujceni.h"

namespace lorvika {

// The up-down control beside a days field: a position within a range, stepped by two arrows.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);
    int position() const { return position_; }
    void setPosition(int position);  // kept inside the range
    void setRange(int min, int max);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    // One step as a click on an arrow does (+1 or -1), from the number in the buddy field when
    // it holds one.
    void krok(int smer);
    void setBuddy(QLineEdit* buddy) { buddy_ = buddy; }

  signals:
    void kliknuto();

  private:
    QLineEdit* buddy_ = nullptr;
    int position_ = 0;
    int min_ = 0;
    int max_ = 100;
};

// The grid over the album view: "ANO"/"NE" of PUJ_ANONE centred.
class ModelPrehledu : public ModelKurzoru {
    Q_OBJECT
  public:
    using ModelKurzoru::ModelKurzoru;
    QVariant data(const QModelIndex& index, int role) const override;
};

// The lending window "Půjčení AudioCD": lending, return and count of the current album, and the
// overview of all, lent or overdue albums.
class TFPujCD : public TFZaklData {
    Q_OBJECT
  public:
    explicit TFPujCD(TForm1* hlavni);
    ~TFPujCD() override;

    void FormCreate() override;
    void FormClose() override;
    void BOKClick() override;

    bool JeAktKazPuj() const;
    void Aktualizuj();
    void Button2Click();
    void Button4Click();
    void Button5Click();
    void DateTimePicker1Change();
    void Edit7Exit();
    void UpDown1Click();
    void ComboBox1Exit();
    void PageControl1Change(int index);
    void RadioGroup1Click();
    void NastavDB(const std::string& adresar, DruhSeznamu druh);
    void DBGrid1TitleClick(int sloupec);
    void MVZMinusClick(int krok);
    void MVZUlozClick();
    void PMZal1Click();

    // The radio group's item (0 all, 1 lent, 2 overdue); setting it runs RadioGroup1Click when
    // it changes, as the original control did.
    int RadioGroup1Index() const;
    void setRadioGroup1Index(int index);
    int velikostFontu() const;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QLineEdit* DBArtist;
    QLineEdit* DBAlbum;
    QLineEdit* DBZanr;
    QLineEdit* DBEdit1;
    QLineEdit* DBRok;
    QLineEdit* Edit8;
    QTableView* DBGrid2;
    QLabel* stav;
    QWidget* Panel2;
    QDateEdit* DateTimePicker1;
    QLabel* Label11;
    QLineEdit* Edit7;
    UpDown* UpDown1;
    QLabel* Label12;
    QComboBox* ComboBox1;
    QPushButton* Button2;
    QPushButton* Button4;
    QPushButton* Button5;
    QTableView* DBGrid1;
    QGroupBox* RadioGroup1;
    QButtonGroup* RadioGroup1Items;
    QMenu* MVZhled;
    QAction* MVZMinus;
    QAction* MVZPlus;
    QAction* MVZUloz;
    ModelPrehledu* prehled;
    ModelKurzoru* skladby;

  protected:
    void aktivacePotomka() override;
    void obnovZobrazeni() override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    bool ukazujeAlba() const;
    // While a list is shown "&Seřazení" offers only the orders its table has and saves none.
    void obnovRazeni();
    void sirkaSkladeb();
    void sestavPujceni();
    void sestavPrehled();
    void nastavDatum(const QDate& d);
    void naplnKomu();
    void zobrazAktualniVMrizce();
    bool maAlbum() const;
    void datumOpusten();
    // Shows the message and gives the picker the focus when its date lies before today.
    bool datumProslo();
    dbf::Date dnes() const;
    QDate dnesQ() const;

    bool nastavuji_ = false;    // the program sets the controls; their change handlers stay quiet
    bool hlasi_ = false;        // a message about the picker is shown
    bool datumZmenen_ = false;  // the user changed the picker since it was last checked
    bool zavira_ = false;
    int radio_ = 0;
    // The album "Umožnit půjčení" began the editing on (0: not editing).
    std::int64_t upravovane_ = 0;
    // The order of all albums while a list is shown.
    std::optional<std::string> tagVsech_;
};

// Registers "FPujCD" (menu F9 and the navigator's "Půjčení").
void registrujTFPujCD(RegistrFormularu& registr);

}  // namespace lorvika
