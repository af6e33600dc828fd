#include "lending/TFPujCD.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QResizeEvent>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/HlidacTextu.h"
#include "app/Ovladace.h"
#include "app/SluzbyFormularu.h"
#include "app/TForm1.h"
#include "store/Catalogue.h"
#include "store/GridSort.h"

namespace lorvika {

namespace {

const QString kJmeno = QStringLiteral("FPujCD");
// Due dates are chosen in days from today within the up-down range.
constexpr int kMaxDnu = 10000;

QDate qDatum(dbf::Date d) {
    return d.isNull() ? QDate() : QDate(d.year, d.month, d.day);
}

dbf::Date dbfDatum(const QDate& d) {
    return {d.year(), d.month(), d.day()};
}

QString text(const dbf::Cursor& c, const char* pole) {
    return QString::fromStdString(c.text(pole)).trimmed();
}

// The overview's columns in their order, titled as every grid titles the album fields.
std::vector<SloupecMrizky> sloupcePrehledu() {
    static const char* const pole[] = {"ARTIST",    "ALBUM", "PUJ_KOMU", "PUJ_DOKDY", "PUJ_KOLIK",
                                       "PUJ_ANONE", "ROK",   "DELKA",    "VYD_F",     "VYD_P",
                                       "PSTOP",     "ZEME",  "ZANR",     "ZPEV",      "KYTAR",
                                       "BASA",      "BICI",  "KLAV",     "HOST",      "TYP"};
    std::vector<SloupecMrizky> out;
    for (const char* p : pole)
        out.push_back(
            {QString::fromLatin1(p), QString::fromStdString(TitulekSloupce(SloupceAlb(), p)), 100});
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    for (const auto& [sipka, smer] : {std::pair{Qt::UpArrow, 1}, std::pair{Qt::DownArrow, -1}}) {
        auto* b = new QToolButton(this);
        b->setArrowType(sipka);
        b->setAutoRepeat(true);
        b->setFixedSize(18, 12);
        b->setObjectName(smer > 0 ? QStringLiteral("nahoru") : QStringLiteral("dolu"));
        connect(b, &QToolButton::clicked, this, [this, smer = smer] { krok(smer); });
        l->addWidget(b);
    }
}

void UpDown::setRange(int min, int max) {
    min_ = min;
    max_ = max;
    setPosition(position_);
}

void UpDown::setPosition(int position) {
    position_ = std::clamp(position, min_, max_);
}

void UpDown::krok(int smer) {
    bool cislo = false;
    const int napsano = buddy_ ? buddy_->text().trimmed().toInt(&cislo) : 0;
    if (cislo) setPosition(napsano);
    const int pred = position_;
    setPosition(position_ + smer);
    if (position_ != pred) emit kliknuto();
}

QVariant ModelPrehledu::data(const QModelIndex& index, int role) const {
    if (role == Qt::TextAlignmentRole && index.isValid() &&
        index.column() < static_cast<int>(sloupce().size()) &&
        sloupce()[static_cast<std::size_t>(index.column())].pole.compare(QLatin1String("PUJ_ANONE"),
                                                                         Qt::CaseInsensitive) == 0)
        return QVariant(Qt::AlignCenter);
    return ModelKurzoru::data(index, role);
}

// ---------------------------------------------------------------------------------------------

TFPujCD::TFPujCD(TForm1* hlavni) : TFZaklData(hlavni, kJmeno) {
    setWindowTitle(QStringLiteral("Půjčení kazety"));
    Label1->setText(QStringLiteral("Půjčení AudioCD"));
    // Only the weight is set: the size follows the form's font when the window scales it.
    QFont nadpis;
    nadpis.setBold(true);
    Label1->setFont(nadpis);
    nastavNapovedu(BOK, QStringLiteral("zapíše půjčení nebo jeho změnu"));

    MVZhled = podmenu(MMenu, QStringLiteral("&Vzhled"), "MVZhled");
    MVZMinus = polozka(MVZhled, QStringLiteral("font o bod &menší"), "MVZMinus");
    MVZMinus->setData(-1);
    MVZPlus = polozka(MVZhled, QStringLiteral("font o bod &větší"), "MVZPlus");
    MVZPlus->setData(1);
    MVZhled->addSeparator();
    MVZUloz = polozka(MVZhled, QStringLiteral("&ulož vzhled"), "MVZUloz");
    MVZUloz->setStatusTip(
        QStringLiteral("uloží velikost fontu, pořadí a šířku sloupců pro příští použití"));
    for (QAction* a : {MVZMinus, MVZPlus})
        connect(a, &QAction::triggered, this, [this, a] { MVZMinusClick(a->data().toInt()); });
    connect(MVZUloz, &QAction::triggered, this, [this] { MVZUlozClick(); });
    connect(MSerazeni, &QMenu::aboutToShow, this, [this] { obnovRazeni(); });
    MVZhled->menuAction()->setVisible(false);

    // Both keys switch to the other tab.
    const std::pair<const char*, QKeySequence> zalozky[] = {
        {"zal1", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        {"zal2", QKeySequence(Qt::CTRL | Qt::Key_PageUp)}};
    for (const auto& [jmeno, klavesa] : zalozky) {
        QAction* a = novaAkce(this, QString::fromLatin1(jmeno), QString::fromLatin1(jmeno),
                              QString(), klavesa, Qt::WidgetWithChildrenShortcut);
        addAction(a);
        PMenu->addAction(a);
        connect(a, &QAction::triggered, this, [this] { PMZal1Click(); });
    }

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    sestavPujceni();
    sestavPrehled();
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int i) { PageControl1Change(i); });

