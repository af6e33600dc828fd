#include "albums/TFVyberCD.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "disc/Readout.h"

namespace lorvika {

TFVyberCD::TFVyberCD(TForm1* hlavni, std::unique_ptr<CdDevice> prehravac,
                     std::vector<DriveEntry> jednotky, QWidget* parent)
    : TFVychozi(hlavni, QStringLiteral("FVyberCD"), parent),
      MPlayer(std::move(prehravac)),
      jednotky_(std::move(jednotky)) {
    setWindowTitle(QStringLiteral("Výběr AudioCD"));
    setModal(true);
    DriveCB = new QComboBox(this);
    DriveCB->setObjectName(QStringLiteral("DriveCB"));
    for (const DriveEntry& j : jednotky_) DriveCB->addItem(QString::fromStdString(j.label));
    connect(DriveCB, &QComboBox::activated, this, [this](int i) { DriveCBChange(i); });

    auto* hrac = new QHBoxLayout;
    const std::pair<const char*, void (CdDevice::*)()> tlacitka[] = {
        {"|<", &CdDevice::previous}, {">", &CdDevice::play},  {"■", &CdDevice::stop},
        {">|", &CdDevice::next},     {"⏏", &CdDevice::eject},
    };
    for (const auto& [popis, akce] : tlacitka) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(popis));
        connect(b, &QToolButton::clicked, this, [this, akce] {
            try {
                ((*MPlayer).*akce)();
            } catch (const CdError& e) {
                this->hlavni()->zpravy().zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
            }
        });
        hrac->addWidget(b);
    }
    hrac->addStretch();

    BHelp->setVisible(false);
    auto* dole = new QHBoxLayout;
    dole->addStretch();
    dole->addWidget(BOK);
    dole->addWidget(BCancel);
    auto* l = new QVBoxLayout(this);
    l->addWidget(new QLabel(QStringLiteral("Jednotka:"), this));
    l->addWidget(DriveCB);
    l->addLayout(hrac);
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
    // The drive the list shows first, unless it is the entry that asks for an image file.
    if (!jednotky_.empty() && jednotky_.front().kind != DriveEntry::Kind::Image) {
        DriveCB->setCurrentIndex(0);
        DriveCBChange(0);
    }
    potvrzeno_ = false;
}

void TFVyberCD::DriveCBChange(int index) {
    if (index < 0 || index >= static_cast<int>(jednotky_.size())) return;
    try {
        chooseDrive(*MPlayer, jednotky_[static_cast<std::size_t>(index)],
                    [this]() -> std::optional<std::string> {
                        const QString f = QFileDialog::getOpenFileName(
                            this, QStringLiteral("Obraz disku"), {},
                            QStringLiteral("Obrazy disku (*.cue *.toc *.nrg *.bin);;Vše (*)"));
                        if (f.isEmpty()) return std::nullopt;
                        return f.toStdString();
                    });
    } catch (const CdError& e) {
        hlavni()->zpravy().zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
}

void TFVyberCD::BOKClick() {
    try {
        const std::string sn = NactiSN(*MPlayer);
        if (sn.empty() || MPlayer->mode() == CdMode::Open) {
            bezDisku_ = true;
        } else {
            vysledek_ = {sn, MPlayer->tracks(), MPlayer->length()};
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
