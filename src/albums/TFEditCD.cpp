#include "albums/TFEditCD.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "albums/NoveCD.h"
#include "albums/TFVyberCD.h"
#include "albums/TFVyberVydani.h"
#include "app/HlidacTextu.h"
#include "app/Ovladace.h"
#include "app/Sdilene.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"
#include "disc/LibcdioDevice.h"
#include "store/Ini.h"
#include "store/codepage.h"

namespace lorvika {

namespace {

const QString kSekce = QStringLiteral("FEditCD");
constexpr const char* kKlicFontu = "tab_vel_font";
constexpr const char* kSmazatRadek = "Smazat záznam?";

QDate naQDate(const dbf::Date& d) {
    return QDate(d.year, d.month, d.day);
}

dbf::Date naDatum(const QDate& d) {
    return dbf::Date{d.year(), d.month(), d.day()};
}

std::string prevod(const std::string& text, int smer) {
    return smer == -1 ? cp::toLower(text) : cp::toUpper(text);
}

}  // namespace

TFEditCD::TFEditCD(TForm1* hlavni) : TFZaklData(hlavni, QStringLiteral("FEditCD")) {
    setWindowTitle(QStringLiteral("Editace AudioCD"));
    dnes = [] { return QDate::currentDate(); };
    novyPrehravac = [] { return std::make_unique<LibcdioDevice>(); };
    jednotky = [] { return listDrives(); };

    sestavMenu();
    PageC = new QTabWidget(this);
    PageC->setObjectName(QStringLiteral("PageC"));
    PageC->setTabPosition(QTabWidget::South);
    sestavData();
    sestavSkladby();
    connect(PageC, &QTabWidget::currentChanged, this, [this](int i) { PageCChange(i); });

    Panel1->setFixedSize(140, 28);
    auto* horni = new QHBoxLayout;
    horni->addWidget(Panel1);
    horni->addWidget(Label1, 1);
    Label1->setText(QStringLiteral("Editace AudioCD"));
    auto* tlacitka = radaTlacitek({BOK, BCancel, BHelp});
    rozvrhniOkno(this, MMenu, horni, PageC, tlacitka);
    PageCChange(0);
}

TFEditCD::~TFEditCD() = default;

void TFEditCD::sestavMenu() {
    const auto polozka = [this](QMenu* m, const char* text, const char* jmeno, const char* hint,
                                const QKeySequence& klic, void (TFEditCD::*akce)()) {
        QAction* a = novaAkce(this, QString::fromUtf8(text), QString::fromLatin1(jmeno),
                              QString::fromUtf8(hint), klic, Qt::WidgetWithChildrenShortcut);
        if (!klic.isEmpty()) addAction(a);
        if (m) m->addAction(a);
        connect(a, &QAction::triggered, this, [this, akce] { (this->*akce)(); });
        return a;
    };
    MRuzne = podmenu(MMenu, QStringLiteral("&Různé"), "MRuzne");
    polozka(MRuzne, "&přiřazení AudioCD", "MRPrirad", "možnost přiřazení jiného AudioCD", {},
            &TFEditCD::MRPriradClick);
    polozka(MRuzne, "&doplnit z internetu", "MRInternet",
            "doplní údaje alba z internetové databáze", {}, &TFEditCD::MRInternetClick);

    MEditace = podmenu(MMenu, QStringLiteral("&Editace"), "MEditace");
    polozka(MEditace, "&velká písmena", "MEVelka", "převede označený text na velká písmena",
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), &TFEditCD::MEVelkaClick);
    polozka(MEditace, "&malá písmena", "MEMale", "převede označený text na malá písmena",
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), &TFEditCD::MEMaleClick);
    MENazev = podmenu(MEditace, QStringLiteral("&název"), "MENazev");
    polozka(MENazev, "vše na &velká písmena", "MENVseVelke", "", {}, &TFEditCD::MENVseVelkeClick);
    polozka(MENazev, "vše na &malá písmena", "MENVseMale", "", {}, &TFEditCD::MENVseMaleClick);
    MEUmelec = podmenu(MEditace, QStringLiteral("&umělec/popis"), "MEUmelec");
    polozka(MEUmelec, "vše na &velká písmena", "MEUVseVelke", "", {}, &TFEditCD::MEUVseVelkeClick);
    polozka(MEUmelec, "vše na &malá písmena", "MEUVseMale", "", {}, &TFEditCD::MEUVseMaleClick);

    MVzhled = podmenu(MMenu, QStringLiteral("&Vzhled"), "MVzhled");
    for (const auto& [text, jmeno, krok] : {std::tuple{"font o bod &menší", "MVTFMinus", -1},
                                            std::tuple{"font o bod &větší", "MVTFPlus", 1}}) {
        QAction* a = MVzhled->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(jmeno));
        connect(a, &QAction::triggered, this, [this, k = krok] { MVTFMinusClick(k); });
    }
    polozka(MVzhled, "ulož vel. fontu", "MVTUloz", "uloží velikost fontu pro příští použití", {},
            &TFEditCD::MVTUlozClick);

    for (const auto& [jmeno, klic, akce] :
         {std::tuple{"PMPageNext", QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                     &TFEditCD::PMPageNextClick},
          std::tuple{"PMPagePrior", QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                     &TFEditCD::PMPagePriorClick}}) {
        QAction* a = polozka(PMenu, jmeno, jmeno, "", klic, akce);
        a->setText(QString::fromLatin1(jmeno));
    }
}