    // The navigation buttons follow the layout (and the form's font) instead of fixed places.
    auto* navigace = new QHBoxLayout(Panel1);
    navigace->setContentsMargins(0, 0, 0, 0);
    navigace->setSpacing(2);
    for (QToolButton* b : {Speed1, Speed2, Speed3, Speed4}) navigace->addWidget(b);
    auto* horni = new QHBoxLayout;
    horni->addWidget(Panel1);
    horni->addStretch();
    horni->addWidget(Label1);
    horni->addStretch();
    auto* tlacitka = radaTlacitek({BOK, BCancel, BHelp});
    rozvrhniOkno(this, MMenu, horni, PageControl1, tlacitka);
}

TFPujCD::~TFPujCD() = default;

void TFPujCD::sestavPujceni() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    // The tab scrolls when the window (and its scaled fonts) leave it too little room.
    auto* obsah = posuvnaPlocha(TabSheet1);

    auto* info = new QGroupBox(QStringLiteral("Info:"), obsah);
    DBArtist = vystup(info, "DBArtist");
    DBAlbum = vystup(info, "DBAlbum");
    DBZanr = vystup(info, "DBZanr");
    DBEdit1 = vystup(info, "DBEdit1");
    DBRok = vystup(info, "DBRok");
    Edit8 = vystup(info, "Edit8");
    DBGrid2 = new QTableView(obsah);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->verticalHeader()->setVisible(false);
    skladby = new ModelKurzoru(DBGrid2);
    skladby->setSloupce({{QStringLiteral("NAME"), QStringLiteral("Skladby"), 200}});
    DBGrid2->setModel(skladby);
    DBGrid2->installEventFilter(this);
    auto* udaje = new QFormLayout;
    udaje->addRow(QStringLiteral("Interpret:"), DBArtist);
    udaje->addRow(QStringLiteral("Album:"), DBAlbum);
    udaje->addRow(QStringLiteral("Žánr:"), DBZanr);
    udaje->addRow(QStringLiteral("Typ:"), DBEdit1);
    udaje->addRow(QStringLiteral("Rok:"), DBRok);
    udaje->addRow(QStringLiteral(" Počet půjčení.:"), Edit8);
    info->setLayout(udaje);

    auto* stavBox = new QGroupBox(QStringLiteral("Stav:"), obsah);
    stav = new QLabel(stavBox);
    stav->setObjectName(QStringLiteral("stav"));
    QFont tucne;
    tucne.setBold(true);
    stav->setFont(tucne);
    auto* stavL = new QHBoxLayout(stavBox);
    stavL->addWidget(stav);

