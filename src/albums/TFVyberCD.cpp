#include "albums/TFVyberCD.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "albums/VolbaJednotky.h"
#include "app/Ovladace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "disc/DiscIds.h"
#include "disc/Readout.h"

namespace lorvika {

TFVyberCD::TFVyberCD(TForm1* hlavni, std::unique_ptr<CdDevice> prehravac,
                     std::vector<DriveEntry> jednotky, QWidget* parent)
    : TFVychozi(hlavni, QStringLiteral("FVyberCD"), parent), MPlayer(std::move(prehravac)) {
    setWindowTitle(QStringLiteral("Výběr AudioCD"));
    setModal(true);
    volba_ = new VolbaJednotky(*MPlayer, std::move(jednotky), hlavni->zpravy(), hlavni->ini(),
                               "FVyberCD", this);
    DriveCB = volba_->DriveCB;
    connect(DriveCB, &QComboBox::activated, this, [this](int i) { DriveCBChange(i); });

    BHelp->setVisible(false);
    auto* dole = radaTlacitek({BOK, BCancel});
    auto* l = new QVBoxLayout(this);
    l->addWidget(new QLabel(QStringLiteral("Jednotka:"), this));
    l->addWidget(volba_);
    l->addStretch();
    l->addLayout(dole);
    resize(320, 150);
}

TFVyberCD::~TFVyberCD() = default;

void TFVyberCD::FormCreate() {
    if (QWidget* h = hlavni()) {
        const QRect g = h->geometry();
        move(g.left() + g.width() / 2 - width() / 2, g.top() + g.height() / 2 - height() / 2);
    }
    // A CD drive is chosen at once, so that OK reads the disc in it.
    volba_->zvolPrvniMechaniku();
    potvrzeno_ = false;
}

void TFVyberCD::DriveCBChange(int index) {
    volba_->vyber(index);
}

void TFVyberCD::BOKClick() {
    try {
        const std::string sn = NactiSN(*MPlayer);
        if (sn.empty() || MPlayer->mode() == CdMode::Open) {
            bezDisku_ = true;
        } else {
            vysledek_ = {sn, MPlayer->tracks(), MPlayer->length(), musicBrainzIdOf(*MPlayer)};
        }
        potvrzeno_ = true;
    } catch (const CdError& e) {
        // No device open (no CD drive chosen): the dialog still ends, cancelled.
        hlavni()->zpravy().zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
    if (potvrzeno_)
        accept();
    else
        QDialog::reject();
}

std::optional<VybraneCD> VyberAudioCD(TForm1& hlavni, QWidget* parent,
                                      std::unique_ptr<CdDevice> prehravac,
                                      std::vector<DriveEntry> jednotky) {
    std::optional<VybraneCD> vysledek;
    {
        TFVyberCD dialog(&hlavni, std::move(prehravac), std::move(jednotky), parent);
        dialog.FormCreate();
        dialog.exec();
        if (!dialog.potvrzeno()) return std::nullopt;
        if (dialog.bezDisku()) {
            hlavni.zpravy().zobrazSPipnutim(kNoAudioCd, MsgKind::Information, kButtonsOK);
            return std::nullopt;
        }
        vysledek = dialog.vysledek();
    }
    return vysledek;
}

}  // namespace lorvika