void TFEditCD::sestavData() {
    TSData = new QWidget;
    TSData->setObjectName(QStringLiteral("TSData"));
    auto* p = posuvnaPlocha(TSData);

    EArtist = vstup(p, "EArtist", 50);
    vytvorPoleAlba(p);
    GBNemenne = new QGroupBox(QStringLiteral("Neměnné"), p);
    GBNemenne->setObjectName(QStringLiteral("GBNemenne"));
    EPocStop = vstup(GBNemenne, "EPocStop", 4);
    EPocStop->setReadOnly(true);
    EPocStop->setAlignment(Qt::AlignRight);
    MEDelka = vstup(GBNemenne, "MEDelka", 8);
    MEDelka->setReadOnly(true);
    // One row: the two columns stay equally tall, and all of them fit the smallest window.
    auto* nemenne = new QHBoxLayout(GBNemenne);
    nemenne->addWidget(new QLabel(QStringLiteral("Počet stop:"), GBNemenne));
    nemenne->addWidget(EPocStop);
    nemenne->addWidget(new QLabel(QStringLiteral("Délka:"), GBNemenne));
    nemenne->addWidget(MEDelka);
    DTPZmena = new QDateEdit(p);
    DTPZmena->setObjectName(QStringLiteral("DTPZmena"));
    DTPZmena->setDisplayFormat(QStringLiteral("d.M.yyyy"));
    DTPZmena->setCalendarPopup(true);
    DTPZmena->setMinimumDate(QDate(1752, 9, 14));
    nastavNapovedu(DTPZmena, QStringLiteral("změň datum poslední provedené změny"));

    for (QWidget* w : std::initializer_list<QWidget*>{CBZanr, CBTyp, CBZeme, CBVyd_F, CBHodnoceni,
                                                      DTPZmena, ECena})
        w->installEventFilter(this);
    connect(CBHodnoceni, &QComboBox::currentTextChanged, this, [this] {
        if (!nacitani_) CBHodnoceniChange();
    });

    auto* levy = new QFormLayout;
    levy->addRow(QStringLiteral("Interpret:"), EArtist);
    levy->addRow(QStringLiteral("Album:"), EAlbum);
    levy->addRow(QStringLiteral("Žánr:"), CBZanr);
    levy->addRow(QStringLiteral("Typ:"), CBTyp);
    levy->addRow(QStringLiteral("Rok vydání:"), ERok);
    levy->addRow(QStringLiteral("Cena:"), ECena);
    levy->addRow(QStringLiteral("Původ:"), CBZeme);
    levy->addRow(QStringLiteral("Hodnocení:"), CBHodnoceni);
    levy->addRow(GBVydavatel);
    levy->addRow(QStringLiteral("Datum změny: "), DTPZmena);
    auto* pravy = new QFormLayout;
    pravy->addRow(QStringLiteral("Zpěv:"), EZpev);
    pravy->addRow(QStringLiteral("Kytara:"), EKytar);
    pravy->addRow(QStringLiteral("Basa:"), EBasa);
    pravy->addRow(QStringLiteral("Bicí:"), EBici);
    pravy->addRow(QStringLiteral("Klávesy:"), EKlav);
    pravy->addRow(QStringLiteral("Host:"), EHost);
    pravy->addRow(QStringLiteral("Saxofon:"), ESax);
    pravy->addRow(QStringLiteral("Trubka:"), ETrubka);
    pravy->addRow(QStringLiteral("Specialita:"), ESpecial);
    pravy->addRow(QStringLiteral("Popis:"), EPopis);
    pravy->addRow(GBNemenne);
    auto* l = new QHBoxLayout(p);
    l->addLayout(levy, 1);
    l->addLayout(pravy, 1);
    PageC->addTab(TSData, QStringLiteral("Data"));

    const auto popis = [](const char* sloupec) { return QString::fromUtf8(PopisSloupce(sloupec)); };
    Messages& zpravy = hlavni()->zpravy();
    for (int v = VAlbum; v <= VPopis; ++v)
        if (v != VRok) HlidejText(vstupWidget(v), popis(poleVstupu(v)), zpravy);
    for (int k = 0; k < PocetKomb; ++k) HlidejText(komboWidget(k), popis(poleKomba(k)), zpravy);
}