    auto* pujceni = new QGroupBox(QStringLiteral("Info o půjčení:"), obsah);
    Panel2 = new QWidget(pujceni);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    DateTimePicker1 = new QDateEdit(Panel2);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    nastavNapovedu(DateTimePicker1, QStringLiteral("datum vrácení"));
    Label11 = new QLabel(QStringLiteral(" Půjčit na:"), Panel2);
    Label11->setObjectName(QStringLiteral("Label11"));
    Edit7 = new QLineEdit(Panel2);
    Edit7->setObjectName(QStringLiteral("Edit7"));
    UpDown1 = new UpDown(Panel2);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, kMaxDnu);
    UpDown1->setBuddy(Edit7);
    Label12 = new QLabel(QStringLiteral("dnů"), Panel2);
    Label12->setObjectName(QStringLiteral("Label12"));
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    ComboBox1->lineEdit()->setMaxLength(30);
    ComboBox1->setMinimumContentsLength(20);
    nastavNapovedu(ComboBox1, QStringLiteral("jméno, komu je kazeta půjčována"));
    HlidejText(ComboBox1, QStringLiteral("Komu"), hlavni()->zpravy());
    auto* p2 = new QGridLayout(Panel2);
    p2->setContentsMargins(0, 0, 0, 0);
    p2->addWidget(new QLabel(QStringLiteral(" Do:"), Panel2), 0, 0);
    p2->addWidget(DateTimePicker1, 0, 1);
    auto* dny = new QHBoxLayout;
    dny->addWidget(Label11);
    dny->addWidget(Edit7);
    dny->addWidget(UpDown1);
    dny->addWidget(Label12);
    dny->addStretch();
    p2->addLayout(dny, 0, 2);
    p2->addWidget(new QLabel(QStringLiteral(" Komu:"), Panel2), 1, 0);
    p2->addWidget(ComboBox1, 1, 1, 1, 2);
    p2->setColumnStretch(2, 1);

    Button2 = new QPushButton(QStringLiteral("Umožnit půjčení"), pujceni);
    Button2->setObjectName(QStringLiteral("Button2"));
    nastavNapovedu(Button2, QStringLiteral("umožní půjčení nebo jeho změnu"));
    Button4 = new QPushButton(QStringLiteral("Vrácena"), pujceni);
    Button4->setObjectName(QStringLiteral("Button4"));
    nastavNapovedu(Button4, QStringLiteral("zapíše vrácení CD"));
    Button5 = new QPushButton(QStringLiteral("Nuluj počet půjčení"), pujceni);
    Button5->setObjectName(QStringLiteral("Button5"));
    nastavNapovedu(Button5, QStringLiteral("vynuluje počet půjčení"));
    auto* tl = new QHBoxLayout;
    tl->addWidget(Button2);
    tl->addWidget(Button4);
    tl->addWidget(Button5);
    tl->addStretch();
    auto* pujL = new QVBoxLayout(pujceni);
    pujL->addWidget(Panel2);
    pujL->addStretch();
    pujL->addLayout(tl);

    // The album's data, state and lending on the left, its tracks beside them: the window needs
    // little height.
    // The state above the tracks: the lending's buttons stay in view at the smallest size.
    auto* l = new QGridLayout(obsah);
    l->addWidget(info, 0, 0, 2, 1);
    l->addWidget(pujceni, 2, 0);
    l->addWidget(stavBox, 0, 1);
    l->addWidget(DBGrid2, 1, 1, 2, 1);
    l->setColumnStretch(0, 3);
    l->setColumnStretch(1, 2);
    l->setRowStretch(1, 1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Půjčení / Vrácení"));

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    // The user's change counts when the picker is left or a day is picked in its calendar.
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] {
        if (!nastavuji_) datumZmenen_ = true;
    });
    connect(DateTimePicker1, &QDateEdit::editingFinished, this, [this] { datumOpusten(); });
    connect(
        DateTimePicker1->calendarWidget(), &QCalendarWidget::clicked, this,
        [this] { datumOpusten(); }, Qt::QueuedConnection);
    connect(Edit7, &QLineEdit::editingFinished, this, [this] { Edit7Exit(); });
    connect(UpDown1, &UpDown::kliknuto, this, [this] { UpDown1Click(); });
    connect(ComboBox1->lineEdit(), &QLineEdit::editingFinished, this, [this] { ComboBox1Exit(); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { ComboBox1Exit(); });
}

