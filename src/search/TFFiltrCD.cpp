#include "search/TFFiltrCD.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/RegistrFormularu.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"
#include "store/AsciiCase.h"
#include "store/Catalogue.h"

namespace lorvika {

namespace {

const QString kObsahujeHint =
    QStringLiteral("vybere danou podmínku, hledaný text musí být alespoň obsažen");
const QString kShodaHint = QStringLiteral("vybere danou podmínku, hledaný text musí být shodný");
const QString kNegaceHint = QStringLiteral("vyhodnotí danou podmínku negativně");

int radekOvladace(const QObject* o) {
    return o->property("tag").toInt();
}

// Rating words and the entry text compare with only a to z folded.
bool stejneAZ(const QString& a, const QString& b) {
    return equalNoCase(a.toStdString(), b.toStdString());
}

std::string utf8(const QString& s) {
    return s.toStdString();
}

// Watches the focus of the query controls for the form (the form itself also filters every
// event of the application, so it cannot tell its own controls' events apart).
class Hlidac : public QObject {
  public:
    Hlidac(QObject* rodic, std::function<void(QObject*, QEvent*)> akce)
        : QObject(rodic), akce_(std::move(akce)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        akce_(o, e);
        return false;
    }

  private:
    std::function<void(QObject*, QEvent*)> akce_;
};

}  // namespace

TFFiltrCD::TFFiltrCD(TForm1* hlavni) : TFViewCD(hlavni, QStringLiteral("FFiltrCD")) {
    setWindowTitle(QStringLiteral("Vyhledání AudioCD"));
    Label1->setText(QStringLiteral("Vyhledání AudioCD"));
    hlidac_ = new Hlidac(this, [this](QObject* o, QEvent* e) { hlidejFokus(o, e); });
    sestavDotaz();
    BOK->setVisible(true);
    BOK->setDefault(true);
    DEPage(false);
    MSerazeni->menuAction()->setVisible(false);
    MVTab->menuAction()->setVisible(false);
    MTisk->menuAction()->setVisible(false);
    nastavFiltr([this](const dbf::Cursor& c) { return vyhovuje(c); });
}

TFFiltrCD::~TFFiltrCD() = default;

void TFFiltrCD::sestavDotaz() {
    TSDotaz = new QWidget;
    TSDotaz->setObjectName(QStringLiteral("TSDotaz"));
    PageC->insertTab(0, TSDotaz, QStringLiteral("Dotaz"));

    auto* posuv = new QScrollArea(TSDotaz);
    posuv->setObjectName(QStringLiteral("SBDotaz"));
    posuv->setWidgetResizable(true);
    posuv->setFrameShape(QFrame::NoFrame);
    auto* plocha = new QWidget;
    // The scroll area sizes the rows to its width, and the rows keep the designed font: scaled
    // with a maximized window (by its height), five columns of them would not fit its width.
    plocha->setProperty("vyplnujeRodice", true);
    QFont pismo = font();
    pismo.setPointSizeF(pismo.pointSizeF());  // set, not inherited
    plocha->setFont(pismo);
    posuv->setWidget(plocha);
    auto* obal = new QVBoxLayout(TSDotaz);
    obal->setContentsMargins(0, 0, 0, 0);
    obal->addWidget(posuv);

    auto* g = new QGridLayout(plocha);
    g->setColumnStretch(1, 1);
    auto znacka = [](QObject* o, int n) { o->setProperty("tag", n); };
    auto edit = [&](const char* jmeno, int n, int delka) {
        auto* e = new TAMEdit(plocha);
        e->setObjectName(QString::fromLatin1(jmeno));
        if (delka > 0) e->setMaxLength(delka);
        znacka(e, n);
        e->installEventFilter(hlidac_);
        connect(e, &QLineEdit::textChanged, this, [this] { dotazSeZmenil(); });
        return e;
    };
    auto combo = [&](const char* jmeno, int n) {
        auto* c = new QComboBox(plocha);
        c->setObjectName(QString::fromLatin1(jmeno));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        // The page scales its fonts with the window: a combo must not claim the width of its
        // longest item, or the rows grow past the window.
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(4);
        c->lineEdit()->setMaxLength(jmeno == std::string_view("FCBVyd_F") ? 30 : 25);
        znacka(c, n);
        c->installEventFilter(hlidac_);
        connect(c, &QComboBox::currentTextChanged, this, [this] { dotazSeZmenil(); });
        return c;
    };
    auto box = [&](const QString& text, const QString& jmeno, int n, const QString& hint) {
        auto* b = new QCheckBox(text, plocha);
        b->setObjectName(jmeno);
        znacka(b, n);
        if (!hint.isEmpty()) nastavNapovedu(b, hint);
        connect(b, &QCheckBox::toggled, this, [this] { dotazSeZmenil(); });
        return b;
    };
    auto mez = [&](const char* jmeno, int n) {
        QCheckBox* b =
            box(QString::fromUtf8(std::string_view(jmeno).ends_with("Od") ? "od:" : "do:"),
                QString::fromLatin1(jmeno), n, {});
        connect(b, &QCheckBox::clicked, this, [this, b] { MezClick(b); });
        return b;
    };
    auto dvojice = [&](QWidget* a, QWidget* b, QWidget* c, QWidget* d) {
        auto* h = new QHBoxLayout;
        h->setContentsMargins(0, 0, 0, 0);
        for (QWidget* w : {a, b, c, d}) h->addWidget(w, w == b || w == d ? 1 : 0);
        return h;
    };

    FCBArtist = combo("FCBArtist", 2);
    FEAlbum = edit("FEAlbum", 1, 50);
    FEName = edit("FEName", 3, 50);
    FCBZanr = combo("FCBZanr", 5);
    FCBTyp = combo("FCBTyp", 6);
    FCBHodnocOd = combo("FCBHodnocOd", 22);
    FCBHodnocDo = combo("FCBHodnocDo", 22);
    CBHodnocOd = mez("CBHodnocOd", 22);
    CBHodnocDo = mez("CBHodnocDo", 22);
    FERokOd = edit("FERokOd", 8, 4);
    FERokDo = edit("FERokDo", 8, 4);
    CBRokOd = mez("CBRokOd", 8);
    CBRokDo = mez("CBRokDo", 8);
    FECenaOd = edit("FECenaOd", 21, 4);
    FECenaDo = edit("FECenaDo", 21, 4);
    CBCenaOd = mez("CBCenaOd", 21);
    CBCenaDo = mez("CBCenaDo", 21);
    FCBZeme = combo("FCBZeme", 7);
    FCBTypS = combo("FCBTypS", 23);
    FEZpev = edit("FEZpev", 9, 50);
    FEKytar = edit("FEKytar", 10, 50);
    FEBasa = edit("FEBasa", 11, 50);
    FEBici = edit("FEBici", 12, 50);
    FEKlav = edit("FEKlav", 13, 50);
    FEHost = edit("FEHost", 14, 50);
    FESax = edit("FESax", 17, 50);
    FETrubka = edit("FETrubka", 18, 50);
    FESpecial = edit("FESpecial", 19, 50);
    FEPopis = edit("FEPopis", 20, 50);
    FEPStopOd = edit("FEPStopOd", 4, 0);
    FEPStopDo = edit("FEPStopDo", 4, 0);
    FEPStopOd->setAlignment(Qt::AlignRight);
    FEPStopDo->setAlignment(Qt::AlignRight);
    FCBVyd_F = combo("FCBVyd_F", 15);
    FEVyd_P = edit("FEVyd_P", 16, 50);

    struct Radek {
        int n;
        const char* titulek;
        QWidget* hodnota;  // null for range rows (their controls come below)
        QLayout* rozsah;
    };
    auto* popisOd = new QLabel(QStringLiteral("od:"), plocha);
    auto* popisDo = new QLabel(QStringLiteral("do:"), plocha);
    const Radek radky[] = {
        {2, "Interpret:", FCBArtist, nullptr},
        {1, "Album:", FEAlbum, nullptr},
        {3, "Skladba:", FEName, nullptr},
        {5, "Žánr:", FCBZanr, nullptr},
        {6, "Typ:", FCBTyp, nullptr},
        {22, "Hodnocení:", nullptr, dvojice(CBHodnocOd, FCBHodnocOd, CBHodnocDo, FCBHodnocDo)},
        {8, "Rok vydání:", nullptr, dvojice(CBRokOd, FERokOd, CBRokDo, FERokDo)},
        {21, "Cena:", nullptr, dvojice(CBCenaOd, FECenaOd, CBCenaDo, FECenaDo)},
        {7, "Původ:", FCBZeme, nullptr},
        {23, "Typ skladby:", FCBTypS, nullptr},
        {9, "Zpěv:", FEZpev, nullptr},
        {10, "Kytara:", FEKytar, nullptr},
        {11, "Basa:", FEBasa, nullptr},
        {12, "Bicí:", FEBici, nullptr},
        {13, "Klávesy:", FEKlav, nullptr},
        {14, "Host:", FEHost, nullptr},
        {17, "Saxofon:", FESax, nullptr},
        {18, "Trubka:", FETrubka, nullptr},
        {19, "Specialita:", FESpecial, nullptr},
        {20, "Popis:", FEPopis, nullptr},
        {4, "Počet stop:", nullptr, dvojice(popisOd, FEPStopOd, popisDo, FEPStopDo)},
        {15, "Firma:", FCBVyd_F, nullptr},
        {16, "Producent:", FEVyd_P, nullptr},
    };
    int y = 0;
    for (const Radek& r : radky) {
        auto* titulek = new QLabel(QString::fromUtf8(r.titulek), plocha);
        titulek->setBuddy(r.hodnota);
        g->addWidget(titulek, y, 0);
        if (r.hodnota)
            g->addWidget(r.hodnota, y, 1);
        else
            g->addLayout(r.rozsah, y, 1);
        const QString cislo = QString::number(r.n);
        if (!r.rozsah) {
            QCheckBox* o =
                box(QStringLiteral("obsahuje"), QStringLiteral("ChBO") + cislo, r.n, kObsahujeHint);
            connect(o, &QCheckBox::clicked, this, [this, o] { ChBOClick(o); });
            g->addWidget(o, y, 2);
        }
        QCheckBox* s =
            box(QStringLiteral("shoda"), QStringLiteral("ChBS") + cislo, r.n, kShodaHint);
        connect(s, &QCheckBox::clicked, this, [this, s] { ChBOClick(s); });
        g->addWidget(s, y, 3);
        g->addWidget(
            box(QStringLiteral("negace"), QStringLiteral("ChBN") + cislo, r.n, kNegaceHint), y, 4);
        ++y;
    }

    // Below the rows but outside their scrolling: the choice is part of what OK does.
    GroupBox1 = new QGroupBox(QStringLiteral("AudioCD musí vyhovovat:"), TSDotaz);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    RadioButton1 = new QRadioButton(QStringLiteral("alespoň jedné podmínce"), GroupBox1);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2 = new QRadioButton(QStringLiteral("všem podmínkám"), GroupBox1);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton2->setChecked(true);
    auto* skupina = new QHBoxLayout(GroupBox1);
    skupina->addWidget(RadioButton1);
    skupina->addWidget(RadioButton2);
    skupina->addStretch();
    connect(RadioButton1, &QRadioButton::toggled, this, [this] { dotazSeZmenil(); });
    obal->addWidget(GroupBox1);
    g->setRowStretch(y, 1);

    // The initial state: no row on, the lower bounds on and shown, the upper ones hidden.
    FERokOd->setText(QStringLiteral("2000"));
    FERokDo->setText(QStringLiteral("2000"));
    FECenaOd->setText(QStringLiteral("0"));
    FECenaDo->setText(QStringLiteral("0"));
    for (QCheckBox* b : {CBRokOd, CBCenaOd, CBHodnocOd}) b->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(FERokDo), static_cast<QWidget*>(FECenaDo),
                       static_cast<QWidget*>(FCBHodnocDo)})
        w->setVisible(false);
    NaplnHodnoceni(FCBHodnocOd, 4);
    NaplnHodnoceni(FCBHodnocDo, 6);
    for (QComboBox* c : {FCBHodnocOd, FCBHodnocDo}) c->setMinimumContentsLength(10);
    for (TAMEdit* e : {FEPStopOd, FEPStopDo, FERokOd, FERokDo, FECenaOd, FECenaDo})
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    for (QComboBox* c : {FCBHodnocOd, FCBHodnocDo})
        connect(c, &QComboBox::currentTextChanged, this, [this, c] { FCBHodnocOdExit(c, false); });
}

