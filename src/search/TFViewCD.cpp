#include "search/TFViewCD.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/Ovladace.h"
#include "app/Sdilene.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"
#include "reports/Sestava.h"
#include "store/Catalogue.h"
#include "store/Ini.h"
#include "store/dbf/TableData.h"

namespace lorvika {

namespace {

const QString kProhlizec = QStringLiteral("FViewCD");
constexpr const char* kFontSkladeb = "tab_vel_font";

QString titulek(std::string_view sloupec) {
    return QString::fromStdString(TitulekSloupce(SloupceAlb(), sloupec));
}

void nastavVelikost(QTableView* mrizka, int velikost) {
    if (velikost < 1) return;
    QFont f = mrizka->font();
    f.setPointSize(velikost);
    mrizka->setFont(f);
    QFont t = f;
    t.setBold(true);
    mrizka->horizontalHeader()->setFont(t);
    // Rows as high as the text needs, so a smaller font shows more of them.
    mrizka->verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 6);
}

QTableView* mrizka(QWidget* rodic, const char* jmeno) {
    auto* m = new QTableView(rodic);
    m->setObjectName(QString::fromLatin1(jmeno));
    m->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m->setSelectionBehavior(QAbstractItemView::SelectRows);
    m->setSelectionMode(QAbstractItemView::SingleSelection);
    m->setWordWrap(false);
    m->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m->verticalHeader()->setVisible(false);
    m->horizontalHeader()->setHighlightSections(false);
    return m;
}

}  // namespace

TFViewCD::TFViewCD(TForm1* hlavni, const QString& jmeno) : TFZaklData(hlavni, jmeno) {
    setWindowTitle(QStringLiteral("Prohlížeč AudioCD"));
    Label1->setText(QStringLiteral("Prohlížeč AudioCD"));
    // Only the weight is set, so the heading follows the window's scaled font.
    QFont nadpis;
    nadpis.setBold(true);
    Label1->setFont(nadpis);

    PageC = new QTabWidget(this);
    PageC->setObjectName(QStringLiteral("PageC"));
    PageC->setTabPosition(QTabWidget::South);
    sestavHlavni();
    sestavVedlejsi();
    sestavSeznam();
    sestavMenu();
    connect(PageC, &QTabWidget::currentChanged, this, [this](int i) { PageCChange(i); });

    BOK->setVisible(false);
    auto* horni = new QHBoxLayout;
    horni->addWidget(Label1);
    horni->addStretch();
    // The navigation buttons in a row of their own, so scaling the window moves them with it.
    auto* navigace = new QHBoxLayout(Panel1);
    navigace->setContentsMargins(0, 0, 0, 0);
    navigace->setSpacing(2);
    for (QToolButton* b : {Speed1, Speed2, Speed3, Speed4}) {
        b->setMinimumSize(b->size());
        navigace->addWidget(b);
    }
    horni->addWidget(Panel1);
    auto* tlacitka = radaTlacitek({BOK, BCancel, BHelp});
    rozvrhniOkno(this, MMenu, horni, PageC, tlacitka);
}

TFViewCD::~TFViewCD() {
    // The grids go with the widgets, after the cursors: they must not keep them.
    modelSeznamu->setKurzor(nullptr);
    modelSkladeb->setKurzor(nullptr);
}

QLineEdit* TFViewCD::pole(QWidget* rodic, const char* sloupec, const QString& napoveda) {
    auto* e = new QLineEdit(rodic);
    const QString jmeno = QString::fromLatin1(sloupec);
    e->setObjectName(QStringLiteral("DB") + jmeno.left(1) + jmeno.mid(1).toLower());
    e->setReadOnly(true);
    e->setProperty("pole", jmeno);
    if (!napoveda.isEmpty()) nastavNapovedu(e, napoveda);
    pole_.insert(jmeno, e);
    return e;
}

QWidget* TFViewCD::pridejStranku(const QString& nazev, const char* jmeno) {
    auto* s = new QWidget;
    s->setObjectName(QString::fromLatin1(jmeno));
    PageC->addTab(s, nazev);
    return s;
}