void TFEditCD::sestavSkladby() {
    TSSkladby = new QWidget;
    TSSkladby->setObjectName(QStringLiteral("TSSkladby"));
    DBSkladby = new QTableView(TSSkladby);
    DBSkladby->setObjectName(QStringLiteral("DBSkladby"));
    model = new ModelSkladeb(DBSkladby);
    model->setTitulek(ModelSkladeb::Interpret, QStringLiteral("Umělec/popis"));
    DBSkladby->setModel(model);
    vyberTypu = new VyberTypu(DBSkladby);
    vyberTypu->zpravy = &hlavni()->zpravy();
    DBSkladby->setItemDelegate(new HlidanyDelegat(hlavni()->zpravy(), DBSkladby));
    DBSkladby->setItemDelegateForColumn(ModelSkladeb::Typ, vyberTypu);
    DBSkladby->verticalHeader()->setVisible(true);
    DBSkladby->setWordWrap(false);
    DBSkladby->installEventFilter(this);
    // Every posted or deleted row of the work table is a change of the tracks.
    connect(model, &QAbstractItemModel::dataChanged, this, [this] {
        if (!nacitani_ && edit_) edit_->SkladbaZapsana();
    });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (!nacitani_ && edit_) edit_->SkladbaZapsana();
    });
    connect(model, &ModelSkladeb::delkaOdmitnuta, this, [this] {
        hlavni()->zpravy().zobrazSPipnutim(kDelkaNeniCas, MsgKind::Warning, kButtonsOK);
    });
    connect(DBSkladby->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& nyni, const QModelIndex& predtim) {
                model->setAktualni(nyni.row());
                const int novy = novyRadek_;
                if (novy < 0 || predtim.row() != novy || nyni.row() == novy) return;
                novyRadek_ = -1;
                // An added row left without anything typed in it is dropped again.
                if (model->jePrazdny(novy)) {
                    const int cil = nyni.row() > novy ? nyni.row() - 1 : nyni.row();
                    zahodPridany(novy);
                    QTimer::singleShot(0, DBSkladby, [this, cil, sloupec = nyni.column()] {
                        DBSkladby->setCurrentIndex(model->index(cil, sloupec));
                    });
                }
            });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { novyRadek_ = -1; });
    auto* l = new QVBoxLayout(TSSkladby);
    l->addWidget(DBSkladby);
    PageC->addTab(TSSkladby, QStringLiteral("Skladby"));
}

