#include "app/TFormZaklad.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QShowEvent>

#include "app/Nastaveni.h"
#include "app/Ovladace.h"
#include "app/TForm1.h"
#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {

namespace {

bool jeTabulka(const dbf::Cursor& c, const char* soubor) {
    return QString::fromStdString(c.fileName())
               .compare(QLatin1String(soubor), Qt::CaseInsensitive) == 0;
}

}  // namespace

TFormZaklad::TFormZaklad(TForm1* hlavni, const QString& jmeno) : TFVychozi(hlavni, jmeno) {
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    resize(632, 413);
}

TFormZaklad::~TFormZaklad() {
    // Child widgets and models outlive this destructor (QObject deletes them later): they must
    // not keep the cursors that go with the members below.
    oznam(2, nullptr);
    oznam(1, nullptr);
}

void TFormZaklad::sledujKurzor(QObject* vlastnik, int which,
                               std::function<void(dbf::Cursor*)> nastav) {
    nastav(which == 1 ? TData.get() : TSkladby.get());
    sledujici_.push_back({vlastnik, which, std::move(nastav)});
}

void TFormZaklad::oznam(int which, dbf::Cursor* kurzor) {
    std::erase_if(sledujici_, [](const Sledujici& s) { return !s.vlastnik; });
    for (const Sledujici& s : sledujici_)
        if (s.which == which) s.nastav(kurzor);
}

void TFormZaklad::otevriTData() {
    nastaveni::NastavOvladac(hlavni()->cesty());
    auto& s = hlavni()->session();
    TData = s.engine().open(s.adresar(), DatabaseSession::kAlbumTable);
    const long long cislo = zapamatovaneCislo;
    pohledTData.obnov([cislo](dbf::Cursor& c) { return cislo != 0 && NajdiCD(cislo, "cislo", c); });
    poOtevreniTData();
    oznam(1, TData.get());
}

void TFormZaklad::poOtevreniTData() {
    // The view already went back to the remembered album (inside its range and filter).
}

void TFormZaklad::zavriTData() {
    if (!TData) return;
    zapamatovaneCislo = aktualniCislo();
    pohledTData.zapamatuj();
    predZavrenimTData();
    oznam(1, nullptr);
    TData.reset();
}

void TFormZaklad::otevriTSkladby() {
    nastaveni::NastavOvladac(hlavni()->cesty());
    auto& s = hlavni()->session();
    TSkladby = s.engine().open(s.adresar(), DatabaseSession::kTrackTable);
    pohledTSkladby.obnov();
    poOtevreniTSkladby();
    oznam(2, TSkladby.get());
}

void TFormZaklad::zavriTSkladby() {
    if (!TSkladby) return;
    pohledTSkladby.zapamatuj();
    predZavrenimTSkladby();
    oznam(2, nullptr);
    TSkladby.reset();
}

long long TFormZaklad::aktualniCislo() const {
    if (!TData || TData->isEmpty() || TData->recordNumber() == 0) return 0;
    return TData->integer("CISLO");
}

void TFormZaklad::TDataAfterDelete() {
    if (TData) hlavni()->PocetCD(1, TData->recordCount());
}

void TFormZaklad::zavriOtevri(bool zavrit, int which) {
    if (zavrit) {
        if ((which == 0 || which == 1) && TData && jeTabulka(*TData, "cddata.dbf")) zavriTData();
        if ((which == 0 || which == 2) && TSkladby && jeTabulka(*TSkladby, "cdskladby.dbf"))
            zavriTSkladby();
        return;
    }
    if ((which == 0 || which == 1) && !TData) otevriTData();
    if ((which == 0 || which == 2) && !TSkladby) otevriTSkladby();
    obnovZobrazeni();
}

void TFormZaklad::nastavFiltr(std::function<bool(const dbf::Cursor&)> filtr) {
    pohledTData.nastavFiltr(std::move(filtr));
}

void TFormZaklad::zapniFiltr(bool on) {
    pohledTData.zapniFiltr(on);
}