void TFViewCD::sestavHlavni() {
    TSHlavni = pridejStranku(QStringLiteral("Hlavní"), "TSHlavni");
    auto* f = new QGridLayout;
    const struct {
        const char* popis;
        const char* sloupec;
        int radek, sloupecMrizky;
        const char* napoveda;
    } polozky[] = {
        {"Album:", "ALBUM", 0, 0, nullptr},
        {"Interpret:", "ARTIST", 1, 0, nullptr},
        {"Žánr:", "ZANR", 2, 0, nullptr},
        {"Typ:", "TYP", 3, 0, nullptr},
        {"Počet stop:", "PSTOP", 1, 2, nullptr},
        {"Délka:", "DELKA", 2, 2, "délka AudioCD ve tvaru mm:ss"},
        {"Rok vydání:", "ROK", 3, 2, nullptr},
    };
    for (const auto& p : polozky) {
        QLineEdit* e =
            pole(TSHlavni, p.sloupec, p.napoveda ? QString::fromUtf8(p.napoveda) : QString());
        auto* popis = new QLabel(QString::fromUtf8(p.popis), TSHlavni);
        popis->setBuddy(e);
        if (QString::fromLatin1(p.sloupec) == QStringLiteral("ALBUM")) {
            f->addWidget(popis, 0, 0);
            f->addWidget(e, 0, 1, 1, 3);
            continue;
        }
        f->addWidget(popis, p.radek, p.sloupecMrizky);
        f->addWidget(e, p.radek, p.sloupecMrizky + 1);
    }
    f->setColumnStretch(1, 3);
    f->setColumnStretch(3, 1);

    DBSkladby = mrizka(TSHlavni, "DBSkladby");
    modelSkladeb = new ModelKurzoru(DBSkladby);
    modelSkladeb->setSloupce({{QStringLiteral("CISLO"), QStringLiteral("Pozice")},
                              {QStringLiteral("NAME"), QStringLiteral("Název")},
                              {QStringLiteral("ARTIST"), QStringLiteral("Interpret/popis")},
                              {QStringLiteral("TYP"), QStringLiteral("Typ")},
                              {QStringLiteral("DELKA"), QStringLiteral("Délka")}});
    DBSkladby->setModel(modelSkladeb);
    DBSkladby->horizontalHeader()->setStretchLastSection(false);
    DBSkladby->installEventFilter(this);

    auto* l = new QVBoxLayout(TSHlavni);
    l->addLayout(f);
    l->addWidget(DBSkladby, 1);
}

void TFViewCD::sestavVedlejsi() {
    TSVedlejsi = pridejStranku(QStringLiteral("Vedlejší"), "TSVedlejsi");
    // The fields scroll when the window is smaller than they need.
    auto* p = posuvnaPlocha(TSVedlejsi);

    const std::pair<const char*, const char*> levy[] = {
        {"Zpěv:", "ZPEV"},    {"Kytara:", "KYTAR"}, {"Basa:", "BASA"},   {"Bicí:", "BICI"},
        {"Klávesy:", "KLAV"}, {"Host:", "HOST"},    {"Saxofon:", "SAX"}, {"Trubka:", "TRUBKA"},
    };
    const std::pair<const char*, const char*> pravy[] = {
        {"Původ:", "ZEME"},        {"Firma:", "VYD_F"},        {"Producent:", "VYD_P"},
        {"Datum změny:", "ZMENA"}, {"Specialita:", "SPECIAL"}, {"Hodnocení:", "HODNOC"},
        {"Cena:", "CENA"},
    };
    auto* l = new QFormLayout;
    for (const auto& [popis, sloupec] : levy) l->addRow(QString::fromUtf8(popis), pole(p, sloupec));
    auto* r = new QFormLayout;
    for (const auto& [popis, sloupec] : pravy)
        r->addRow(QString::fromUtf8(popis), pole(p, sloupec));
    auto* sloupce = new QHBoxLayout;
    sloupce->addLayout(l, 1);
    sloupce->addLayout(r, 1);
    auto* popis = new QFormLayout;
    popis->addRow(QStringLiteral("Popis:"), pole(p, "POPIS"));
    auto* v = new QVBoxLayout(p);
    v->addLayout(sloupce);
    v->addLayout(popis);
    v->addStretch();
}