void TFPujCD::sestavPrehled() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    DBGrid1 = new QTableView(TabSheet2);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setSectionsMovable(true);
    DBGrid1->horizontalHeader()->setSectionsClickable(true);
    prehled = new ModelPrehledu(DBGrid1);
    prehled->setSloupce(sloupcePrehledu());
    DBGrid1->setModel(prehled);
    connect(DBGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int sloupec) { DBGrid1TitleClick(sloupec); });
    connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& nyni) {
                if (!nastavuji_ && nyni.isValid()) prehled->prejdiNa(nyni.row());
            });

    RadioGroup1 = new QGroupBox(QStringLiteral("Zobrazení CD"), TabSheet2);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    auto* r = new QHBoxLayout(RadioGroup1);
    const char* const polozky[] = {"všechny", "půjčené", "nevrácené v termínu"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(polozky[i]), RadioGroup1);
        b->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(i));
        RadioGroup1Items->addButton(b, i);
        r->addWidget(b);
    }
    RadioGroup1Items->button(0)->setChecked(true);
    connect(RadioGroup1Items, &QButtonGroup::idClicked, this, [this](int id) {
        if (id != radio_) setRadioGroup1Index(id);
    });

    auto* l = new QVBoxLayout(TabSheet2);
    l->addWidget(DBGrid1, 1);
    l->addWidget(RadioGroup1);
    PageControl1->addTab(TabSheet2, QStringLiteral("Celkový přehled"));
}

dbf::Date TFPujCD::dnes() const {
    return dbfDatum(dnesQ());
}

QDate TFPujCD::dnesQ() const {
    return hlavni()->dnes();
}

void TFPujCD::FormCreate() {
    TFZaklData::FormCreate();
    if (!TData) return;
    nastavuji_ = true;
    PageControl1->setCurrentIndex(0);
    nastavuji_ = false;
    nastavDatum(dnesQ());
    naplnKomu();
    NactiMrizku(*hlavni(), DBGrid1, kJmeno, kJmeno);
    // The grids let go of a cursor before it closes and take the reopened one.
    sledujKurzor(prehled, 1, [this](dbf::Cursor* c) { prehled->setKurzor(c); });
    sledujKurzor(skladby, 2, [this](dbf::Cursor* c) { skladby->setKurzor(c); });
    pohledTSkladby.nastavTag("CD");
    Aktualizuj();
}

void TFPujCD::FormClose() {
    zavira_ = true;
    const std::string adresar = TData ? TData->directory() : hlavni()->session().adresar();
    TFZaklData::FormClose();
    if (adresar.empty()) return;
    // The window closes in any case; a scratch table that cannot be removed is reported.
    try {
        SmazSeznam(hlavni()->session().engine(), adresar);
    } catch (const std::exception& e) {
        hlavni()->zpravy().zobrazSPipnutim(e.what(), MsgKind::Error, kButtonsOK);
    }
}

int TFPujCD::velikostFontu() const {
    return DBGrid1->font().pointSize();
}

void TFPujCD::nastavDatum(const QDate& d) {
    const bool pred = nastavuji_;
    nastavuji_ = true;
    DateTimePicker1->setDate(d.isValid() ? d : dnesQ());
    nastavuji_ = pred;
}

void TFPujCD::naplnKomu() {
    const QString text = ComboBox1->currentText();
    NaplnCombo(*hlavni(), ComboBox1, QStringLiteral("PUJ_KOMU"), QStringLiteral("puj_komu"), false);
    ComboBox1->setCurrentText(text);
}

