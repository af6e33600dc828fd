#pragma once

#include <QComboBox>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "disc/CdDevice.h"
#include "disc/DriveList.h"
#include "store/Messages.h"

namespace lorvika {

// The drive list and the player's buttons of every window that reads discs. The list shows the
// entries as they are named (a chosen disc image by its file name, just above the entry that asks
// for one); an image chosen before is opened again without asking; a cancelled question leaves
// the entry in use chosen. The folder of the last image is kept in the INI file (sekce,
// "adresar_obrazu"), where the next question starts. The player's failures are shown through
// zpravy; prehravac and zpravy must outlive the widget.
class VolbaJednotky : public QWidget {
    Q_OBJECT
  public:
    VolbaJednotky(CdDevice& prehravac, std::vector<DriveEntry> jednotky, Messages& zpravy,
                  std::string ini, std::string sekce, QWidget* parent = nullptr);

    // Opens the player on the list's entry index (nothing for an index outside the list).
    void vyber(int index);
    // Chooses the first entry when it is a CD drive; false when the list starts with none.
    bool zvolPrvniMechaniku();
    // The entry in use; nullptr before any was chosen.
    const DriveEntry* zvolena() const;
    const std::vector<DriveEntry>& jednotky() const { return jednotky_; }

    // The file dialog for a disc image, starting in slozka ("" when cancelled).
    QString dialogObrazu(const QString& slozka);
    // Asks for a disc image starting in the given folder; dialogObrazu when empty.
    std::function<QString(const QString& slozka)> zeptejSeNaObraz;

    QComboBox* DriveCB;

  private:
    void ukazObraz(const std::string& obraz);

    CdDevice& prehravac_;
    std::vector<DriveEntry> jednotky_;
    Messages& zpravy_;
    std::string ini_;
    std::string sekce_;
    int zvolenaJednotka_ = -1;  // the entry of DriveCB in use
};

}  // namespace lorvika
