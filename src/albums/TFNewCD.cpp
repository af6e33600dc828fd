#include "albums/TFNewCD.h"

#include <QApplication>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "albums/TFVyberVydani.h"
#include "albums/VolbaJednotky.h"
#include "app/HlidacTextu.h"
#include "app/Ovladace.h"
#include "app/Sdilene.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"
#include "disc/LibcdioDevice.h"
#include "store/Ini.h"

namespace lorvika {

namespace {

const QString kSekce = QStringLiteral("FNewCD");
constexpr const char* kKlicFontu = "tab_vel_font";

std::string std8(const QString& s) {
    return s.toStdString();
}

QString q8(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

TFNewCD::TFNewCD(TForm1* hlavni, std::unique_ptr<CdDevice> prehravac)
    : TFormZaklad(hlavni, QStringLiteral("FNewCD")), MPlayer(std::move(prehravac)) {
    if (!MPlayer) MPlayer = std::make_unique<LibcdioDevice>();
    setWindowTitle(QStringLiteral("Nové AudioCD"));
    dnes = [] { return QDate::currentDate(); };

    MMenu = new QMenuBar(this);
    MMenu->setObjectName(QStringLiteral("MMenu"));
    MVzhled = podmenu(MMenu, QStringLiteral("&Vzhled"), "MVzhled");
    MVTFMinus = polozka(MVzhled, QStringLiteral("font o bod &menší"), "MVTFMinus");
    MVTFMinus->setData(-1);
    MVTFPlus = polozka(MVzhled, QStringLiteral("font o bod &větší"), "MVTFPlus");
    MVTFPlus->setData(1);
    MVTUloz = polozka(MVzhled, QStringLiteral("ulož vel. fontu"), "MVTUloz");
    MVTUloz->setStatusTip(QStringLiteral("uloží velikost fontu pro příští použití"));
    for (QAction* a : {MVTFMinus, MVTFPlus})
        connect(a, &QAction::triggered, this, [this, a] { MVTFMinusClick(a->data().toInt()); });
    connect(MVTUloz, &QAction::triggered, this, [this] { MVTUlozClick(); });

    PageC = new QTabWidget(this);
    PageC->setObjectName(QStringLiteral("PageC"));
    PageC->setTabPosition(QTabWidget::South);
    sestavNacteni();
    sestavData();
    sestavSkladby();
    connect(PageC, &QTabWidget::currentChanged, this, [this](int i) { PageCChange(i); });

    CBKonec = new QCheckBox(QStringLiteral("Ukončit po zadání"), this);
    CBKonec->setObjectName(QStringLiteral("CBKonec"));
    CBKonec->setChecked(true);

    auto* tlacitka = new QHBoxLayout;
    tlacitka->addWidget(CBKonec);
    tlacitka->addStretch();
    tlacitka->addWidget(BOK);
    tlacitka->addWidget(BCancel);
    tlacitka->addWidget(BHelp);
    LStav = new QLabel(this);
    LStav->setObjectName(QStringLiteral("LStav"));
    auto* hlavniRozlozeni = new QVBoxLayout(this);
    hlavniRozlozeni->setMenuBar(MMenu);
    hlavniRozlozeni->addWidget(Label1);
    hlavniRozlozeni->addWidget(PageC, 1);
    hlavniRozlozeni->addLayout(tlacitka);
    hlavniRozlozeni->addWidget(LStav);
    Label1->setText(QStringLiteral("Nové AudioCD"));

    ukazStranky(false);
}

TFNewCD::~TFNewCD() = default;

void TFNewCD::sestavNacteni() {
    TSNacteni = new QWidget;
    TSNacteni->setObjectName(QStringLiteral("TSNacteni"));
    volba_ = new VolbaJednotky(*MPlayer, listDrives(*MPlayer), hlavni()->zpravy(), hlavni()->ini(),
                               std8(kSekce), TSNacteni);
    DriveCB = volba_->DriveCB;
    // The window's own hook stays the one a test sets; empty means the file dialog.
    volba_->zeptejSeNaObraz = [this](const QString& slozka) {
        return zeptejSeNaObraz ? zeptejSeNaObraz(slozka) : volba_->dialogObrazu(slozka);
    };
    connect(DriveCB, &QComboBox::activated, this, [this](int i) { DriveCBChange(i); });

    BN = new QPushButton(QStringLiteral("Načtení dat z AudioCD"), TSNacteni);
    BN->setObjectName(QStringLiteral("BN"));
    connect(BN, &QPushButton::clicked, this, [this] { BNClick(); });

    auto* l = new QVBoxLayout(TSNacteni);
    l->addWidget(volba_);
    l->addWidget(BN);
    l->addStretch();
    PageC->addTab(TSNacteni, QStringLiteral("Načteni"));
}

void TFNewCD::sestavData() {
    TSData = new QWidget;
    TSData->setObjectName(QStringLiteral("TSData"));
    // The inputs scroll when the window is smaller than they need.
    auto* p = posuvnaPlocha(TSData);
    CBArtist = vyber(p, "CBArtist", 50);
    QFormLayout* vyd = vytvorPoleAlba(p);
    CBHodnoceni->installEventFilter(this);
    connect(CBHodnoceni, &QComboBox::currentTextChanged, this, [this] { CBHodnoceniChange(); });
    EPocStop = vstup(p, "EPocStop", 4);
    EPocStop->setReadOnly(true);
    MEDelka = vstup(p, "MEDelka", 8);
    MEDelka->setReadOnly(true);
    BCDText = new QPushButton(QStringLiteral("Převzít CD-TEXT"), p);
    BCDText->setObjectName(QStringLiteral("BCDText"));
    BCDText->setEnabled(false);
    connect(BCDText, &QPushButton::clicked, this, [this] { BCDTextClick(); });
    BInternet = new QPushButton(QStringLiteral("Vyhledat na internetu"), p);
    BInternet->setObjectName(QStringLiteral("BInternet"));
    BInternet->setEnabled(false);
    connect(BInternet, &QPushButton::clicked, this, [this] { BInternetClick(); });

    // Three columns of about eight rows: the page fits the window at its smallest size.
    const auto sloupec = [] {
        auto* f = new QFormLayout;
        f->setVerticalSpacing(3);
        f->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        return f;
    };
    auto* levy = sloupec();
    levy->addRow(QStringLiteral("Interpret:"), CBArtist);
    levy->addRow(QStringLiteral("Album:"), EAlbum);
    levy->addRow(QStringLiteral("Žánr:"), CBZanr);
    levy->addRow(QStringLiteral("Typ:"), CBTyp);
    levy->addRow(QStringLiteral("Rok vydání:"), ERok);
    levy->addRow(QStringLiteral("Cena:"), ECena);
    levy->addRow(QStringLiteral("Původ:"), CBZeme);
    levy->addRow(QStringLiteral("Hodnocení:"), CBHodnoceni);
    auto* stredni = sloupec();
    stredni->addRow(QStringLiteral("Zpěv:"), EZpev);
    stredni->addRow(QStringLiteral("Kytara:"), EKytar);
    stredni->addRow(QStringLiteral("Basa:"), EBasa);
    stredni->addRow(QStringLiteral("Bicí:"), EBici);
    stredni->addRow(QStringLiteral("Klávesy:"), EKlav);
    stredni->addRow(QStringLiteral("Host:"), EHost);
    stredni->addRow(QStringLiteral("Saxofon:"), ESax);
    stredni->addRow(QStringLiteral("Trubka:"), ETrubka);
    auto* pravy = sloupec();
    pravy->addRow(QStringLiteral("Specialita:"), ESpecial);
    pravy->addRow(QStringLiteral("Popis:"), EPopis);
    pravy->addRow(GBVydavatel);
    pravy->addRow(QStringLiteral("Počet stop:"), EPocStop);
    pravy->addRow(QStringLiteral("Délka:"), MEDelka);
    pravy->addRow(BCDText);
    pravy->addRow(BInternet);
    vyd->setVerticalSpacing(3);
    vyd->setContentsMargins(6, 3, 6, 3);
    auto* l = new QHBoxLayout(p);
    l->setContentsMargins(4, 4, 4, 4);
    l->addLayout(levy, 1);
    l->addLayout(stredni, 1);
    l->addLayout(pravy, 1);
    PageC->addTab(TSData, QStringLiteral("Data"));

    Messages& zpravy = hlavni()->zpravy();
    const std::pair<QWidget*, const char*> texty[] = {
        {CBArtist, "ARTIST"}, {EAlbum, "ALBUM"},  {CBZanr, "ZANR"},    {CBTyp, "TYP"},
        {CBZeme, "ZEME"},     {CBVyd_F, "VYD_F"}, {EVyd_P, "VYD_P"},   {EZpev, "ZPEV"},
        {EKytar, "KYTAR"},    {EBasa, "BASA"},    {EBici, "BICI"},     {EKlav, "KLAV"},
        {EHost, "HOST"},      {ESax, "SAX"},      {ETrubka, "TRUBKA"}, {ESpecial, "SPECIAL"},
        {EPopis, "POPIS"},
    };
    for (const auto& [w, sloupec] : texty) {
        const QString pole = QString::fromUtf8(PopisSloupce(sloupec));
        if (auto* c = qobject_cast<QComboBox*>(w))
            HlidejText(c, pole, zpravy);
        else
            HlidejText(static_cast<QLineEdit*>(w), pole, zpravy);
    }
}

void TFNewCD::sestavSkladby() {
    TSSkladby = new QWidget;
    TSSkladby->setObjectName(QStringLiteral("TSSkladby"));
    DBSkladby = new QTableView(TSSkladby);
    DBSkladby->setObjectName(QStringLiteral("DBSkladby"));
    model = new ModelSkladeb(DBSkladby);
    DBSkladby->setModel(model);
    vyberTypu = new VyberTypu(DBSkladby);
    vyberTypu->zpravy = &hlavni()->zpravy();
    DBSkladby->setItemDelegate(new HlidanyDelegat(hlavni()->zpravy(), DBSkladby));
    DBSkladby->setItemDelegateForColumn(ModelSkladeb::Typ, vyberTypu);
    DBSkladby->verticalHeader()->setVisible(true);
    DBSkladby->installEventFilter(this);
    connect(DBSkladby->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& nyni, const QModelIndex& predtim) {
                model->setAktualni(nyni.row());
                const int novy = novyRadek_;
                if (novy < 0 || predtim.row() != novy || nyni.row() == novy) return;
                novyRadek_ = -1;
                // An added row left without anything typed in it is dropped again.
                if (model->jePrazdny(novy)) {
                    const int cil = nyni.row() > novy ? nyni.row() - 1 : nyni.row();
                    model->odeberRadek(novy);
                    QTimer::singleShot(0, DBSkladby, [this, cil, sloupec = nyni.column()] {
                        DBSkladby->setCurrentIndex(model->index(cil, sloupec));
                    });
                }
            });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        novyRadek_ = -1;
        // A reset gives the columns their default widths back.
        FormResize();
    });
    connect(model, &ModelSkladeb::delkaOdmitnuta, this, [this] {
        hlavni()->zpravy().zobrazSPipnutim(kDelkaNeniCas, MsgKind::Warning, kButtonsOK);
    });
    auto* l = new QVBoxLayout(TSSkladby);
    l->addWidget(DBSkladby);
    PageC->addTab(TSSkladby, QStringLiteral("Skladby"));
}

