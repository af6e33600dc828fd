#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

#include "app/TFVychozi.h"

// Factories of the child windows and dialogs by form name, filled by the program entry, so
// that the main window never needs to know the album forms.
namespace lorvika {

class TForm1;
class TFVychozi;

using TovarnaFormulare = std::function<std::unique_ptr<TFVychozi>(TForm1&)>;

class RegistrFormularu {
  public:
    // name: the form name ("FViewCD", "FKonfVyb"); compared ignoring letter case.
    void registruj(const QString& name, TovarnaFormulare tovarna) {
        tovarny_.insert(name.toLower(), std::move(tovarna));
    }
    bool ma(const QString& name) const { return tovarny_.contains(name.toLower()); }
    std::unique_ptr<TFVychozi> vytvor(const QString& name, TForm1& hlavni) const {
        const auto it = tovarny_.constFind(name.toLower());
        return it == tovarny_.cend() ? nullptr : (*it)(hlavni);
    }

  private:
    QHash<QString, TovarnaFormulare> tovarny_;
};

}  // namespace lorvika
