#pragma once

#include <QComboBox>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "albums/EditCD.h"
#include "app/TFVychozi.h"
#include "disc/CdDevice.h"
#include "disc/DriveList.h"

// The drive choice of the disc assignment: "Výběr AudioCD".
namespace lorvika {

class VolbaJednotky;

class TFVyberCD : public TFVychozi {
    Q_OBJECT
  public:
    TFVyberCD(TForm1* hlavni, std::unique_ptr<CdDevice> prehravac, std::vector<DriveEntry> jednotky,
              QWidget* parent = nullptr);
    ~TFVyberCD() override;

    void FormCreate() override;
    void DriveCBChange(int index);
    void BOKClick() override;

    bool potvrzeno() const { return potvrzeno_; }
    // The door was open or no disc was in the drive when OK was pressed.
    bool bezDisku() const { return bezDisku_; }
    const VybraneCD& vysledek() const { return vysledek_; }
    CdDevice& prehravac() { return *MPlayer; }
    VolbaJednotky& volba() { return *volba_; }

    QComboBox* DriveCB;

  private:
    std::unique_ptr<CdDevice> MPlayer;
    VolbaJednotky* volba_;
    bool potvrzeno_ = false;
    bool bezDisku_ = false;
    VybraneCD vysledek_;
};

// Shows the dialog modally and hands back the chosen disc; nothing when it was cancelled, when
// there was no disc (after its message) or when the device was not open (after its error).
std::optional<VybraneCD> VyberAudioCD(TForm1& hlavni, QWidget* parent,
                                      std::unique_ptr<CdDevice> prehravac,
                                      std::vector<DriveEntry> jednotky);

}  // namespace lorvika