// After last() the engine reports eof while the last record stays current.
bool TFPujCD::maAlbum() const {
    return TData && !TData->isEmpty() && TData->recordNumber() != 0;
}

bool TFPujCD::JeAktKazPuj() const {
    return maAlbum() && JePujcena(TData->text("PUJ_ANONE"));
}

void TFPujCD::obnovZobrazeni() {
    Aktualizuj();
    zobrazAktualniVMrizce();
}

void TFPujCD::zobrazAktualniVMrizce() {
    if (!prehled || prehled->kurzor() != TData.get()) return;
    const int radek = prehled->radekAktualniho();
    nastavuji_ = true;
    if (radek >= 0)
        DBGrid1->setCurrentIndex(
            prehled->index(radek, std::max(0, DBGrid1->currentIndex().column())));
    nastavuji_ = false;
}

void TFPujCD::Aktualizuj() {
    const bool album = maAlbum();
    std::int64_t pocet = 0;
    if (album) {
        DBArtist->setText(text(*TData, "ARTIST"));
        DBAlbum->setText(text(*TData, "ALBUM"));
        DBZanr->setText(text(*TData, "ZANR"));
        DBEdit1->setText(text(*TData, "TYP"));
        DBRok->setText(QString::fromStdString(RokText(TData->integer("ROK"))));
        pocet = PocetPujceni(*TData);
        Edit8->setText(QString::number(pocet));
        nastavDatum(qDatum(TData->date("PUJ_DOKDY")));
        ComboBox1->setCurrentText(text(*TData, "PUJ_KOMU"));
    } else {
        for (QLineEdit* e : {DBArtist, DBAlbum, DBZanr, DBEdit1, DBRok, Edit8}) e->clear();
        ComboBox1->setCurrentText(QString());
    }
    if (TSkladby) {
        const std::int64_t cislo = aktualniCislo();
        pohledTSkladby.nastavTag("CD");
        pohledTSkladby.nastavRozsah(dbf::Key(cislo), dbf::Key(cislo));
        skladby->obnov();
    }

    const StavPujceni s = album ? StavAlba(*TData, dnes()) : StavPujceni::Nepujcena;
    stav->setText(QString::fromUtf8(TextStavu(s)));
    QPalette pal = stav->palette();
    pal.setColor(QPalette::WindowText, s == StavPujceni::Nepujcena ? QColor(0, 128, 0)
                                       : s == StavPujceni::Pujcena ? QColor(0, 0, 255)
                                                                   : QColor(255, 0, 0));
    stav->setPalette(pal);
    const bool pujcena = s != StavPujceni::Nepujcena;
    DateTimePicker1->setEnabled(false);
    ComboBox1->setEnabled(false);
    DateTimePicker1->setProperty("helpContext", 14013);
    ComboBox1->setProperty("helpContext", 14016);
    if (pujcena) {
        Button2->setText(QStringLiteral("Změna půjčení"));
        Button4->setEnabled(true);
        for (QWidget* w : {static_cast<QWidget*>(Label11), static_cast<QWidget*>(Label12),
                           static_cast<QWidget*>(Edit7), static_cast<QWidget*>(UpDown1)})
            w->setVisible(false);
        Panel2->setVisible(true);
    } else {
        Panel2->setVisible(false);
        Button2->setText(QStringLiteral("Umožnit půjčení"));
        Button4->setEnabled(false);
        for (QWidget* w : {static_cast<QWidget*>(Label11), static_cast<QWidget*>(Label12),
                           static_cast<QWidget*>(Edit7), static_cast<QWidget*>(UpDown1)})
            w->setVisible(true);
    }
    Button2->setEnabled(album);
    Button5->setEnabled(album && pocet >= 1);
    BOK->setEnabled(false);
    upravovane_ = 0;
}

bool TFPujCD::ukazujeAlba() const {
    return TData && QString::fromStdString(TData->fileName())
                            .compare(QStringLiteral("cddata.dbf"), Qt::CaseInsensitive) == 0;
}

