#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "about/VerzniZdroj.h"
#include "app/RegistrFormularu.h"
#include "app/TFVychozi.h"

namespace lorvika {

// The plain about dialog: reads the version values and lays them out beside the icon.
class TFMAbout : public TFVychozi {
    Q_OBJECT
  public:
    // Without a resource every value stays empty (a build without version values).
    TFMAbout(TForm1* hlavni, std::optional<VerzniZdroj> zdroj, QWidget* parent = nullptr);

    void FormCreate() override;
    void ButtonOKClick() { accept(); }

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QPushButton* Button1;
    QWidget* Panel1;

  protected:
    std::optional<VerzniZdroj> zdroj_;
};

// The about box of the menu "&Info" › "&about": the plain dialog with the system menu and the
// maker's web and e-mail addresses.
class TFAbout : public TFMAbout {
    Q_OBJECT
  public:
    explicit TFAbout(TForm1* hlavni, std::optional<VerzniZdroj> zdroj = ZdrojProgramu(),
                     QWidget* parent = nullptr);

    QLineEdit* EWeb;
    QLineEdit* EMail;
};

// Registers "FAbout".
void registrujTFAbout(RegistrFormularu& registr);

}  // namespace lorvika