void TFormZaklad::FormCreate() {
    deaktivace = true;
    filtrovanPriOdchodu = false;
    proporce_.setZaklad(QSize(632, 413));
    obnova = 0;
    zapamatovaneCislo = 0;
    otevriTData();
    otevriTSkladby();
    if (QMdiSubWindow* o = okno()) {
        if (hlavni()->FMaxim()) {
            nastaveni::nastavRamecek(o, true);
            o->showMaximized();
        } else {
            nastaveni::nastavRamecek(o, false);
            nastaveni::NactiOkno(*o, hlavni()->ini(), jmeno().toStdString(), QSize(632, 413),
                                 &proporce_);
            o->showNormal();
        }
    }
    hlavni()->PocetCD(1, TData->recordCount());
}

void TFormZaklad::showEvent(QShowEvent* e) {
    TFVychozi::showEvent(e);
    if (!hlavni()->FMaxim() && okno() && !okno()->isMaximized() && !e->spontaneous())
        nastaveni::NactiOkno(*okno(), hlavni()->ini(), jmeno().toStdString(), QSize(632, 413),
                             &proporce_);
}

void TFormZaklad::FormActivate() {
    if (!hlavni()->zavira() && hlavni()->FMaxim() && okno() && !okno()->isMaximized())
        okno()->showMaximized();
    predavanyKod = 0;
    if (filtrovanPriOdchodu && TData) {
        zavriTData();
        otevriTData();
        zapniFiltr(true);
        NajdiCD(zapamatovaneCislo, "cislo", *TData);
        obnovZobrazeni();
    }
    const int r = obnova;
    if (r == 0 || (r == 1 && (!TData || !TSkladby))) {
        aktivacePotomka();
        return;
    }
    predavanyKod = r;
    if (r == 1) {
        hlavni()->StavovyText(QStringLiteral("aktualizuji data"));
        // The cursors share the table files, so a refresh re-reads the current record.
        ObnovKurzor(*TData);
        ObnovKurzor(*TSkladby);
    }
    obnova = 0;
    aktivacePotomka();
    obnovZobrazeni();
}

void TFormZaklad::FormDeactivate() {
    if (!deaktivace || !TData) return;
    filtrovanPriOdchodu = TData->filtered();
    if (filtrovanPriOdchodu) {
        const long long cislo = aktualniCislo();
        pohledTData.zapniFiltr(false);
        NajdiCD(cislo, "cislo", *TData);
        obnovZobrazeni();
    }
}

void TFormZaklad::FormClose() {
    zavriTSkladby();
    zavriTData();
    hlavni()->formularSeZavira(this);
    if (!hlavni()->FMaxim() && okno())
        nastaveni::UlozOkno(*okno(), hlavni()->ini(), jmeno().toStdString());
}

void TFormZaklad::resizeEvent(QResizeEvent* e) {
    TFVychozi::resizeEvent(e);
    proporce_.FormResize(this);
}

// ---------------------------------------------------------------------------------------------