void TFPujCD::obnovRazeni() {
    for (QAction* a : MSerazeni->actions()) {
        if (!a->isCheckable()) continue;
        const std::string tag = a->property("tag").toString().toStdString();
        a->setEnabled(tag.empty() || (TData && TData->hasTag(tag)));
    }
    if (QAction* ulozit = akce(QStringLiteral("MSUloz"))) ulozit->setEnabled(ukazujeAlba());
}

void TFPujCD::Button2Click() {
    if (!maAlbum() || !ukazujeAlba()) return;
    for (QWidget* w : {static_cast<QWidget*>(Label11), static_cast<QWidget*>(Label12),
                       static_cast<QWidget*>(Edit7), static_cast<QWidget*>(UpDown1)})
        w->setVisible(true);
    nastavDatum(dnesQ().addDays(1));
    UpDown1->setPosition(1);
    Edit7->setText(QStringLiteral("1"));
    DateTimePicker1->setEnabled(true);
    DateTimePicker1->setProperty("helpContext", 14014);
    ComboBox1->setEnabled(true);
    ComboBox1->setProperty("helpContext", 14017);
    if (JeAktKazPuj()) {
        Label11->setText(QStringLiteral(" Půjčit na dalších:"));
    } else {
        Label11->setText(QStringLiteral(" Půjčit na:"));
        // With no borrower known at all the box stays empty.
        ComboBox1->setCurrentText(ComboBox1->count() > 0 ? ComboBox1->itemText(0) : QString());
    }
    Panel2->setVisible(true);
    BOK->setEnabled(true);
    upravovane_ = aktualniCislo();
    if (auto* posuv = TabSheet1->findChild<QScrollArea*>()) posuv->ensureWidgetVisible(Button2);
}

void TFPujCD::datumOpusten() {
    if (!datumZmenen_ || zavira_ || !DateTimePicker1->isEnabled() || !DateTimePicker1->isVisible())
        return;
    DateTimePicker1Change();
}

bool TFPujCD::datumProslo() {
    if (dnesQ().daysTo(DateTimePicker1->date()) >= 0) return false;
    if (!hlasi_) {
        hlasi_ = true;
        hlavni()->zpravy().show("Vybrané datum již proběhlo - nelze", MsgKind::Information,
                                kButtonsOK, Sound::Exclamation, 0);
        hlasi_ = false;
        DateTimePicker1->setFocus();
    }
    return true;
}

void TFPujCD::DateTimePicker1Change() {
    if (hlasi_) return;
    // A refused date stays "changed", so leaving the picker again checks it again.
    if (datumProslo()) return;
    datumZmenen_ = false;
    const qint64 d = dnesQ().daysTo(DateTimePicker1->date());
    UpDown1->setPosition(static_cast<int>(std::min<qint64>(d, kMaxDnu)));
    Edit7->setText(QString::number(d));
    BOK->setEnabled(true);
}

void TFPujCD::Edit7Exit() {
    bool cislo = false;
    int d = Edit7->text().trimmed().toInt(&cislo);
    if (!cislo) d = 0;
    // A negative count would give a due date already past, which the picker refuses.
    d = std::clamp(d, 0, kMaxDnu);
    Edit7->setText(QString::number(d));
    nastavDatum(dnesQ().addDays(d));
    UpDown1->setPosition(d);
    BOK->setEnabled(true);
}

void TFPujCD::UpDown1Click() {
    nastavDatum(dnesQ().addDays(UpDown1->position()));
    Edit7->setText(QString::number(UpDown1->position()));
    BOK->setEnabled(true);
}

void TFPujCD::ComboBox1Exit() {
    if (ComboBox1->isEnabled()) BOK->setEnabled(true);
}

