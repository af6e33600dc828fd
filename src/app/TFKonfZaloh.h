#pragma once

#include <QCheckBox>
#include <QLabel>

#include "app/TFVychozi.h"

namespace lorvika {

// Backup settings: automatic backup on or off, and a backup or a restore by hand.
class TFKonfZaloh : public TFzaklkonfig {
    Q_OBJECT
  public:
    explicit TFKonfZaloh(TForm1* hlavni);

    void FormCreate() override;
    void ChAutClick();
    void ChZalClick();
    void ChPouzClick();
    void BOKClick() override;

    QLabel* Label1;
    QCheckBox* ChAut;
    QLabel* LAnoNe;
    QLabel* Label2;
    QCheckBox* ChZal;
    QCheckBox* ChPouz;
};

}  // namespace lorvika