QLineEdit* TFEditCD::vstupWidget(int v) const {
    QLineEdit* const vstupy[] = {EAlbum, EArtist, ERok, EZpev,   EKytar,   EBasa,  EBici, EKlav,
                                 EHost,  EVyd_P,  ESax, ETrubka, ESpecial, EPopis, ECena};
    return vstupy[v];
}

QComboBox* TFEditCD::komboWidget(int k) const {
    QComboBox* const komba[] = {CBZanr, CBTyp, CBVyd_F, CBZeme};
    return komba[k];
}

bool TFEditCD::pripravUpravy() {
    // Without an album there is nothing to edit: no work table and nothing to type into.
    const bool alba = TData && TSkladby && !TData->isEmpty();
    PageC->setEnabled(alba);
    BOK->setEnabled(alba);
    for (QMenu* m : {MRuzne, MEditace, MVzhled}) m->menuAction()->setEnabled(alba);
    if (!alba) {
        edit_.reset();
        return false;
    }
    if (!edit_) {
        TForm1& h = *hlavni();
        edit_ = std::make_unique<EditCD>(
            h.session().engine(), *TData, *TSkladby, h.session().adresar(), h.cesty().programDir,
            h.session().adresarTXT(), h.zpravy(), [this] { return naDatum(dnes()); },
            [&h] { h.session().nastavCekaKomprese(true); });
    }
    return true;
}

void TFEditCD::FormCreate() {
    TFZaklData::FormCreate();
    if (!pripravUpravy()) {
        if (TData)
            hlavni()->zpravy().zobraz("V databázi není žádné AudioCD k editaci.",
                                      MsgKind::Information, kButtonsOK);
        return;
    }
    TForm1& h = *hlavni();
    PageC->setCurrentIndex(0);
    nastavFont(CtiCislo(h.ini(), kSekce.toStdString(), kKlicFontu, 9));
    AktualizujComboBox();
    Aktualizuj();
    FormResize();
}

void TFEditCD::FormClose() {
    model->setKurzor(nullptr);
    if (edit_) edit_->Zavri();
    TFZaklData::FormClose();
}

void TFEditCD::obnovZobrazeni() {
    // A sort change, refreshed lists or reopened cursors still show the loaded album: what the
    // user typed stays. Only another album is loaded.
    if (!edit_ || aktualniCislo() != edit_->cislo()) Aktualizuj();
}

void TFEditCD::aktivacePotomka() {
    const int kod = predavanyKod;
    predavanyKod = 0;
    if (kod == 1) {
        // The first album of an empty catalogue makes the window usable.
        if (!pripravUpravy()) return;
        hlavni()->StavovyText(QStringLiteral("Aktualizuji data"));
        Aktualizuj();
        hlavni()->StavovyText(QString());
    } else if (kod == 2) {
        AktualizujComboBox();
    }
}

void TFEditCD::Aktualizuj() {
    if (!edit_ || !TData || !TSkladby) return;
    nacitani_ = true;
    edit_->nastavKurzory(*TData, *TSkladby);
    model->setKurzor(nullptr);
    try {
        edit_->Aktualizuj();
    } catch (...) {
        nacitani_ = false;
        throw;
    }
    const EditCD& e = *edit_;
    for (int v = 0; v < PocetVstupu; ++v) {
        QLineEdit* w = vstupWidget(v);
        w->setText(QString::fromStdString(e.vstupy[static_cast<std::size_t>(v)].text));
        w->setCursorPosition(0);  // a long text shows its beginning
        w->setModified(false);
    }
    for (int k = 0; k < PocetKomb; ++k)
        komboWidget(k)->setCurrentText(
            QString::fromStdString(e.komba[static_cast<std::size_t>(k)].nacteno));
    MEDelka->setText(CasText(e.delka));
    EPocStop->setText(QString::number(e.pocetStop));
    NaplnHodnoceni(CBHodnoceni, e.hodnoceniNactene);
    DTPZmena->setDate(naQDate(e.datumNactene));
    model->setKurzor(e.pracovni());
    nacitani_ = false;
}