std::vector<SloupecMrizky> TFViewCD::sloupceSeznamu() {
    std::vector<SloupecMrizky> out;
    for (const char* s :
         {"ARTIST", "ALBUM",   "ZANR",  "TYP",    "ROK",       "VYD_F",     "VYD_P",
          "PSTOP",  "DELKA",   "ZEME",  "HODNOC", "PUJ_DOKDY", "PUJ_ANONE", "PUJ_KOMU",
          "ZPEV",   "KYTAR",   "BASA",  "BICI",   "KLAV",      "HOST",      "SAX",
          "TRUBKA", "SPECIAL", "POPIS", "CENA"})
        out.push_back({QString::fromLatin1(s), titulek(s)});
    return out;
}

void TFViewCD::sestavSeznam() {
    TSSeznam = pridejStranku(QStringLiteral("Seznam"), "TSSeznam");
    DBGSeznam = mrizka(TSSeznam, "DBGSeznam");
    modelSeznamu = new ModelKurzoru(DBGSeznam);
    modelSeznamu->setSloupce(sloupceSeznamu());
    DBGSeznam->setModel(modelSeznamu);
    DBGSeznam->horizontalHeader()->setSectionsMovable(true);
    auto* l = new QVBoxLayout(TSSeznam);
    l->addWidget(DBGSeznam);
    connect(DBGSeznam->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& nyni) {
                if (vyberSeZmenil_ || !nyni.isValid() || !TData) return;
                modelSeznamu->prejdiNa(nyni.row());
                zobrazPole();
                nastavSkladby();
            });
    pripojRazeniZahlavim(DBGSeznam);
    // After the grid's own sorting step (connected first): the window follows the new order.
    connect(DBGSeznam->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this] { obnovZobrazeni(); });
}

