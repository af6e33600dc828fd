#include "albums/TFVyberVydani.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "albums/NoveCD.h"
#include "app/Ovladace.h"
#include "app/QtSluzby.h"
#include "app/TForm1.h"

namespace lorvika {

std::vector<QString> RadekVydani(const online::Release& v) {
    const std::string cislo = !v.catalogNumber.empty() ? v.catalogNumber : v.barcode;
    QString skladeb = QString::number(v.tracks.size());
    if (v.mediumCount > 1)
        skladeb += QStringLiteral(" (disk %1 z %2)").arg(v.mediumPosition).arg(v.mediumCount);
    return {QString::fromStdString(v.title),
            QString::fromStdString(v.artist),
            v.year() ? QString::number(v.year()) : QString(),
            QString::fromStdString(online::countryName(v.country)),
            QString::fromStdString(v.label),
            QString::fromStdString(cislo),
            skladeb,
            QString::fromStdString(v.source)};
}

TFVyberVydani::TFVyberVydani(TForm1* hlavni, const std::vector<online::Release>& vydani,
                             QWidget* parent)
    : TFVychozi(hlavni, QStringLiteral("FVyberVydani"), parent) {
    setWindowTitle(QStringLiteral("Vydání z internetu"));
    setModal(true);
    Seznam = new QTableWidget(static_cast<int>(vydani.size()), 8, this);
    Seznam->setObjectName(QStringLiteral("Seznam"));
    Seznam->setHorizontalHeaderLabels({QStringLiteral("Album"), QStringLiteral("Interpret"),
                                       QStringLiteral("Rok"), QStringLiteral("Země"),
                                       QStringLiteral("Vydavatel"),
                                       QStringLiteral("Katalogové číslo / čárový kód"),
                                       QStringLiteral("Skladeb"), QStringLiteral("Zdroj")});
    Seznam->setSelectionBehavior(QAbstractItemView::SelectRows);
    Seznam->setSelectionMode(QAbstractItemView::SingleSelection);
    Seznam->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Seznam->verticalHeader()->setVisible(false);
    for (std::size_t r = 0; r < vydani.size(); ++r) {
        const std::vector<QString> texty = RadekVydani(vydani[r]);
        for (std::size_t c = 0; c < texty.size(); ++c)
            Seznam->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(texty[c]));
    }
    Seznam->resizeColumnsToContents();
    if (!vydani.empty()) Seznam->selectRow(0);
    connect(Seznam, &QTableWidget::cellDoubleClicked, this, [this] { BOKClick(); });

    BOK->setText(QStringLiteral("Převzít"));
    BCancel->setText(QStringLiteral("Žádné"));
    BHelp->setVisible(false);
    auto* dole = radaTlacitek({BOK, BCancel});
    auto* l = new QVBoxLayout(this);
    l->addWidget(new QLabel(vydani.size() == 1
                                ? QStringLiteral("Na internetu bylo nalezeno toto vydání:")
                                : QStringLiteral("Na internetu bylo nalezeno více vydání, "
                                                 "vyberte to, které máte:"),
                            this));
    l->addWidget(Seznam, 1);
    l->addLayout(dole);
    resize(820, 300);
}

void TFVyberVydani::FormCreate() {
    if (QWidget* h = hlavni()) {
        const QRect g = h->geometry();
        move(g.left() + g.width() / 2 - width() / 2, g.top() + g.height() / 2 - height() / 2);
    }
}

void TFVyberVydani::BOKClick() {
    const int r = Seznam->currentRow();
    if (r >= 0) vybrane_ = static_cast<std::size_t>(r);
    accept();
}

std::optional<std::size_t> VyberVydani(TForm1& hlavni, QWidget* parent,
                                       const std::vector<online::Release>& vydani) {
    TFVyberVydani dialog(&hlavni, vydani, parent);
    dialog.FormCreate();
    dialog.exec();
    return dialog.vybrane();
}

KonecHledani VyhodnotHledani(TForm1& hlavni, QWidget* parent, const online::LookupResult& r,
                             const VolbaVydani& vyber, const QString& nenalezeno) {
    if (r.status == online::LookupResult::Status::Failed)
        return {QString::fromStdString(online::failureText(r.reason)), std::nullopt};
    if (r.releases.empty()) return {nenalezeno, std::nullopt};
    KonecHledani k{QStringLiteral("Nalezeno vydání: %1").arg(r.releases.size()), std::nullopt};
    const std::optional<std::size_t> volba =
        vyber ? vyber(r.releases) : VyberVydani(hlavni, parent, r.releases);
    if (volba && *volba < r.releases.size()) k.vydani = online::albumFill(r.releases[*volba]);
    return k;
}

bool PrepsatVyplnene(Messages& zpravy, bool vyplneno) {
    return vyplneno && zpravy.zobrazSPipnutim(kPrepsatZInternetu, MsgKind::Confirmation,
                                              kButtonsYesNo) == MsgButton::Yes;
}

void OznamOdmitnute(Messages& zpravy, const online::AlbumFill& vydani) {
    if (vydani.refused.empty()) return;
    zpravy.zobrazSPipnutim("Tyto texty z internetu nelze uložit, nebyly převzaty:" + vydani.refused,
                           MsgKind::Warning, kButtonsOK);
}

}  // namespace lorvika