void TFEditCD::AktualizujComboBox() {
    TForm1& h = *hlavni();
    const char* const seznamy[] = {"zanr", "typ", "vyd_f", "zeme"};
    for (int k = 0; k < PocetKomb; ++k) {
        QComboBox* c = komboWidget(k);
        const QString text = c->currentText();
        NaplnCombo(h, c, QString::fromLatin1(poleKomba(k)), QString::fromLatin1(seznamy[k]), false);
        c->setCurrentText(text);
    }
    QStringList typy;
    NaplnSeznam(h, typy, QStringLiteral("TYP"), QStringLiteral("typ_skladba"), false);
    vyberTypu->seznam = typy;
}

void TFEditCD::prectiVstupy() {
    if (!edit_) return;
    EditCD& e = *edit_;
    for (int v = 0; v < PocetVstupu; ++v) {
        const QLineEdit* w = vstupWidget(v);
        auto& cil = e.vstupy[static_cast<std::size_t>(v)];
        cil.text = w->text().toStdString();
        cil.zmeneno = w->isModified();
    }
    for (int k = 0; k < PocetKomb; ++k)
        e.komba[static_cast<std::size_t>(k)].text = komboWidget(k)->currentText().toStdString();
    e.datum = naDatum(DTPZmena->date());
}

void TFEditCD::komboExit(int kombo) {
    if (!edit_) return;
    prectiVstupy();
    edit_->KomboExit(kombo);
}

void TFEditCD::DTPZmenaExit() {
    if (!edit_) return;
    prectiVstupy();
    edit_->DatumExit();
}

bool TFEditCD::ECenaExit() {
    return KontrolaCeny(ECena->text().toStdString(), hlavni()->zpravy());
}

bool TFEditCD::CBHodnoceniChange() {
    std::vector<std::string> slova;
    for (int i = 0; i < CBHodnoceni->count(); ++i)
        slova.push_back(CBHodnoceni->itemText(i).toStdString());
    const int i = IndexVSeznamu(CBHodnoceni->currentText().toStdString(), slova);
    if (i < 0) {
        CBHodnoceni->setFocus();
        return false;
    }
    if (edit_) edit_->hodnoceni = i;
    return true;
}

bool TFEditCD::BylaZmena() {
    if (!edit_) return false;
    prectiVstupy();
    return edit_->BylaZmena();
}

void TFEditCD::zapisRozpracovanou() {
    // An editor still open in the grid gives its text to the row first.
    QWidget* f = QApplication::focusWidget();
    while (f && f->parentWidget() != DBSkladby->viewport()) f = f->parentWidget();
    if (f) {
        QMetaObject::invokeMethod(DBSkladby, "commitData", Qt::DirectConnection,
                                  Q_ARG(QWidget*, f));
        QMetaObject::invokeMethod(
            DBSkladby, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, f),
            Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    }
}

void TFEditCD::dokonciRadek() {
    // A row still being added is kept when something was typed in it, dropped when empty.
    const int novy = novyRadek_;
    novyRadek_ = -1;
    if (novy >= 0 && novy < model->rowCount() && model->jePrazdny(novy)) zahodPridany(novy);
}

void TFEditCD::zahodPridany(int radek) {
    // Adding and dropping an empty row is no change of the tracks.
    {
        const QScopedValueRollback<bool> ticho(nacitani_, true);
        model->odeberRadek(radek);
    }
    if (edit_) edit_->PridanyZahozen();
}

void TFEditCD::BOKClick() {
    if (!edit_ || !TData || !TSkladby) return;
    zapisRozpracovanou();
    dokonciRadek();
    // What the user typed counts even when the focus has not left the input yet.
    for (int k = 0; k < PocetKomb; ++k) komboExit(k);
    DTPZmenaExit();
    prectiVstupy();
    edit_->nastavKurzory(*TData, *TSkladby);
    // The grid lets go of the work table while it is read and then refilled.
    model->setKurzor(nullptr);
    bool ulozeno = false;
    try {
        ulozeno = edit_->Uloz();
    } catch (...) {
        model->setKurzor(edit_->pracovni());
        throw;
    }
    if (!ulozeno) {
        model->setKurzor(edit_->pracovni());
        if (edit_->chybnyVstup >= 0) vstupWidget(edit_->chybnyVstup)->setFocus();
        return;
    }
    Aktualizuj();
    hlavni()->ObnovaFormularu(1);
    AktualizujComboBox();
}

