#pragma once

#include <QTableWidget>
#include <functional>
#include <optional>
#include <vector>

#include "app/TFVychozi.h"
#include "online/AlbumFill.h"
#include "online/Lookup.h"
#include "online/Release.h"
#include "store/Messages.h"

// The choice among the releases the internet offers for a disc: "Vydání z internetu".
namespace lorvika {

class TFVyberVydani : public TFVychozi {
    Q_OBJECT
  public:
    TFVyberVydani(TForm1* hlavni, const std::vector<online::Release>& vydani,
                  QWidget* parent = nullptr);

    void FormCreate() override;
    void BOKClick() override;
    // The row chosen by OK; nothing for "Žádné" or when the dialog was closed.
    std::optional<std::size_t> vybrane() const { return vybrane_; }

    QTableWidget* Seznam;

  private:
    std::optional<std::size_t> vybrane_;
};

// The texts of one row: album, artist, year, country, label, catalogue number or barcode,
// number of tracks, source.
std::vector<QString> RadekVydani(const online::Release& vydani);

// Shows the dialog modally; the index of the chosen release.
std::optional<std::size_t> VyberVydani(TForm1& hlavni, QWidget* parent,
                                       const std::vector<online::Release>& vydani);

// What the album windows do when a lookup ends: the text for the status line and, when the user
// chose one of the releases (even a single one is shown to be confirmed), its values. vyber
// replaces the dialog when set (tests).
using VolbaVydani = std::function<std::optional<std::size_t>(const std::vector<online::Release>&)>;
struct KonecHledani {
    QString stav;
    std::optional<online::AlbumFill> vydani;
};
KonecHledani VyhodnotHledani(TForm1& hlavni, QWidget* parent, const online::LookupResult& r,
                             const VolbaVydani& vyber, const QString& nenalezeno);
// Asks before typed values are overwritten (only when there are any); true to overwrite.
bool PrepsatVyplnene(Messages& zpravy, bool vyplneno);
// The warning listing the texts that were not taken, when there are any.
void OznamOdmitnute(Messages& zpravy, const online::AlbumFill& vydani);

}  // namespace lorvika