void TFViewCD::sestavMenu() {
    auto polozka = [this](QMenu* m, const char* text, const char* jmeno, const QString& hint) {
        QAction* a = novaAkce(this, QString::fromUtf8(text), QString::fromLatin1(jmeno), hint, {},
                              Qt::WidgetWithChildrenShortcut);
        m->addAction(a);
        return a;
    };
    MVTab = podmenu(MMenu, QStringLiteral("&Vzhled tabulky"), "MVTab");
    MVTFMinus = polozka(MVTab, "font o bod &menší", "MVTFMinus", {});
    MVTFPlus = polozka(MVTab, "font o bod &větší", "MVTFPlus", {});
    MVTab->addSeparator();
    MVTUloz = polozka(MVTab, "&ulož vel. fontu", "MVTUloz",
                      QStringLiteral("uloží velikost fontu pro příští použití"));
    connect(MVTFMinus, &QAction::triggered, this, [this] { MVTFMinusClick(-1); });
    connect(MVTFPlus, &QAction::triggered, this, [this] { MVTFMinusClick(1); });
    connect(MVTUloz, &QAction::triggered, this, [this] { MVTUlozClick(); });

    MVZhled = podmenu(MMenu, QStringLiteral("&Vzhled"), "MVZhled");
    MVZMinus = polozka(MVZhled, "font o bod &menší", "MVZMinus", {});
    MVZPlus = polozka(MVZhled, "font o bod &větší", "MVZPlus", {});
    MVZhled->addSeparator();
    MVZUloz = polozka(MVZhled, "&ulož vzhled", "MVZUloz",
                      QStringLiteral("uloží velikost fontu, pořadí a šířku sloupců pro příští "
                                     "použití"));
    MVProhlizSep = MVZhled->addSeparator();
    MVProhliz = polozka(MVZhled, "nastav podle prohlížeče", "MVProhliz",
                        QStringLiteral("načte uložený implicitní vzhled seznamu podle Prohlížece "
                                       "AudioCD"));
    connect(MVZMinus, &QAction::triggered, this, [this] { MVZMinusClick(-1); });
    connect(MVZPlus, &QAction::triggered, this, [this] { MVZMinusClick(1); });
    connect(MVZUloz, &QAction::triggered, this, [this] { MVZUlozClick(); });
    connect(MVProhliz, &QAction::triggered, this, [this] { MVProhlizClick(); });
    connect(MVZhled, &QMenu::aboutToShow, this, [this] { MVZhledClick(); });
    MVZhled->menuAction()->setVisible(false);

    MTisk = podmenu(MMenu, QStringLiteral("&Tisk"), "MTisk");
    const struct {
        const char* tisk;
        const char* nahled;
        const char* jmenoTisk;
        const char* jmenoNahled;
        const char* hint;
    } typy[] = {
        {"typ1-tisk", "typ1-náhled", "MT1Tisk", "MT1Prev",
         "řádkový seznam - položky: interpret,album"},
        {"typ2-tisk", "typ2-náhled", "MT2Tisk", "MT2Prev",
         "řádkový seznam - položky: interpret,album,rok"},
        {"typ3-tisk", "typ3-náhled", "MT3Tisk", "MT3Prev",
         "řádkový seznam - položky: interpret,album,žánr"},
    };
    QAction* tisky[3];
    QAction* nahledy[3];
    for (int i = 0; i < 3; ++i) {
        const QString hint = QString::fromUtf8(typy[i].hint);
        tisky[i] = polozka(MTisk, typy[i].tisk, typy[i].jmenoTisk, hint);
        nahledy[i] = polozka(MTisk, typy[i].nahled, typy[i].jmenoNahled, hint);
        const int typ = i + 1;
        tisky[i]->setData(typ);
        nahledy[i]->setData(typ);
        connect(tisky[i], &QAction::triggered, this,
                [this, a = tisky[i]] { MTTiskClick(a->data().toInt()); });
        connect(nahledy[i], &QAction::triggered, this,
                [this, a = nahledy[i]] { MTPrevClick(a->data().toInt()); });
        MTisk->addSeparator();
    }
    MT1Tisk = tisky[0];
    MT1Prev = nahledy[0];
    MT2Tisk = tisky[1];
    MT2Prev = nahledy[1];
    MT3Tisk = tisky[2];
    MT3Prev = nahledy[2];
    MTNVelkaPism = polozka(MTisk, "převod na velká písmena", "MTNVelkaPism",
                           QStringLiteral("textové položky převede na velké písmena"));
    MTNVelkaPism->setCheckable(true);
    MTNVelkaPism->setChecked(false);

    PMPageNext =
        novaAkce(this, QStringLiteral("PageNext"), QStringLiteral("PMPageNext"), {},
                 QKeySequence(Qt::CTRL | Qt::Key_PageDown), Qt::WidgetWithChildrenShortcut);
    PMPagePrior = novaAkce(this, QStringLiteral("PagePrior"), QStringLiteral("PMPagePrior"), {},
                           QKeySequence(Qt::CTRL | Qt::Key_PageUp), Qt::WidgetWithChildrenShortcut);
    for (QAction* a : {PMPageNext, PMPagePrior}) {
        PMenu->addAction(a);
        addAction(a);
    }
    connect(PMPageNext, &QAction::triggered, this, [this] { PMPageNextClick(); });
    connect(PMPagePrior, &QAction::triggered, this, [this] { PMPagePriorClick(); });
}

QLineEdit* TFViewCD::polePro(const QString& sloupec) const {
    return pole_.value(sloupec.toUpper(), nullptr);
}

// --- creation and activation -----------------------------------------------------------------

void TFViewCD::FormCreate() {
    TFZaklData::FormCreate();
    PageC->setCurrentIndex(0);
    PageCChange(0);
    nastavFontSkladeb(CtiCislo(hlavni()->ini(), jmeno().toStdString(), kFontSkladeb, 9));
    nactiVzhledSeznamu(jmeno());
    obnovSeznam();
}

void TFViewCD::FormActivate() {
    TFZaklData::FormActivate();
}

void TFViewCD::aktivacePotomka() {
    if (predavanyKod == 1) obnovSeznam();
    predavanyKod = 0;
}

void TFViewCD::predZavrenimTData() {
    modelSeznamu->setKurzor(nullptr);
    stavSeznamu_ = {};
}