void TFEditCD::prevedVyber(int smer, QWidget* w) {
    QWidget* f = w ? w : QApplication::focusWidget();
    if (auto* c = qobject_cast<QComboBox*>(f)) f = c->lineEdit();
    if (auto* e = qobject_cast<QLineEdit*>(f); e && !e->isReadOnly()) {
        // Inside a grid cell editor the cell takes the whole converted text below.
        if (!DBSkladby->isAncestorOf(e)) {
            if (e->hasSelectedText())
                e->insert(QString::fromStdString(prevod(e->selectedText().toStdString(), smer)));
            return;
        }
    }
    if (DBSkladby->isAncestorOf(f) || f == DBSkladby) {
        zapisRozpracovanou();
        const QModelIndex i = DBSkladby->currentIndex();
        if (!i.isValid()) return;
        const std::string text = i.data(Qt::EditRole).toString().toStdString();
        model->setData(i, QString::fromStdString(prevod(text, smer)), Qt::EditRole);
    }
}

void TFEditCD::VseNaVelkeMale(const char* pole, int smer) {
    if (!edit_) return;
    zapisRozpracovanou();
    const QModelIndex i = DBSkladby->currentIndex();
    model->setKurzor(nullptr);
    try {
        edit_->VseNaVelkeMale(pole, smer);
    } catch (...) {
        model->setKurzor(edit_->pracovni());
        throw;
    }
    model->setKurzor(edit_->pracovni());
    if (i.isValid()) DBSkladby->setCurrentIndex(model->index(i.row(), i.column()));
}

void TFEditCD::pridejRadek() {
    if (!edit_) return;
    edit_->PridejRadek();
    model->obnov();
    novyRadek_ = model->rowCount() - 1;
    DBSkladby->setCurrentIndex(model->index(novyRadek_, ModelSkladeb::Nazev));
}

void TFEditCD::PageCChange(int index) {
    const bool skladby = index == 1;
    MENazev->setEnabled(skladby);
    MEUmelec->setEnabled(skladby);
    MVzhled->menuAction()->setVisible(skladby);
}

void TFEditCD::PMPageNextClick() {
    PageC->setCurrentIndex((PageC->currentIndex() + 1) % PageC->count());
}

void TFEditCD::PMPagePriorClick() {
    PageC->setCurrentIndex((PageC->currentIndex() + PageC->count() - 1) % PageC->count());
}

int TFEditCD::velikostFontu() const {
    return DBSkladby->font().pointSize();
}

void TFEditCD::nastavFont(int velikost) {
    nastavPismoMrizky(DBSkladby, velikost);
}

void TFEditCD::MVTFMinusClick(int krok) {
    nastavFont(velikostFontu() + krok);
}

void TFEditCD::MVTUlozClick() {
    ZapisCislo(hlavni()->ini(), kSekce.toStdString(), kKlicFontu, velikostFontu());
}

void TFEditCD::MRPriradClick() {
    // The cursors may have been reopened since (backup, restore): the logic gets them anew.
    if (!edit_ || edit_->cislo() == 0 || !TData || !TSkladby) return;
    edit_->nastavKurzory(*TData, *TSkladby);
    const std::optional<VybraneCD> cd = VyberAudioCD(*hlavni(), this, novyPrehravac(), jednotky());
    if (cd) edit_->Prirad(*cd);
}