void TFPujCD::BOKClick() {
    // What was typed belongs to the album the editing began on, never to another or to a list.
    if (!maAlbum() || upravovane_ == 0 || !ukazujeAlba() || aktualniCislo() != upravovane_) {
        Aktualizuj();
        return;
    }
    const QString komu = ComboBox1->currentText();
    const bool bylaPujcena = JeAktKazPuj();
    Messages& zpravy = hlavni()->zpravy();
    if (komu.trimmed().isEmpty()) {
        zpravy.show("Není uvedeno komu půjčit - ruším", MsgKind::Information, kButtonsOK,
                    Sound::Exclamation, 0);
        return;
    }
    // Typing is guarded already; a name put into the box otherwise is checked here.
    const KontrolaTextu jmeno = ZkontrolujText(komu.toStdString(), "Komu");
    if (!jmeno.ok()) {
        zpravy.zobrazSPipnutim(jmeno.chyba, MsgKind::Warning, kButtonsOK);
        return;
    }
    // The picker may still hold a refused date; a lending never starts overdue.
    if (datumProslo()) return;
    bool zvysit = true;
    if (bylaPujcena)
        zvysit = zpravy.show("Zvýšit počet půjčení o 1?", MsgKind::Information, kButtonsYesNo,
                             Sound::Question, 0) == MsgButton::Yes;
    ZapisPujceni(hlavni()->session().engine(), *TData, jmeno.text, dbfDatum(DateTimePicker1->date()), zvysit);
    hlavni()->ObnovaFormularu(1);
    QApplication::beep();
    hlavni()->StavovyText(QStringLiteral("Informace o půjčení zapsány"));
    naplnKomu();
    Aktualizuj();
}

void TFPujCD::Button4Click() {
    if (!JeAktKazPuj()) return;
    ZapisVraceni(hlavni()->session().engine(), *TData);
    QApplication::beep();
    hlavni()->StavovyText(QStringLiteral("Informace o vrácení zapsány"));
    hlavni()->ObnovaFormularu(1);
    Aktualizuj();
}

void TFPujCD::Button5Click() {
    if (!maAlbum()) return;
    NulujPocet(hlavni()->session().engine(), *TData);
    Edit8->setText(QStringLiteral("0"));
    Button5->setEnabled(false);
}

void TFPujCD::PageControl1Change(int index) {
    if (nastavuji_) return;
    if (index == 1) {
        // Leaving the lending tab ends its editing.
        Aktualizuj();
        Panel1->setVisible(false);
        MVZhled->menuAction()->setVisible(true);
        prehled->obnov();
        zobrazAktualniVMrizce();
        return;
    }
    Panel1->setVisible(true);
    setRadioGroup1Index(0);
    MVZhled->menuAction()->setVisible(false);
    Aktualizuj();
}

void TFPujCD::PMZal1Click() {
    PageControl1->setCurrentIndex((PageControl1->currentIndex() + 1) % PageControl1->count());
}

int TFPujCD::RadioGroup1Index() const {
    return radio_;
}

void TFPujCD::setRadioGroup1Index(int index) {
    if (index == radio_) {
        RadioGroup1Items->button(index)->setChecked(true);
        return;
    }
    radio_ = index;
    RadioGroup1Items->button(index)->setChecked(true);
    RadioGroup1Click();
}

void TFPujCD::RadioGroup1Click() {
    if (!TData && !hlavni()->session().TData()) return;
    const std::string adresar = TData ? TData->directory() : hlavni()->session().adresar();
    const auto druh = static_cast<DruhSeznamu>(radio_);
    NastavDB(adresar, druh);
    if (druh != DruhSeznamu::Vsechny && TData && TData->recordCount() == 0) {
        hlavni()->zpravy().zobrazSPipnutim(ZpravaPrazdnehoSeznamu(druh), MsgKind::Information,
                                           kButtonsOK);
        setRadioGroup1Index(0);
    }
}