void TFViewCD::predZavrenimTSkladby() {
    modelSkladeb->setKurzor(nullptr);
    zobrazeneCD_ = -1;
}

// --- showing the current album ---------------------------------------------------------------

void TFViewCD::zobrazPole() {
    const bool je = TData && !TData->isEmpty() && TData->recordNumber() != 0;
    for (auto it = pole_.cbegin(); it != pole_.cend(); ++it) {
        const QString text = je ? ModelKurzoru::zobrazeni(*TData, it.key()) : QString();
        if (it.value()->text() != text) {
            it.value()->setText(text);
            it.value()->setCursorPosition(0);
        }
    }
}

void TFViewCD::nastavSkladby() {
    if (!TSkladby) {
        modelSkladeb->setKurzor(nullptr);
        zobrazeneCD_ = -1;
        return;
    }
    const std::int64_t cd = aktualniCislo();
    if (cd == zobrazeneCD_ && modelSkladeb->kurzor() == TSkladby.get()) return;
    zobrazeneCD_ = cd;
    // The tracks of the album shown, in the order of the tag on the album number.
    if (pohledTSkladby.tag() != "CD") pohledTSkladby.nastavTag("CD");
    pohledTSkladby.nastavRozsah(dbf::Key(cd), dbf::Key(cd));
    modelSkladeb->setKurzor(TSkladby.get());
}

void TFViewCD::obnovSeznam() {
    stavSeznamu_ = {};
    zobrazeneCD_ = -1;
    obnovZobrazeni();
}

void TFViewCD::vyberRadekSeznamu() {
    const int r = modelSeznamu->radekAktualniho();
    vyberSeZmenil_ = true;
    if (r < 0) {
        DBGSeznam->selectionModel()->clearCurrentIndex();
        DBGSeznam->clearSelection();
    } else {
        const int sloupec = std::max(0, DBGSeznam->currentIndex().column());
        DBGSeznam->setCurrentIndex(modelSeznamu->index(r, sloupec));
        DBGSeznam->scrollTo(modelSeznamu->index(r, sloupec));
    }
    vyberSeZmenil_ = false;
}

void TFViewCD::obnovZobrazeni() {
    if (TData) {
        auto stav = std::make_tuple(static_cast<const dbf::Cursor*>(TData.get()), TData->tag(),
                                    TData->filtered(), TData->data().liveCount(),
                                    TData->data().generation());
        if (stav != stavSeznamu_ || modelSeznamu->kurzor() != TData.get()) {
            stavSeznamu_ = stav;
            modelSeznamu->setKurzor(TData.get());
            ukazRazeni(DBGSeznam);
            zobrazeneCD_ = -1;
        }
    } else {
        modelSeznamu->setKurzor(nullptr);
        stavSeznamu_ = {};
    }
    zobrazPole();
    nastavSkladby();
    vyberRadekSeznamu();
}

// --- pages -----------------------------------------------------------------------------------

void TFViewCD::PageCChange(int index) {
    MVTab->menuAction()->setVisible(false);
    MVZhled->menuAction()->setVisible(false);
    const int n = PageC->count();
    if (n == index + 3) MVTab->menuAction()->setVisible(true);
    if (n == index + 1) MVZhled->menuAction()->setVisible(true);
}

void TFViewCD::PMPageNextClick() {
    const int n = PageC->count();
    for (int k = 1; k <= n; ++k) {
        const int i = (PageC->currentIndex() + k) % n;
        if (PageC->isTabVisible(i)) {
            PageC->setCurrentIndex(i);
            return;
        }
    }
}

void TFViewCD::PMPagePriorClick() {
    const int n = PageC->count();
    for (int k = 1; k <= n; ++k) {
        const int i = (PageC->currentIndex() - k + n) % n;
        if (PageC->isTabVisible(i)) {
            PageC->setCurrentIndex(i);
            return;
        }
    }
}

// --- appearance ------------------------------------------------------------------------------

int TFViewCD::fontSkladeb() const {
    return DBSkladby->font().pointSize();
}

int TFViewCD::fontSeznamu() const {
    return DBGSeznam->font().pointSize();
}

void TFViewCD::nastavFontSkladeb(int velikost) {
    nastavVelikost(DBSkladby, velikost);
}