void TFEditCD::MRInternetClick() {
    if (!edit_ || edit_->cislo() == 0) return;
    if (hledaSe()) {
        hledani_->cancel();
        hlavni()->StavovyText(QStringLiteral("Hledání na internetu zrušeno"));
        return;
    }
    const online::Settings internet = online::readSettings(hlavni()->ini());
    if (!internet.enabled) {
        hlavni()->StavovyText(QStringLiteral("Vyhledávání na internetu je v nastavení vypnuto"));
        return;
    }
    prectiVstupy();
    if (!hledani_) hledani_ = new online::Lookup(this);
    hlavni()->StavovyText(QStringLiteral("Hledám na internetu…"));
    const EditCD& e = *edit_;
    hledani_->startForAlbum(e.mbid(), e.vstupy[VArtist].text, e.vstupy[VAlbum].text, e.pocetStop,
                            internet,
                            [this](online::LookupResult r) { HledaniHotovo(std::move(r)); });
}

void TFEditCD::HledaniHotovo(online::LookupResult r) {
    if (!edit_ || edit_->cislo() == 0) return;
    const KonecHledani k =
        VyhodnotHledani(*hlavni(), this, r, vyberVydani,
                        QStringLiteral("Album nebylo v internetové databázi nalezeno"));
    hlavni()->StavovyText(k.stav);
    if (!k.vydani) return;
    prectiVstupy();
    EditCD& e = *edit_;
    e.PrevezmiZInternetu(*k.vydani, PrepsatVyplnene(hlavni()->zpravy(), e.maVyplnenoProInternet()));
    for (int v : {VAlbum, VArtist, VRok}) {
        const EditCD::Vstup& s = e.vstupy[static_cast<std::size_t>(v)];
        if (!s.zmeneno) continue;
        vstupWidget(v)->setText(QString::fromStdString(s.text));
        vstupWidget(v)->setModified(true);
    }
    for (int k2 : {KVydF, KZeme})
        komboWidget(k2)->setCurrentText(
            QString::fromStdString(e.komba[static_cast<std::size_t>(k2)].text));
    model->obnov();
    OznamOdmitnute(hlavni()->zpravy(), *k.vydani);
}

void TFEditCD::FormResize() {
    SirkySloupcu(DBSkladby, {50, 230, 90, 90, 55}, 25);
}

void TFEditCD::resizeEvent(QResizeEvent* e) {
    const int font = velikostFontu();
    TFZaklData::resizeEvent(e);
    nastavFont(font);
    // The navigation buttons grow with the window; their panel takes what they need.
    const QRect tlacitka = Panel1->childrenRect();
    Panel1->setFixedSize(tlacitka.right() + 1, tlacitka.bottom() + 1);
    FormResize();
}

bool TFEditCD::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::FocusOut) {
        // A message box or a popup taking the focus is no leaving of the input.
        const auto duvod = static_cast<QFocusEvent*>(e)->reason();
        const bool odchod = duvod != Qt::ActiveWindowFocusReason && duvod != Qt::PopupFocusReason;
        if (odchod) {
            if (o == CBZanr) CBZanrExit();
            if (o == CBTyp) CBTypExit();
            if (o == CBZeme) CBZemeExit();
            if (o == CBVyd_F) CBVyd_FExit();
            if (o == DTPZmena) DTPZmenaExit();
            if (o == CBHodnoceni && !CBHodnoceniChange())
                QTimer::singleShot(0, CBHodnoceni, [c = CBHodnoceni] { c->setFocus(); });
            if (o == ECena && !ECenaExit())
                QTimer::singleShot(0, ECena, [c = ECena] { c->setFocus(); });
        }
    } else if (o == DBSkladby && e->type() == QEvent::Resize) {
        // The grid gets its width only when its page is first shown.
        QTimer::singleShot(0, this, [this] { FormResize(); });
    } else if (o == DBSkladby && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Insert) {
            pridejRadek();
            return true;
        }
        if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
            const int radek = DBSkladby->currentIndex().row();
            if (radek >= 0 &&
                hlavni()->zpravy().zobrazSPipnutim(kSmazatRadek, MsgKind::Confirmation,
                                                   kButtonsYesNo) == MsgButton::Yes)
                model->odeberRadek(radek);
            return true;
        }
    }
    return TFZaklData::eventFilter(o, e);
}

void registrujTFEditCD(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FEditCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFEditCD>(&h);
    });
}

}  // namespace lorvika