// --- creation and activation -----------------------------------------------------------------

void TFFiltrCD::FormCreate() {
    TFViewCD::FormCreate();
    AktualizujComboBox();
    ZrusModifikaci();
}

void TFFiltrCD::FormActivate() {
    // Other windows may have changed albums and tracks meanwhile: the evaluation starts again.
    hledani_.reset();
    TFViewCD::FormActivate();
}

void TFFiltrCD::aktivacePotomka() {
    if (predavanyKod == 2) AktualizujComboBox();
    TFViewCD::aktivacePotomka();
}

// The evaluation holds views of the tables: they must not outlive the form's cursors.
void TFFiltrCD::predZavrenimTData() {
    hledani_.reset();
    TFViewCD::predZavrenimTData();
}

void TFFiltrCD::predZavrenimTSkladby() {
    hledani_.reset();
    TFViewCD::predZavrenimTSkladby();
}

void TFFiltrCD::AktualizujComboBox() {
    const struct {
        QComboBox* combo;
        const char* sloupec;
        const char* tabulka;
    } polozky[] = {
        {FCBZanr, "ZANR", "cddata.dbf"},     {FCBTyp, "TYP", "cddata.dbf"},
        {FCBZeme, "ZEME", "cddata.dbf"},     {FCBVyd_F, "VYD_F", "cddata.dbf"},
        {FCBArtist, "ARTIST", "cddata.dbf"}, {FCBTypS, "TYP", "cdskladby.dbf"},
    };
    for (const auto& p : polozky) {
        // What the user typed stays; only the offered values are new.
        const QString text = p.combo->currentText();
        NaplnCombo(*hlavni(), p.combo, QString::fromLatin1(p.sloupec), QString(), true,
                   QString::fromLatin1(p.tabulka));
        p.combo->setCurrentIndex(-1);
        p.combo->setEditText(text);
    }
    // Refilling is no choice of the user's: no acceptance step, no coupling.
    vKontrole_ = true;
    NaplnHodnoceni(FCBHodnocOd, 4);
    NaplnHodnoceni(FCBHodnocDo, 6);
    vKontrole_ = false;
    dotazSeZmenil();
}

