#include "lists/TFKonfVyb.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/HlidacTextu.h"
#include "app/Ovladace.h"
#include "app/TForm1.h"
#include "lists/Vyber.h"

namespace lorvika {

TFKonfVyb::TFKonfVyb(TForm1* hlavni, QWidget* parent)
    : TFzaklkonfig(hlavni, QStringLiteral("FKonfVyb"), parent) {
    setWindowTitle(QStringLiteral("Konfigurace - výběrové položky"));
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    const auto& seznamy = SeznamyVyberu();
    for (int i = 0; i < 6; ++i) {
        auto* strana = new QWidget;
        strana->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        ListBox[i] = new QListWidget(strana);
        ListBox[i]->setObjectName(QStringLiteral("ListBox%1").arg(i + 1));
        ListBox[i]->setSelectionMode(QAbstractItemView::SingleSelection);
        Edit[i] = new QLineEdit(strana);
        Edit[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        Edit[i]->setMaxLength(seznamy[static_cast<std::size_t>(i)].delka);
        HlidejText(Edit[i], seznamy[static_cast<std::size_t>(i)].zalozka, hlavni->zpravy());
        auto* l = new QVBoxLayout(strana);
        l->addWidget(new QLabel(QStringLiteral("Položky pro výběr:"), strana));
        l->addWidget(ListBox[i], 1);
        l->addWidget(new QLabel(QStringLiteral("Editovatelné pole:"), strana));
        l->addWidget(Edit[i]);
        PageControl1->addTab(strana, seznamy[static_cast<std::size_t>(i)].zalozka);
        connect(ListBox[i], &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
        connect(ListBox[i], &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    }
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int i) { PageControl1Change(i); });
    // Every tab caption in sight.
    PageControl1->setMinimumWidth(PageControl1->tabBar()->sizeHint().width() + 8);

    auto tlacitko = [this](const char* jmeno, const char* popis, const char* napoveda) {
        auto* b = new QPushButton(QString::fromUtf8(popis), this);
        b->setObjectName(QString::fromLatin1(jmeno));
        b->setAutoDefault(false);
        b->setStatusTip(QString::fromUtf8(napoveda));
        b->setToolTip(QString::fromUtf8(napoveda));
        return b;
    };
    Button1 =
        tlacitko("Button1", "Přidej", "přidá hodnotu z editovatelného pole do položek pro výběr");
    Button6 =
        tlacitko("Button6", "Přepiš",
                 "přepíše vybranou položku z položek pro výběr hodnotou z editovatelného pole");
    Button2 = tlacitko("Button2", "Vymaž", "vymaže vybranou položku");
    Button3 = tlacitko("Button3", "Vymaž vše", "vymaže všechny položky");
    Button4 = tlacitko("Button4", "Dej implicitní",
                       "přidá implicitní položky do položek pro výběr - stávající přepíše");
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });

    auto* panel = new QVBoxLayout;
    for (QPushButton* b : {Button1, Button6, Button2, Button3, Button4}) panel->addWidget(b);
    panel->addStretch();
    auto* stred = new QHBoxLayout;
    stred->addWidget(PageControl1, 1);
    stred->addLayout(panel);
    auto* dole = radaTlacitek({BOK, BCancel, BHelp});
    auto* l = new QVBoxLayout(this);
    l->addLayout(stred, 1);
    l->addLayout(dole);
    resize(520, 380);
}

void TFKonfVyb::FormCreate() {
    for (int i = 0; i < 6; ++i) {
        NastavComp(i);
        NactiVyberDoLB(i);
    }
    PageControl1->setCurrentIndex(0);
    NastavComp(0);
    zmeneno_ = false;
    TFzaklkonfig::FormCreate();
}

void TFKonfVyb::NastavComp(int seznam) {
    aktualni_ = seznam;
    Edit[seznam]->setMaxLength(SeznamyVyberu()[static_cast<std::size_t>(seznam)].delka);
}

void TFKonfVyb::PageControl1Change(int index) {
    if (index >= 0 && index < 6) NastavComp(index);
}