void TFNewCD::FormCreate() {
    TFormZaklad::FormCreate();
    // Without an open catalogue the window can only be closed again.
    if (!TData || !TSkladby) return;
    nove_ = std::make_unique<NoveCD>(hlavni()->session().engine(), *TData, *TSkladby,
                                     hlavni()->cesty().programDir, hlavni()->session().adresarTXT(),
                                     hlavni()->zpravy(), [this] {
                                         const QDate d = dnes();
                                         return dbf::Date{d.year(), d.month(), d.day()};
                                     });
    // With a CD drive the window starts with it chosen, so that a disc's identity is always
    // built from the drive (the default device knows no medium serial). Only a machine without
    // a drive uses the default device; the reading then reports the closed device.
    if (!volba_->zvolPrvniMechaniku()) {
        try {
            MPlayer->open("");
        } catch (const CdError&) {
        }
    }
    PageC->setCurrentIndex(0);
    ukazStranky(false);
    nastavFont(CtiCislo(hlavni()->ini(), std8(kSekce), kKlicFontu, 10));
    NulujEditTxt();
    AktualizujComboBox();
}

void TFNewCD::FormClose() {
    model->setKurzor(nullptr);
    if (nove_) nove_->Zavri();
    TFormZaklad::FormClose();
}

void TFNewCD::aktivacePotomka() {
    if (predavanyKod == 2) AktualizujComboBox();
    predavanyKod = 0;
}