// --- the query -------------------------------------------------------------------------------

int TFFiltrCD::mezHodnoceni(const QComboBox* combo) {
    return combo->property("tag").toInt();
}

Dotaz TFFiltrCD::CtiDotaz() const {
    Dotaz d;
    d.alesponJedne = RadioButton1->isChecked();
    for (int n = 1; n <= kPocetRadku; ++n) {
        PodminkaRadku& p = d[n];
        const QString cislo = QString::number(n);
        const auto* o = findChild<QCheckBox*>(QStringLiteral("ChBO") + cislo);
        const auto* s = findChild<QCheckBox*>(QStringLiteral("ChBS") + cislo);
        const auto* neg = findChild<QCheckBox*>(QStringLiteral("ChBN") + cislo);
        p.rezim = o && o->isChecked()   ? Rezim::Obsahuje
                  : s && s->isChecked() ? Rezim::Shoda
                                        : Rezim::Vypnuto;
        p.negace = neg && neg->isChecked();
    }
    const std::pair<int, QWidget*> texty[] = {
        {1, FEAlbum},   {2, FCBArtist},  {3, FEName},    {5, FCBZanr},  {6, FCBTyp},
        {7, FCBZeme},   {9, FEZpev},     {10, FEKytar},  {11, FEBasa},  {12, FEBici},
        {13, FEKlav},   {14, FEHost},    {15, FCBVyd_F}, {16, FEVyd_P}, {17, FESax},
        {18, FETrubka}, {19, FESpecial}, {20, FEPopis},  {23, FCBTypS},
    };
    for (const auto& [n, w] : texty) {
        if (const auto* e = qobject_cast<const QLineEdit*>(w))
            d[n].text = utf8(e->text());
        else
            d[n].text = utf8(static_cast<const QComboBox*>(w)->currentText());
    }
    d[4].od = CeleCisloNeboNula(utf8(FEPStopOd->text()));
    d[4].do_ = CeleCisloNeboNula(utf8(FEPStopDo->text()));
    d[4].odZapnuto = d[4].doZapnuto = true;
    // A range keeps its mode and negation; the text is not used.
    const auto rozsah = [&d](int i, const QCheckBox* od, const QCheckBox* do_, int odHodnota,
                             int doHodnota) {
        d[i] = {d[i].rezim,       d[i].negace, {},       od->isChecked(),
                do_->isChecked(), odHodnota,   doHodnota};
    };
    rozsah(8, CBRokOd, CBRokDo, CeleCisloNeboNula(utf8(FERokOd->text())),
           CeleCisloNeboNula(utf8(FERokDo->text())));
    rozsah(21, CBCenaOd, CBCenaDo, CeleCisloNeboNula(utf8(FECenaOd->text())),
           CeleCisloNeboNula(utf8(FECenaDo->text())));
    rozsah(22, CBHodnocOd, CBHodnocDo, mezHodnoceni(FCBHodnocOd), mezHodnoceni(FCBHodnocDo));
    return d;
}

