#pragma once

#include "search/TFViewCD.h"

namespace lorvika {

class RegistrFormularu;

// The removal window "Odstranění AudioCD": the browser with an OK button that removes the album
// shown, with its tracks and its player file; no printing.
class TFPrycCD : public TFViewCD {
    Q_OBJECT
  public:
    explicit TFPrycCD(TForm1* hlavni);

    void FormCreate() override;
    void BOKClick() override;
};

void registrujTFPrycCD(RegistrFormularu& registr);

}  // namespace lorvika
