#pragma once

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <array>
#include <string>

#include "app/RegistrFormularu.h"
#include "app/TFVychozi.h"

namespace lorvika {

// "Konfigurace - výběrové položky": the six selection lists of the combo boxes.
class TFKonfVyb : public TFzaklkonfig {
    Q_OBJECT
  public:
    explicit TFKonfVyb(TForm1* hlavni, QWidget* parent = nullptr);

    void FormCreate() override;
    void PageControl1Change(int index);
    void NactiVyberDoLB(int seznam);
    bool KontrolaOK();
    void Button1Click();
    void Button6Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void ListBox1Click();
    void UlozZmenu();
    void BOKClick() override;
    void BCancelClick() override;

    bool zmeneno() const { return zmeneno_; }
    QStringList polozky(int seznam) const;

    QTabWidget* PageControl1;
    std::array<QListWidget*, 6> ListBox{};
    std::array<QLineEdit*, 6> Edit{};
    QPushButton* Button1;
    QPushButton* Button6;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;

  protected:
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void NastavComp(int seznam);

    int aktualni_ = 0;
    bool zmeneno_ = false;
};

// Registers "FKonfVyb" (Konfigurace › výběrové položky).
void registrujTFKonfVyb(RegistrFormularu& registr);

}  // namespace lorvika