bool TFFiltrCD::vyhovuje(const dbf::Cursor& album) {
    if (!TData || !TSkladby) return false;  // the tables are closed (backup, restore)
    if (!hledani_) hledani_ = std::make_unique<Vyhledavani>(CtiDotaz(), *TData, *TSkladby);
    return hledani_->Vyhovuje(album);
}

void TFFiltrCD::dotazSeZmenil() {
    hledani_.reset();
}

// --- the search ------------------------------------------------------------------------------

void TFFiltrCD::ZrusModifikaci() {
    for (TAMEdit* e :
         {FEAlbum, FEName, FEPStopOd, FEPStopDo, FERokOd, FERokDo, FEZpev, FEKytar, FEBasa, FEBici,
          FEKlav, FEHost, FEVyd_P, FESax, FETrubka, FESpecial, FEPopis, FECenaOd, FECenaDo})
        e->setModified(false);
}

void TFFiltrCD::BOKClick() {
    ZrusModifikaci();
    const std::string tag = TData ? TData->tag() : std::string();
    zavriTSkladby();
    zavriTData();
    otevriTSkladby();
    otevriTData();
    if (TData->hasTag(tag)) TData->setTag(tag);
    dotazSeZmenil();
    zapniFiltr(true);
    const std::size_t pocet = TData->recordCount();
    hlavni()->PocetCD(1, pocet);
    if (pocet > 0) {
        hlavni()->zpravy().zobrazSPipnutim(std::string(kVyhovujePocet) + std::to_string(pocet),
                                           MsgKind::Information, kButtonsOK);
        DEPage(true);
        PageC->setCurrentIndex(1);
        obnovSeznam();
    } else {
        hlavni()->zpravy().zobrazSPipnutim(std::string(kNicNevyhovuje), MsgKind::Information,
                                           kButtonsOK);
        zapniFiltr(false);
        hlavni()->PocetCD(1, TData->recordCount());
        // Pages of an earlier search would now show every album.
        DEPage(false);
        obnovSeznam();
    }
}

