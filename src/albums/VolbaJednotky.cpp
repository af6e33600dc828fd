#include "albums/VolbaJednotky.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <optional>
#include <utility>

#include "store/Ini.h"

namespace lorvika {

namespace {

// The folder of the disc image chosen last, where the next file dialog starts.
constexpr const char* kKlicObrazu = "adresar_obrazu";

}  // namespace

VolbaJednotky::VolbaJednotky(CdDevice& prehravac, std::vector<DriveEntry> jednotky,
                             Messages& zpravy, std::string ini, std::string sekce, QWidget* parent)
    : QWidget(parent),
      prehravac_(prehravac),
      jednotky_(std::move(jednotky)),
      zpravy_(zpravy),
      ini_(std::move(ini)),
      sekce_(std::move(sekce)) {
    DriveCB = new QComboBox(this);
    DriveCB->setObjectName(QStringLiteral("DriveCB"));
    for (const DriveEntry& j : jednotky_) DriveCB->addItem(QString::fromStdString(j.label));
    DriveCB->setCurrentIndex(-1);

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

QString VolbaJednotky::dialogObrazu(const QString& slozka) {
    return QFileDialog::getOpenFileName(
        this, QStringLiteral("Obraz disku"), slozka,
        QStringLiteral("Obrazy disku (*.cue *.toc *.nrg *.bin);;Vše (*)"));
}

bool VolbaJednotky::zvolPrvniMechaniku() {
    if (jednotky_.empty() || jednotky_.front().kind != DriveEntry::Kind::CdDrive) return false;
    DriveCB->setCurrentIndex(0);
    vyber(0);
    return true;
}

const DriveEntry* VolbaJednotky::zvolena() const {
    if (zvolenaJednotka_ < 0 || zvolenaJednotka_ >= static_cast<int>(jednotky_.size()))
        return nullptr;
    return &jednotky_[static_cast<std::size_t>(zvolenaJednotka_)];
}

void VolbaJednotky::vyber(int index) {
    if (index < 0 || index >= static_cast<int>(jednotky_.size())) return;
    const DriveEntry vybrana = jednotky_[static_cast<std::size_t>(index)];
    try {
        if (vybrana.kind == DriveEntry::Kind::Image && !vybrana.path.empty()) {
            // An image chosen before: opened again without asking.
            prehravac_.close();
            prehravac_.setElement(vybrana.path);
            prehravac_.open(vybrana.path);
            zvolenaJednotka_ = index;
            return;
        }
        std::string obraz;
        const bool zvoleno = chooseDrive(prehravac_, vybrana, [&]() -> std::optional<std::string> {
            const QString slozka = QString::fromStdString(CtiText(ini_, sekce_, kKlicObrazu, ""));
            const QString f = zeptejSeNaObraz ? zeptejSeNaObraz(slozka) : dialogObrazu(slozka);
            if (f.isEmpty()) return std::nullopt;
            obraz = f.toStdString();
            return obraz;
        });
        if (!zvoleno) {
            // Cancelled: the list shows what is in use again.
            DriveCB->setCurrentIndex(zvolenaJednotka_);
            return;
        }
        if (vybrana.kind == DriveEntry::Kind::Image)
            ukazObraz(obraz);
        else
            zvolenaJednotka_ = index;
    } catch (const CdError& e) {
        zpravy_.zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
}

void VolbaJednotky::ukazObraz(const std::string& obraz) {
    const QFileInfo soubor(QString::fromStdString(obraz));
    ZapisText(ini_, sekce_, kKlicObrazu, soubor.absolutePath().toStdString());
    // The chosen image gets its own entry, just above "Obraz disku…", named by its file.
    const DriveEntry zaznam{DriveEntry::Kind::Image, obraz, soubor.fileName().toStdString()};
    int i = static_cast<int>(jednotky_.size()) - 1;
    if (i > 0 && jednotky_[static_cast<std::size_t>(i - 1)].kind == DriveEntry::Kind::Image) {
        --i;
        jednotky_[static_cast<std::size_t>(i)] = zaznam;
        DriveCB->setItemText(i, QString::fromStdString(zaznam.label));
    } else {
        jednotky_.insert(jednotky_.begin() + i, zaznam);
        DriveCB->insertItem(i, QString::fromStdString(zaznam.label));
    }
    DriveCB->setCurrentIndex(i);
    zvolenaJednotka_ = i;
}

}  // namespace lorvika
