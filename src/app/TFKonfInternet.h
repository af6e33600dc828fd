#pragma once

#include <QCheckBox>
#include <QLineEdit>

#include "app/TFVychozi.h"
#include "online/Lookup.h"

namespace lorvika {

// The online disc databases: whether to ask them at all, automatically after a disc is read,
// and which servers.
class TFKonfInternet : public TFzaklkonfig {
    Q_OBJECT
  public:
    explicit TFKonfInternet(TForm1* hlavni);

    void FormCreate() override;
    void BOKClick() override;
    // The values of the inputs.
    online::Settings nastaveni() const;

    QCheckBox* ChPovoleno;
    QCheckBox* ChAutomaticky;
    QLineEdit* EMusicBrainz;
    QLineEdit* EGnudb;
};

}  // namespace lorvika
