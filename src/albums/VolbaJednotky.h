#pragma once

#include <QComboBox>
#include <QWidget>
#include <vector>

#include "disc/CdDevice.h"
#include "disc/DriveList.h"
#include "store/Messages.h"

namespace lorvika {

// The drive list and the player's buttons of every window that reads discs: the drives and the
// disc-image entry in upper case, the buttons previous, play, stop, next and eject, and the
// choice of an entry, which asks for the file of a disc image. The player's failures are shown
// through zpravy; prehravac and zpravy must outlive the widget.
class VolbaJednotky : public QWidget {
    Q_OBJECT
  public:
    VolbaJednotky(CdDevice& prehravac, std::vector<DriveEntry> jednotky, Messages& zpravy,
                  QWidget* parent = nullptr);

    // Opens the player on the list's entry index (nothing for an index outside the list).
    void vyber(int index);
    const std::vector<DriveEntry>& jednotky() const { return jednotky_; }

    QComboBox* DriveCB;

  private:
    CdDevice& prehravac_;
    std::vector<DriveEntry> jednotky_;
    Messages& zpravy_;
};

}  // namespace lorvika