void TFNewCD::ukazStranky(bool data) {
    PageC->setTabVisible(1, data);
    PageC->setTabVisible(2, data);
    BOK->setEnabled(data);
    MVzhled->menuAction()->setVisible(PageC->currentIndex() > 0);
}

void TFNewCD::DriveCBChange(int index) {
    volba_->vyber(index);
}

void TFNewCD::BNClick() {
    if (!nove_ || !TData || !TSkladby) return;
    // A disc put into the chosen drive after it was chosen: the drive is opened now.
    const DriveEntry* zvolena = volba_->zvolena();
    if (!MPlayer->isOpen() && zvolena && zvolena->kind == DriveEntry::Kind::CdDrive) {
        try {
            lorvika::DriveCBChange(*MPlayer, zvolena->path);
        } catch (const CdError&) {
            // the reading below reports the closed device
        }
    }
    nove_->nastavKurzory(*TData, *TSkladby);
    // The grid lets go of the old work table before the reading replaces it.
    model->setKurzor(nullptr);
    bool nacteno = false;
    try {
        nacteno = nove_->NactiDisk(*MPlayer);
    } catch (const CdError& e) {
        hlavni()->zpravy().zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
    if (!nacteno) {
        if (nove_->nacteno()) model->setKurzor(nove_->pracovni());
        return;
    }
    EPocStop->setText(QString::number(nove_->pocetStop()));
    MEDelka->setText(MinSekText(nove_->delka() / 60, nove_->delka() % 60));
    model->setKurzor(nove_->pracovni());
    BCDText->setEnabled(nove_->maCdText());
    const online::Settings internet = online::readSettings(hlavni()->ini());
    BInternet->setEnabled(internet.enabled && !nove_->mbid().empty());
    ukazStranky(true);
    PageC->setCurrentIndex(1);
    FormResize();
    if (BInternet->isEnabled() && internet.automatic) BInternetClick();
}

void TFNewCD::prectiVstupy() {
    VstupyAlba& v = nove_->vstupy;
    const std::pair<std::string*, QString> hodnoty[] = {
        {&v.artist, CBArtist->currentText()},
        {&v.album, EAlbum->text()},
        {&v.zanr, CBZanr->currentText()},
        {&v.typ, CBTyp->currentText()},
        {&v.rok, ERok->text()},
        {&v.cena, ECena->text()},
        {&v.zeme, CBZeme->currentText()},
        {&v.vydF, CBVyd_F->currentText()},
        {&v.vydP, EVyd_P->text()},
        {&v.zpev, EZpev->text()},
        {&v.kytar, EKytar->text()},
        {&v.basa, EBasa->text()},
        {&v.bici, EBici->text()},
        {&v.klav, EKlav->text()},
        {&v.host, EHost->text()},
        {&v.sax, ESax->text()},
        {&v.trubka, ETrubka->text()},
        {&v.special, ESpecial->text()},
        {&v.popis, EPopis->text()},
    };
    for (const auto& [cil, text] : hodnoty) *cil = std8(text);
    v.hodnoceni = hodnoceni_;
}

void TFNewCD::zobrazVstupy() {
    const VstupyAlba& v = nove_->vstupy;
    CBArtist->setCurrentText(q8(v.artist));
    EAlbum->setText(q8(v.album));
    // A long text shows its beginning, not where the cursor of setText ends.
    for (QLineEdit* e : {CBArtist->lineEdit(), EAlbum})
        if (e) e->setCursorPosition(0);
}

void TFNewCD::BOKClick() {
    if (!nove_ || !nove_->nacteno() || !TData || !TSkladby) return;
    nove_->nastavKurzory(*TData, *TSkladby);
    prectiVstupy();
    if (nove_->Uloz() == 0) {
        if (const char* sloupec = ChybneCislo(nove_->vstupy))
            (std::string_view(sloupec) == "ROK" ? ERok : ECena)->setFocus();
        return;
    }
    if (CBKonec->isChecked()) {
        zavri();
        return;
    }
    PageC->setCurrentIndex(0);
    ukazStranky(false);
    NulujEditTxt();
    AktualizujComboBox();
    hlavni()->PocetCD(1, TData->recordCount());
}

void TFNewCD::NulujEditTxt() {
    if (nove_) nove_->NulujEditTxt();
    for (QComboBox* c : {CBArtist, CBZanr, CBTyp, CBZeme, CBVyd_F}) c->setCurrentText({});
    for (QLineEdit* e : {EAlbum, ERok, ECena, EVyd_P, EZpev, EKytar, EBasa, EBici, EKlav, EHost,
                         ESax, ETrubka, ESpecial, EPopis})
        e->clear();
    MEDelka->setText(QStringLiteral("00:00"));
    EPocStop->setText(QStringLiteral("1"));
    {
        // Emptying is no choice of the user: it must not pull the focus to the combo.
        const QSignalBlocker ticho(CBHodnoceni);
        CBHodnoceni->setCurrentText({});
    }
    hodnoceni_ = 0;
    BCDText->setEnabled(false);
    if (hledani_) hledani_->cancel();
    BInternet->setEnabled(false);
    BInternet->setText(QStringLiteral("Vyhledat na internetu"));
    LStav->clear();
    model->setKurzor(nullptr);
}

void TFNewCD::AktualizujComboBox() {
    TForm1& h = *hlavni();
    const std::pair<QComboBox*, const char*> vybery[] = {
        {CBZanr, "ZANR"}, {CBTyp, "TYP"}, {CBZeme, "ZEME"}, {CBVyd_F, "VYD_F"}};
    const char* const seznamy[] = {"zanr", "typ", "zeme", "vyd_f"};
    int i = 0;
    for (const auto& [combo, sloupec] : vybery) {
        // Refilling keeps what the user has typed.
        const QString text = combo->currentText();
        NaplnCombo(h, combo, QString::fromLatin1(sloupec), QString::fromLatin1(seznamy[i++]),
                   false);
        combo->setCurrentText(text);
    }
    const QString artist = CBArtist->currentText();
    NaplnCombo(h, CBArtist, QStringLiteral("ARTIST"), QString(), true);
    CBArtist->setCurrentText(artist);
    {
        const QSignalBlocker ticho(CBHodnoceni);
        NaplnHodnoceni(CBHodnoceni, 0);
    }
    hodnoceni_ = 0;
    QStringList typy;
    NaplnSeznam(h, typy, QStringLiteral("TYP"), QStringLiteral("typ_skladba"), false);
    vyberTypu->seznam = typy;
}

bool TFNewCD::CBHodnoceniChange() {
    QStringList slova;
    for (int i = 0; i < CBHodnoceni->count(); ++i) slova.append(CBHodnoceni->itemText(i));
    std::vector<std::string> polozky;
    for (const QString& s : slova) polozky.push_back(std8(s));
    const int i = IndexVSeznamu(std8(CBHodnoceni->currentText()), polozky);
    if (i < 0) {
        CBHodnoceni->setFocus();
        return false;
    }
    hodnoceni_ = i;
    return true;
}

bool TFNewCD::eventFilter(QObject* o, QEvent* e) {
    if (o == CBHodnoceni && e->type() == QEvent::FocusOut) {
        if (!CBHodnoceniChange())
            QTimer::singleShot(0, CBHodnoceni, [c = CBHodnoceni] { c->setFocus(); });
    } else if (o == DBSkladby && (e->type() == QEvent::Resize || e->type() == QEvent::Show)) {
        // The grid has its size only once its page is shown.
        QTimer::singleShot(0, this, [this] { FormResize(); });
    } else if (o == DBSkladby && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Insert) {
            pridejRadek();
            return true;
        }
        if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
            model->odeberRadek(DBSkladby->currentIndex().row());
            return true;
        }
    }
    return TFormZaklad::eventFilter(o, e);
}