void TFPujCD::NastavDB(const std::string& adresar, DruhSeznamu druh) {
    dbf::Engine& engine = hlavni()->session().engine();
    prehled->setKurzor(nullptr);
    const auto naAlbum = [this](dbf::Cursor& c) {
        return zapamatovaneCislo != 0 && NajdiCD(zapamatovaneCislo, "cislo", c);
    };
    if (druh != DruhSeznamu::Vsechny) {
        if (ukazujeAlba()) tagVsech_ = TData->tag();
        zavriTData();
        // The list's own order; the view's remembered tag belongs to the album table.
        pohledTData.nastavTag("cislo");
        try {
            VytvorSeznam(engine, adresar, druh, dnes());
            TData = engine.open(adresar, std::string(kSouborSeznamu));
        } catch (...) {
            // A list that cannot be built leaves the window on all albums, not without a view.
            radio_ = 0;
            RadioGroup1Items->button(0)->setChecked(true);
            otevriTData();
            prehled->setKurzor(TData.get());
            throw;
        }
        pohledTData.obnov(naAlbum);
        poOtevreniTData();
    } else if (!TData || QString::fromStdString(TData->fileName())
                                 .compare(QStringLiteral("cddata.dbf"), Qt::CaseInsensitive) != 0) {
        zavriTData();
        // All albums come back in the order they had; a tag made for sorting a list need not
        // exist in the album table.
        pohledTData.nastavTag(tagVsech_.value_or("cislo"));
        tagVsech_.reset();
        otevriTData();
    }
    prehled->setKurzor(TData.get());
    obnovRazeni();
    zobrazAktualniVMrizce();
}

void TFPujCD::DBGrid1TitleClick(int sloupec) {
    if (!TData || sloupec < 0 || sloupec >= static_cast<int>(prehled->sloupce().size())) return;
    const std::string pole =
        prehled->sloupce()[static_cast<std::size_t>(sloupec)].pole.toStdString();
    const QString soubor =
        QString::fromStdString(hlavni()->cesty().programDir) + QStringLiteral("/columns.ini");
    // The engine adds the tag beside the other windows' open cursors; the columns are kept
    // across the creation all the same.
    const bool novy = SloupecRaditelny(*TData, pole, false);
    if (novy) UlozSloupce(DBGrid1, soubor);
    SeradPodleSloupce(*TData, pole, false);
    prehled->obnov();
    if (novy) NactiSloupce(DBGrid1, soubor);
    zobrazAktualniVMrizce();
}

void TFPujCD::MVZMinusClick(int krok) {
    nastavPismoMrizky(DBGrid1, velikostFontu() + krok);
}

void TFPujCD::MVZUlozClick() {
    UlozMrizku(*hlavni(), DBGrid1, kJmeno, kJmeno);
    QApplication::beep();
    hlavni()->StavovyText(
        QStringLiteral("pořadí sloupců, jejich velikost a velikost fontu uložena"));
}

void TFPujCD::aktivacePotomka() {
    const int kod = predavanyKod;
    predavanyKod = 0;
    if (kod == 1) {
        naplnKomu();
        Aktualizuj();
        if (PageControl1->currentIndex() == 1) RadioGroup1Click();
        hlavni()->StavovyText(QString());
    } else if (kod == 2) {
        naplnKomu();
    }
}

void TFPujCD::resizeEvent(QResizeEvent* e) {
    const int pismo1 = DBGrid1->font().pointSize();
    const int pismo2 = DBGrid2->font().pointSize();
    TFZaklData::resizeEvent(e);
    for (const auto& [mrizka, velikost] :
         {std::pair{DBGrid1, pismo1}, std::pair{DBGrid2, pismo2}}) {
        QFont f = mrizka->font();
        if (velikost > 0 && f.pointSize() != velikost) {
            f.setPointSize(velikost);
            mrizka->setFont(f);
        }
    }
    sirkaSkladeb();
}

// The track column is 20 pixels narrower than its grid.
void TFPujCD::sirkaSkladeb() {
    DBGrid2->setColumnWidth(0, std::max(20, DBGrid2->width() - 20));
}

bool TFPujCD::eventFilter(QObject* o, QEvent* e) {
    if (o == DBGrid2 && e->type() == QEvent::Resize) sirkaSkladeb();
    return TFZaklData::eventFilter(o, e);
}

void registrujTFPujCD(RegistrFormularu& registr) {
    registr.registruj(kJmeno, [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFPujCD>(&h);
    });
}

}  // namespace lorvika