void TFFiltrCD::DEPage(bool viditelne) {
    for (int i = 1; i < PageC->count(); ++i) PageC->setTabVisible(i, viditelne);
    if (!viditelne && PageC->currentIndex() != 0) PageC->setCurrentIndex(0);
}

bool TFFiltrCD::vysledky() const {
    return PageC->count() > 1 && PageC->isTabVisible(1);
}

void TFFiltrCD::PageCChange(int index) {
    TFViewCD::PageCChange(index);
    const bool vysledkova = index != 0;
    MSerazeni->menuAction()->setVisible(vysledkova);
    MTisk->menuAction()->setVisible(vysledkova);
}

// --- the controls ----------------------------------------------------------------------------

void TFFiltrCD::ChBOClick(QCheckBox* box) {
    DEPage(false);
    if (!box->isChecked()) return;
    const QString jmeno = box->objectName();
    const QString druhy = (jmeno.startsWith(QStringLiteral("ChBO")) ? QStringLiteral("ChBS")
                                                                    : QStringLiteral("ChBO")) +
                          QString::number(radekOvladace(box));
    if (auto* b = findChild<QCheckBox*>(druhy)) b->setChecked(false);
}

void TFFiltrCD::MezClick(QCheckBox* box) {
    const std::pair<QCheckBox*, QWidget*> meze[] = {
        {CBRokOd, FERokOd},   {CBRokDo, FERokDo},        {CBCenaOd, FECenaOd},
        {CBCenaDo, FECenaDo}, {CBHodnocOd, FCBHodnocOd}, {CBHodnocDo, FCBHodnocDo},
    };
    for (std::size_t i = 0; i < std::size(meze); ++i) {
        if (meze[i].first != box) continue;
        meze[i].second->setVisible(box->isChecked());
        if (!box->isChecked()) {
            // The other bound of the row: at least one always applies.
            const auto& druha = meze[i ^ 1];
            druha.first->setChecked(true);
            druha.second->setVisible(true);
        }
    }
    DEPage(false);
}