TFZaklData::TFZaklData(TForm1* hlavni, const QString& jmeno) : TFormZaklad(hlavni, jmeno) {
    MMenu = new QMenuBar(this);
    MMenu->setObjectName(QStringLiteral("MMenu"));
    MMenu->setNativeMenuBar(false);
    MMenu->setGeometry(0, 0, 632, 24);
    MDisk = podmenu(MMenu, QStringLiteral("&Disk"), "MDisk");
    MDisk->menuAction()->setStatusTip(
        QStringLiteral("označí aktuální kazetu pro rychlé vyhledání"));
    pridej(MDisk, QStringLiteral("označ aktivní"), QStringLiteral("MKOznac"),
           QStringLiteral("označí aktuální disk pro jeho rychlé vyhledání"),
           QKeySequence(Qt::CTRL | Qt::Key_O));
    pridej(MDisk, QStringLiteral("přejít na označený"), QStringLiteral("MKPrejit"),
           QStringLiteral("zobrazí označený disk"), QKeySequence(Qt::CTRL | Qt::Key_I));
    pridej(MDisk, QStringLiteral("přejít na vybraný.."), QStringLiteral("MKPreVyb"),
           QStringLiteral("zobrazí vybraný disk"), QKeySequence(Qt::CTRL | Qt::Key_K))
        ->setVisible(false);
    connect(akce(QStringLiteral("MKOznac")), &QAction::triggered, this, [this] { MKOznacClick(); });
    connect(akce(QStringLiteral("MKPrejit")), &QAction::triggered, this,
            [this] { MKPrejitClick(); });
    connect(akce(QStringLiteral("MKPreVyb")), &QAction::triggered, this,
            [this] { MKPreVybClick(); });
    connect(MDisk, &QMenu::aboutToShow, this, &TFZaklData::DiskAboutToShow);

    MSerazeni = podmenu(MMenu, QStringLiteral("&Seřazení"), "MSerazeni");
    struct Razeni {
        const char* caption;
        const char* name;
        const char* tag;
        QKeySequence key;
    };
    // "&interpret" carries no key: Ctrl+I belongs to "přejít na označený".
    const Razeni razeni[] = {{"&interpret", "MSUmelec", "artist", {}},
                             {"a&lbum", "MSAlbum", "album", QKeySequence(Qt::CTRL | Qt::Key_L)},
                             {"žán&r", "MSZanr", "zanr", QKeySequence(Qt::CTRL | Qt::Key_R)},
                             {"&typ", "MSTyp", "typ", QKeySequence(Qt::CTRL | Qt::Key_T)},
                             {"žád&né", "MSNic", "", QKeySequence(Qt::CTRL | Qt::Key_N)}};
    for (const Razeni& r : razeni) {
        QAction* a = pridej(MSerazeni, QString::fromUtf8(r.caption), QString::fromUtf8(r.name),
                            QString(), r.key);
        a->setCheckable(true);
        const QString tag = QString::fromUtf8(r.tag);
        a->setProperty("tag", tag);
        connect(a, &QAction::triggered, this, [this, tag] { nastavTag(tag); });
    }
    connect(pridej(MSerazeni, QStringLiteral("ulož jako &výchozí"), QStringLiteral("MSUloz"),
                   QStringLiteral("uloží stávající seřazení jako implicitní"), {}),
            &QAction::triggered, this, [this] { MSUlozClick(); });
    connect(MSerazeni, &QMenu::aboutToShow, this, &TFZaklData::SerazeniAboutToShow);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 28, 140, 28);
    PMenu = new QMenu(this);
    PMenu->setObjectName(QStringLiteral("PMenu"));
    struct Krok {
        const char* speed;
        const char* text;
        const char* hint;
        const char* item;
        QKeySequence key;
        void (TFZaklData::*akce)();
    };
    const Krok kroky[] = {
        {"Speed1", "<<", "přechod na první CD", "First",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Left), &TFZaklData::prvni},
        {"Speed2", "<", "přechod na předchozí CD", "Prior", QKeySequence(Qt::CTRL | Qt::Key_Left),
         &TFZaklData::predchozi},
        {"Speed3", ">", "přechod na další CD", "Next", QKeySequence(Qt::CTRL | Qt::Key_Right),
         &TFZaklData::dalsi},
        {"Speed4", ">>", "přechod na poslední CD", "Last",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Right), &TFZaklData::posledni}};
    QToolButton* tlacitka[4];
    int x = 0;
    for (int i = 0; i < 4; ++i) {
        const Krok& k = kroky[i];
        auto* b = new QToolButton(Panel1);
        b->setObjectName(QString::fromUtf8(k.speed));
        b->setText(QString::fromUtf8(k.text));
        nastavNapovedu(b, QString::fromUtf8(k.hint));
        b->setGeometry(x, 0, 32, 26);
        x += 34;
        auto metoda = k.akce;
        connect(b, &QToolButton::clicked, this, [this, metoda] { (this->*metoda)(); });
        QAction* a =
            pridej(PMenu, QString::fromUtf8(k.item), QString::fromUtf8(k.item), QString(), k.key);
        connect(a, &QAction::triggered, this, [this, metoda] { (this->*metoda)(); });
        tlacitka[i] = b;
    }
    Speed1 = tlacitka[0];
    Speed2 = tlacitka[1];
    Speed3 = tlacitka[2];
    Speed4 = tlacitka[3];
    // An edit box claims Ctrl+arrows before shortcuts are looked at; only the application sees
    // that claim first.
    qApp->installEventFilter(this);
}

