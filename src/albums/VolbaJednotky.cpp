#include "albums/VolbaJednotky.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>
#include <string>
#include <utility>

namespace lorvika {

VolbaJednotky::VolbaJednotky(CdDevice& prehravac, std::vector<DriveEntry> jednotky,
                             Messages& zpravy, QWidget* parent)
    : QWidget(parent), prehravac_(prehravac), jednotky_(std::move(jednotky)), zpravy_(zpravy) {
    DriveCB = new QComboBox(this);
    DriveCB->setObjectName(QStringLiteral("DriveCB"));
    for (const DriveEntry& j : jednotky_)
        DriveCB->addItem(QString::fromStdString(j.label).toUpper());

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
                (prehravac_.*akce)();
            } catch (const CdError& e) {
                zpravy_.zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
            }
        });
        hrac->addWidget(b);
    }
    hrac->addStretch();

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(DriveCB);
    l->addLayout(hrac);
}

void VolbaJednotky::vyber(int index) {
    if (index < 0 || index >= static_cast<int>(jednotky_.size())) return;
    try {
        chooseDrive(prehravac_, jednotky_[static_cast<std::size_t>(index)],
                    [this]() -> std::optional<std::string> {
                        const QString f = QFileDialog::getOpenFileName(
                            this, QStringLiteral("Obraz disku"), {},
                            QStringLiteral("Obrazy disku (*.cue *.toc *.nrg *.bin);;Vše (*)"));
                        if (f.isEmpty()) return std::nullopt;
                        return f.toStdString();
                    });
    } catch (const CdError& e) {
        zpravy_.zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
}

}  // namespace lorvika