void TFViewCD::nastavFontSeznamu(int velikost) {
    nastavVelikost(DBGSeznam, velikost);
}

void TFViewCD::MVTFMinusClick(int krok) {
    nastavFontSkladeb(fontSkladeb() + krok);
}

void TFViewCD::MVTUlozClick() {
    ZapisCislo(hlavni()->ini(), jmeno().toStdString(), kFontSkladeb, fontSkladeb());
}

void TFViewCD::MVZMinusClick(int krok) {
    nastavFontSeznamu(fontSeznamu() + krok);
}

void TFViewCD::MVZUlozClick() {
    UlozMrizku(*hlavni(), DBGSeznam, jmeno(), jmeno());
    QApplication::beep();
    hlavni()->StavovyText(
        QStringLiteral("pořadí sloupců, jejich velikost a velikost fontu uložena"));
}

void TFViewCD::nactiVzhledSeznamu(const QString& sekce) {
    // Without a layout file the designed columns stay.
    modelSeznamu->setSloupce(sloupceSeznamu());
    for (int i = 0; i < DBGSeznam->horizontalHeader()->count(); ++i)
        DBGSeznam->horizontalHeader()->moveSection(DBGSeznam->horizontalHeader()->visualIndex(i),
                                                   i);
    NactiMrizku(*hlavni(), DBGSeznam, sekce, sekce);
    nastavFontSeznamu(fontSeznamu());  // bold titles at the grid's size
    if (!QFileInfo::exists(souborMrizky(*hlavni(), sekce))) {
        // Designed widths: each title readable.
        const QFontMetrics titulky(DBGSeznam->horizontalHeader()->font());
        for (int i = 0; i < modelSeznamu->columnCount(); ++i) {
            const QString t =
                modelSeznamu->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
            DBGSeznam->setColumnWidth(i, std::max(64, titulky.horizontalAdvance(t) + 18));
        }
    }
    vyberRadekSeznamu();
}

void TFViewCD::MVProhlizClick() {
    nactiVzhledSeznamu(kProhlizec);
}

void TFViewCD::MVZhledClick() {
    const bool odvozene = jmeno().compare(kProhlizec, Qt::CaseInsensitive) != 0;
    MVProhliz->setVisible(odvozene);
    MVProhlizSep->setVisible(odvozene);
}

bool TFViewCD::velkaPismena() const {
    return MTNVelkaPism->isChecked();
}

void TFViewCD::MTNVelkaPismClick() {
    MTNVelkaPism->setChecked(!MTNVelkaPism->isChecked());
}

// --- resizing --------------------------------------------------------------------------------

void TFViewCD::sirkySkladeb() {
    SirkySloupcu(DBSkladby, QList<int>(std::begin(kVahySkladeb), std::end(kVahySkladeb)), 25);
}

void TFViewCD::resizeEvent(QResizeEvent* e) {
    // The user's font sizes survive the scaling of the window's contents.
    const int skladby = fontSkladeb();
    const int seznam = fontSeznamu();
    TFZaklData::resizeEvent(e);
    nastavFontSkladeb(skladby);
    nastavFontSeznamu(seznam);
    sirkySkladeb();
    // The short fields stay wide enough for their longest value at the scaled font.
    for (const char* sloupec : {"PSTOP", "DELKA", "ROK"})
        if (QLineEdit* e = polePro(QString::fromLatin1(sloupec)))
            e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000:00")) + 14);
}

bool TFViewCD::eventFilter(QObject* o, QEvent* e) {
    if (o == DBSkladby && e->type() == QEvent::Resize) sirkySkladeb();
    return TFZaklData::eventFilter(o, e);
}

// --- printing --------------------------------------------------------------------------------

void TFViewCD::MTTiskClick(int typ) {
    tiskni(typ, false);
}

void TFViewCD::MTPrevClick(int typ) {
    tiskni(typ, true);
}