void TFKonfVyb::NactiVyberDoLB(int seznam) {
    QListWidget* lb = ListBox[seznam];
    lb->clear();
    lb->addItems(
        NactiVyber(hlavni()->ini(), SeznamyVyberu()[static_cast<std::size_t>(seznam)].sekce));
}

QStringList TFKonfVyb::polozky(int seznam) const {
    QStringList out;
    for (int i = 0; i < ListBox[seznam]->count(); ++i) out.append(ListBox[seznam]->item(i)->text());
    return out;
}

bool TFKonfVyb::KontrolaOK() {
    const std::string chyba = KontrolaPolozky(polozky(aktualni_), Edit[aktualni_]->text());
    if (chyba.empty()) return true;
    hlavni()->zpravy().zobrazSPipnutim(chyba, MsgKind::Warning, kButtonsOK);
    return false;
}

void TFKonfVyb::Button1Click() {
    if (!KontrolaOK()) return;
    ListBox[aktualni_]->addItem(Edit[aktualni_]->text());
    zmeneno_ = true;
}

void TFKonfVyb::Button6Click() {
    if (!KontrolaOK()) return;
    const QList<QListWidgetItem*> vybrane = ListBox[aktualni_]->selectedItems();
    if (vybrane.isEmpty()) return;
    vybrane.front()->setText(Edit[aktualni_]->text());
    zmeneno_ = true;
}

void TFKonfVyb::Button2Click() {
    const QList<QListWidgetItem*> vybrane = ListBox[aktualni_]->selectedItems();
    if (vybrane.isEmpty()) return;
    QListWidget* lb = ListBox[aktualni_];
    {
        // The next entry must not become the chosen one behind the user's back.
        const QSignalBlocker ticho(lb);
        delete lb->takeItem(lb->row(vybrane.front()));
        lb->setCurrentRow(-1);
        lb->clearSelection();
    }
    zmeneno_ = true;
}

void TFKonfVyb::Button3Click() {
    if (hlavni()->zpravy().zobrazSPipnutim("Opravdu vše vymazat ?", MsgKind::Confirmation,
                                           kButtonsYesNo) == MsgButton::No)
        return;
    ListBox[aktualni_]->clear();
    zmeneno_ = true;
}

void TFKonfVyb::Button4Click() {
    QStringList seznam = polozky(aktualni_);
    const int pred = static_cast<int>(seznam.size());
    PridejImplicitni(seznam, SeznamyVyberu()[static_cast<std::size_t>(aktualni_)].implicitni);
    for (qsizetype i = pred; i < seznam.size(); ++i) ListBox[aktualni_]->addItem(seznam[i]);
    zmeneno_ = true;
}

void TFKonfVyb::ListBox1Click() {
    const QList<QListWidgetItem*> vybrane = ListBox[aktualni_]->selectedItems();
    QListWidgetItem* p = vybrane.isEmpty() ? ListBox[aktualni_]->currentItem() : vybrane.front();
    if (p) Edit[aktualni_]->setText(p->text());
}

void TFKonfVyb::UlozZmenu() {
    const int aktivni = PageControl1->currentIndex();
    std::vector<std::pair<std::string, QStringList>> seznamy;
    for (int i = 0; i < 6; ++i)
        seznamy.emplace_back(SeznamyVyberu()[static_cast<std::size_t>(i)].sekce, polozky(i));
    UlozVyber(hlavni()->ini(), seznamy);
    zmeneno_ = false;
    NastavComp(aktivni);
    hlavni()->ObnovaFormularu(2);
}

void TFKonfVyb::BOKClick() {
    UlozZmenu();
    accept();
}

void TFKonfVyb::BCancelClick() {
    if (zmeneno_ &&
        hlavni()->zpravy().zobrazSPipnutim("Uložit provedené změny ?", MsgKind::Confirmation,
                                           kButtonsYesNo) == MsgButton::Yes)
        UlozZmenu();
    zavri();
}

// Escape is the cancel button; the window's close box discards the changes without asking.
void TFKonfVyb::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        BCancelClick();
        return;
    }
    TFzaklkonfig::keyPressEvent(e);
}

void registrujTFKonfVyb(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FKonfVyb"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFKonfVyb>(&h);
    });
}

}  // namespace lorvika