void TFNewCD::pridejRadek() {
    if (!nove_ || !nove_->nacteno()) return;
    nove_->PridejRadek();
    model->obnov();
    novyRadek_ = model->rowCount() - 1;
    DBSkladby->setCurrentIndex(model->index(novyRadek_, ModelSkladeb::Nazev));
}

void TFNewCD::BCDTextClick() {
    if (!nove_) return;
    prectiVstupy();
    if (!nove_->PrevezmiCdText()) return;
    zobrazVstupy();
    model->obnov();
}

void TFNewCD::stav(const QString& text) {
    // The window's own line, and the program's status bar while the window is active.
    LStav->setText(text);
    hlavni()->StavovyText(text);
}

void TFNewCD::BInternetClick() {
    if (!nove_ || !nove_->nacteno()) return;
    if (hledaSe()) {
        hledani_->cancel();
        BInternet->setText(QStringLiteral("Vyhledat na internetu"));
        stav(QStringLiteral("Hledání na internetu zrušeno"));
        return;
    }
    const online::Settings internet = online::readSettings(hlavni()->ini());
    if (!internet.enabled) return;
    if (!hledani_) hledani_ = new online::Lookup(this);
    stav(QStringLiteral("Hledám na internetu…"));
    BInternet->setText(QStringLiteral("Zrušit hledání"));
    hledani_->start(nove_->toc(), internet,
                    [this](online::LookupResult r) { HledaniHotovo(std::move(r)); });
}