namespace {

std::unique_ptr<QPrinter> vychoziTiskarna() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

void vychoziNahled(QPrinter& printer, const std::function<void(QPrinter*)>& kresli) {
    QPrintPreviewDialog dlg(&printer);
    dlg.setWindowTitle(printer.docName());
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&kresli](QPrinter* p) { kresli(p); });
    dlg.setWindowState(dlg.windowState() | Qt::WindowMaximized);
    dlg.exec();
}

}  // namespace

void TFViewCD::tiskni(int typ, bool nahledem) {
    if (typ < 1 || typ > 3) {
        hlavni()->zpravy().zobrazSPipnutim("Chyba programu", MsgKind::Information, kButtonsOK);
        return;
    }
    if (!TData || TData->isEmpty()) return;  // no report of an empty table

    // The album table stays as it is (filter, order) while the report and its windows are in
    // front, and comes back to this album afterwards, whatever happens in between.
    deaktivace = false;
    const dbf::Bookmark pozice = TData->bookmark();
    const long long cislo = aktualniCislo();
    struct Uklid {
        TFViewCD& f;
        dbf::Bookmark pozice;
        long long cislo;
        bool nahled;
        ~Uklid() {
            f.deaktivace = true;
            f.PoTisk(pozice, cislo);
            if (nahled) f.hlavni()->ZobrazHlavni(true);
        }
    } uklid{*this, pozice, cislo, nahledem};

    NastaveniSestavy nastaveni;
    nastaveni.typ = typ;
    nastaveni.velka = velkaPismena();
    nastaveni.dnes = hlavni()->dnes();
    auto kresli = [this, &nastaveni](QPrinter* p) {
        if (p && TData) VykresliSestavu(*p, *TData, nastaveni);
    };
    if (!nahledem) {
        hlavni()->StavovyText(QStringLiteral("připravuji tisk .."));
        try {
            std::unique_ptr<QPrinter> p = tiskarna ? tiskarna() : vychoziTiskarna();
            if (!p) {
                // The preview prints into a PDF file without a printer; so does this.
                hlavni()->StavovyText(QString());
                if (hlavni()->zpravy().zobraz(
                        "Není nastavena žádná tiskárna. Vytisknout sestavu do souboru PDF?",
                        MsgKind::Confirmation, kButtonsYesNo) != MsgButton::Yes)
                    return;
                const QString soubor = souborPdf ? souborPdf()
                                                 : QFileDialog::getSaveFileName(
                                                       this, QStringLiteral("Tisk do PDF"),
                                                       TitulekSestavy(typ) + QStringLiteral(".pdf"),
                                                       QStringLiteral("PDF (*.pdf)"));
                if (soubor.isEmpty()) return;
                p = std::make_unique<QPrinter>(QPrinter::HighResolution);
                p->setOutputFormat(QPrinter::PdfFormat);
                p->setOutputFileName(soubor);
            }
            p->setDocName(TitulekSestavy(typ));
            // The printing's own progress window, for lists long enough to wait for.
            QProgressDialog prubeh(QStringLiteral("Tisk: %1").arg(p->docName()), QString(), 0, 0,
                                   this);
            prubeh.setWindowTitle(p->docName());
            prubeh.setWindowModality(Qt::WindowModal);
            prubeh.setMinimumDuration(800);
            VykresliSestavu(*p, *TData, nastaveni, [&prubeh](std::int64_t alb) {
                prubeh.setLabelText(QStringLiteral("vytištěno AudioCD: %1").arg(alb));
                prubeh.setValue(0);  // lets the window appear and repaint
            });
        } catch (...) {
            hlavni()->StavovyText(QString());
            throw;
        }
        hlavni()->StavovyText(QString());
        return;
    }
    hlavni()->ZobrazHlavni(false);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(TitulekSestavy(typ));
    if (nahled)
        nahled(printer, kresli);
    else
        vychoziNahled(printer, kresli);
}

void TFViewCD::PoTisk(const dbf::Bookmark& pozice, long long cislo) {
    if (!TData) otevriTData();
    if (TData->bookmarkValid(pozice))
        TData->gotoBookmark(pozice);
    else if (cislo != 0)
        NajdiCD(cislo, "cislo", *TData);
    obnovZobrazeni();
}

void registrujTFViewCD(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FViewCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFViewCD>(&h);
    });
}

}  // namespace lorvika