bool TFZaklData::eventFilter(QObject* o, QEvent* e) {
    if (e->type() != QEvent::ShortcutOverride) return false;
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || w == this || !isAncestorOf(w)) return false;
    const auto* k = static_cast<QKeyEvent*>(e);
    const QKeySequence stisk(k->keyCombination());
    for (QAction* a : PMenu->actions()) {
        if (a->shortcut() == stisk && a->isEnabled()) {
            // Not claimed: the shortcut of the popup item takes the key.
            e->ignore();
            return true;
        }
    }
    return false;
}

QAction* TFZaklData::pridej(QMenu* m, const QString& caption, const QString& name,
                            const QString& hint, const QKeySequence& key) {
    QAction* a = novaAkce(this, caption, name, hint, key, Qt::WidgetWithChildrenShortcut);
    if (!key.isEmpty()) addAction(a);  // the keys work without the menu being open
    m->addAction(a);
    return a;
}

QAction* TFZaklData::akce(const QString& name) const {
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void TFZaklData::FormCreate() {
    TFormZaklad::FormCreate();
    const std::string tag = CtiText(hlavni()->ini(), jmeno().toStdString(), "index", "artist");
    if (tag.empty() || TData->hasTag(tag)) pohledTData.nastavTag(tag);
    TData->first();
    obnovZobrazeni();
}

void TFZaklData::FormActivate() {
    TFormZaklad::FormActivate();
    if (TData) hlavni()->PocetCD(1, TData->recordCount());
}

void TFZaklData::poOtevreniTData() {
    TFormZaklad::poOtevreniTData();
    hlavni()->PocetCD(1, TData->recordCount());
}

void TFZaklData::prvni() {
    if (!TData) return;
    TData->first();
    obnovZobrazeni();
}
void TFZaklData::predchozi() {
    if (!TData) return;
    TData->prior();
    if (TData->bof()) TData->first();
    obnovZobrazeni();
}
void TFZaklData::dalsi() {
    if (!TData) return;
    TData->next();
    if (TData->eof()) TData->last();
    obnovZobrazeni();
}
void TFZaklData::posledni() {
    if (!TData) return;
    TData->last();
    obnovZobrazeni();
}

void TFZaklData::MKOznacClick() {
    hlavni()->OznacCD(aktualniCislo());
}

void TFZaklData::HlNenalezen() {
    hlavni()->zpravy().zobraz("Hledané AudioCD nenalezeno", MsgKind::Information, kButtonsOK);
}

void TFZaklData::MKPrejitClick() {
    const long long cislo = hlavni()->OznacenyCD();
    if (cislo == 0 || !TData) return;
    if (!NajdiCD(cislo, "cislo", *TData))
        HlNenalezen();
    else
        obnovZobrazeni();
}

void TFZaklData::MKPreVybClick() {
    if (!TData) return;
    if (!NajdiCD(1, "cislo", *TData))
        HlNenalezen();
    else
        obnovZobrazeni();
}

void TFZaklData::nastavTag(const QString& tag) {
    if (!TData || (!tag.isEmpty() && !TData->hasTag(tag.toStdString()))) return;
    pohledTData.nastavTag(tag.toStdString());
    obnovZobrazeni();
}

void TFZaklData::MSUlozClick() {
    if (!TData) return;
    ZapisText(hlavni()->ini(), jmeno().toStdString(), "index", TData->tag());
}

void TFZaklData::DiskAboutToShow() {
    const bool oznacen = hlavni()->OznacenyCD() != 0;
    const auto polozky = MDisk->actions();
    for (qsizetype i = 1; i < polozky.size(); ++i) polozky[i]->setEnabled(oznacen);
}

void TFZaklData::SerazeniAboutToShow() {
    const QString tag = TData ? QString::fromStdString(TData->tag()) : QString();
    for (QAction* a : MSerazeni->actions()) {
        if (!a->isCheckable()) continue;
        a->setChecked(a->property("tag").toString().compare(tag, Qt::CaseInsensitive) == 0);
    }
}

}  // namespace lorvika