void TFNewCD::HledaniHotovo(online::LookupResult r) {
    BInternet->setText(QStringLiteral("Vyhledat na internetu"));
    const KonecHledani k =
        VyhodnotHledani(*hlavni(), this, r, vyberVydani,
                        QStringLiteral("Disk nebyl v internetové databázi nalezen"));
    stav(k.stav);
    if (!k.vydani) return;
    prectiVstupy();
    nove_->PrevezmiZInternetu(*k.vydani,
                              PrepsatVyplnene(hlavni()->zpravy(), nove_->maVyplnenoProInternet()));
    zobrazZInternetu();
    model->obnov();
    OznamOdmitnute(hlavni()->zpravy(), *k.vydani);
}

void TFNewCD::zobrazZInternetu() {
    zobrazVstupy();
    const VstupyAlba& v = nove_->vstupy;
    ERok->setText(q8(v.rok));
    CBVyd_F->setCurrentText(q8(v.vydF));
    CBZeme->setCurrentText(q8(v.zeme));
    // A long text shows its beginning.
    for (QComboBox* c : {CBArtist, CBVyd_F, CBZeme}) c->lineEdit()->setCursorPosition(0);
    EAlbum->setCursorPosition(0);
}

void TFNewCD::PageCChange(int index) {
    MVzhled->menuAction()->setVisible(index > 0);
}