void TFFiltrCD::FEEditExit(TAMEdit* e) {
    if (e->isModified()) DEPage(false);
}

void TFFiltrCD::FEMezExit(TAMEdit* e) {
    if (e->isModified()) DEPage(false);
    const int n = radekOvladace(e);
    if (const auto chyba = ChybaMeze(n, utf8(e->text()))) {
        vKontrole_ = true;
        hlavni()->zpravy().zobrazSPipnutim(std::string(*chyba), MsgKind::Warning, kButtonsOK);
        e->setFocus();
        vKontrole_ = false;
        return;
    }
    const std::int64_t hodnota = CeleCisloNeboNula(utf8(e->text()));
    const std::pair<TAMEdit*, TAMEdit*> dvojice[] = {
        {FEPStopOd, FEPStopDo}, {FERokOd, FERokDo}, {FECenaOd, FECenaDo}};
    for (const auto& [od, do_] : dvojice) {
        if (e == od && CeleCisloNeboNula(utf8(do_->text())) < hodnota) do_->setText(e->text());
        if (e == do_ && hodnota < CeleCisloNeboNula(utf8(od->text()))) od->setText(e->text());
    }
}

void TFFiltrCD::FCBEnter(QComboBox* c) {
    vstupniText_ = c->currentText();
}

void TFFiltrCD::FCBExit(QComboBox* c) {
    if (!stejneAZ(c->currentText(), vstupniText_)) DEPage(false);
}

void TFFiltrCD::FCBHodnocOdExit(QComboBox* c, bool odchod) {
    if (vKontrole_) return;
    const auto index = HodnoceniZeSlova(utf8(c->currentText()));
    if (!index) {
        if (odchod) {
            vKontrole_ = true;
            c->setFocus();
            vKontrole_ = false;
        }
        return;
    }
    c->setProperty("tag", *index);
    if (!stejneAZ(c->currentText(), vstupniText_)) DEPage(false);
    vKontrole_ = true;
    const int od = mezHodnoceni(FCBHodnocOd);
    const int do_ = mezHodnoceni(FCBHodnocDo);
    if (c == FCBHodnocOd && do_ < od) {
        FCBHodnocDo->setEditText(QString::fromStdString(HodnoceniText(od)));
        FCBHodnocDo->setProperty("tag", od);
    } else if (c == FCBHodnocDo && do_ < od) {
        FCBHodnocOd->setEditText(QString::fromStdString(HodnoceniText(do_)));
        FCBHodnocOd->setProperty("tag", do_);
    }
    vKontrole_ = false;
    dotazSeZmenil();
}

void TFFiltrCD::hlidejFokus(QObject* o, QEvent* e) {
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        const auto* f = static_cast<QFocusEvent*>(e);
        // Leaving the window (another window, a message, a list dropping down) is not leaving
        // the control; nor is the focus going back to a control that was refused.
        const bool jenOkno =
            f->reason() == Qt::ActiveWindowFocusReason || f->reason() == Qt::PopupFocusReason;
        if (!vKontrole_ && !jenOkno) {
            if (auto* combo = qobject_cast<QComboBox*>(o)) {
                if (e->type() == QEvent::FocusIn)
                    FCBEnter(combo);
                else if (combo == FCBHodnocOd || combo == FCBHodnocDo)
                    FCBHodnocOdExit(combo, true);
                else
                    FCBExit(combo);
            } else if (auto* edit = qobject_cast<TAMEdit*>(o);
                       edit && e->type() == QEvent::FocusOut) {
                const int n = radekOvladace(edit);
                if (n == 4 || n == 8 || n == 21)
                    FEMezExit(edit);
                else
                    FEEditExit(edit);
            }
        }
    }
}

void registrujTFFiltrCD(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FFiltrCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFFiltrCD>(&h);
    });
}

}  // namespace lorvika