int TFNewCD::velikostFontu() const {
    return DBSkladby->font().pointSize();
}

void TFNewCD::nastavFont(int velikost) {
    nastavPismoMrizky(DBSkladby, velikost);
}

void TFNewCD::MVTFMinusClick(int krok) {
    nastavFont(velikostFontu() + krok);
}

void TFNewCD::MVTUlozClick() {
    ZapisCislo(hlavni()->ini(), std8(kSekce), kKlicFontu, velikostFontu());
}

void TFNewCD::FormResize() {
    // The columns fill what the grid shows (without its row indicator and scroll bar); Délka
    // keeps its width.
    const int zbytek =
        DBSkladby->viewport()->width() - DBSkladby->columnWidth(ModelSkladeb::Delka) - 145 + 30;
    DBSkladby->setColumnWidth(ModelSkladeb::Pozice, 45);
    DBSkladby->setColumnWidth(ModelSkladeb::Typ, 100);
    if (zbytek <= 0) return;
    DBSkladby->setColumnWidth(ModelSkladeb::Nazev, zbytek * 190 / 300 - 15);
    DBSkladby->setColumnWidth(ModelSkladeb::Interpret, zbytek * 110 / 300 - 15);
}

void TFNewCD::resizeEvent(QResizeEvent* e) {
    const int font = velikostFontu();
    TFormZaklad::resizeEvent(e);
    nastavFont(font);
    FormResize();
}

void registrujTFNewCD(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FNewCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFNewCD>(&h);
    });
}

}  // namespace lorvika
