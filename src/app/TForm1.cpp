#include "app/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <algorithm>

#include "app/Nastaveni.h"
#include "app/PohledTabulky.h"
#include "app/TFKonfZaloh.h"
#include "app/TFNavig.h"
#include "app/TFVychozi.h"
#include "app/TFormZaklad.h"
#include "app/UvodniObrazek.h"
#include "app/Zastupci.h"
#include "export/Sonorek.h"
#include "store/Catalogue.h"
#include "store/OdstraneniCD.h"
#include "store/ZmenaAlba.h"

#ifdef LORVIKA_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

// The pictures live in a static library, so their resource must be registered by hand.
static void registrujObrazky() {
    Q_INIT_RESOURCE(lorvika);
}

namespace lorvika {

namespace {

constexpr int kPanelMsg = 4;  // index of panel 5

struct PolozkaFormulare {
    const char* caption;
    const char* name;
    const char* form;
    Qt::Key key;
    const char* hint;
};

const PolozkaFormulare kFormulare[] = {
    {"&navigátor", "MFNavig", "FNavig", Qt::Key_F2, "zobrazí formulář Navigátor"},
    {"&prohlížeč", "MFFViewCD", "FViewCD", Qt::Key_F3, "zobrazí formulář Prohlížeč AudioCD"},
    {"&editace", "MFFEditCD", "FEditCD", Qt::Key_F4, "zobrazí formulář Editace AudioCD"},
    {"n&ové", "MFFNewCD", "FNewCD", Qt::Key_F5, "zobrazí formulář Nové AudioCD"},
    {"vyhledání", "MFFFiltrCD", "FFiltrCD", Qt::Key_F7, ""},
    {"&odstranění", "MFFPrycCD", "FPrycCD", Qt::Key_F8, "zobrazí formulář Odstranění AudioCD"},
    {"pů&jčení", "MFFPujCD", "FPujCD", Qt::Key_F9, "zobrazí formulář Půjčení AudioCD"},
};

TFVychozi* formOf(QMdiSubWindow* w) {
    return w ? qobject_cast<TFVychozi*>(w->widget()) : nullptr;
}

}  // namespace

TForm1::TForm1(SluzbyHlavnihoOkna sluzby, QWidget* parent)
    : QMainWindow(parent), sluzby_(std::move(sluzby)) {
    setObjectName(QStringLiteral("Form1"));
    registrujObrazky();
    // FormCreate
    zavira_ = false;
    if (sluzby_.uvodniObrazek) UvodniObrazek::ukaz();
    session_ = std::make_unique<DatabaseSession>(sluzby_.cesty, *sluzby_.zpravy, *sluzby_.dialogy,
                                                 *this, this);
    session_->setDoplneniTxt(sluzby_.doplnTxt);
    session_->setOnChange([this] {
        obnovTitulek();
        obnovPredchozi();
    });
    // An album change completed at opening gets its player file like any saved change.
    session_->setPoDokonceniZmeny([this](std::int64_t cislo, const std::string& sn) {
        UlozTxtCDPoZmene(cislo, sn, *session_->TData(), *session_->TSkladby(),
                         session_->adresarTXT());
    });
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("ClientArea"));
    mdi_->setBackground(QBrush(QColor(0x80, 0x80, 0x80)));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &TForm1::aktivaceOkna);
    vytvorMenu();
    vytvorStavovyRadek();
    setMinimumSize(600, 450);
    titulek_ = QApplication::applicationName();
    setWindowTitle(titulek_);

    fmaxim_ = nastaveni::ctiAnoNe(ini(), "Nastaveni", "FMaxim", true);
    akce("MFMaxim")->setChecked(fmaxim_);
    proporce_.setZapnuto(fmaxim_);

    if (!sluzby_.instalovany && sluzby_.argumenty.size() == 1 &&
        sluzby_.argumenty.front() == QStringLiteral("-setup"))
        nabidniZastupce();

    proporce_.setZaklad(QSize(632, 430));
    proporce_.setRamec(true);
    nastaveni::NactiHlavniOkno(*this, ini(), proporce_);
    nastaveni::NastavOvladac(sluzby_.cesty);
}

TForm1::~TForm1() {
    // Children go first: their cursors belong to the session's engine.
    const auto okna = mdi_->subWindowList();
    for (QMdiSubWindow* w : okna) delete w;
}

void TForm1::nabidniZastupce() {
    if (zpravy().show("Chceš vytvořit zástupce v nabidce Start?", MsgKind::Information,
                      kButtonsYesNo, Sound::Question, 0) != MsgButton::Yes)
        return;
    const QString program = QApplication::applicationFilePath();
    vytvorZastupce(QString::fromStdString(cesty().programDir),
                   program.isEmpty() ? QStringLiteral("lorvika") : program);
}

QAction* TForm1::pridejAkci(QMenu* m, const QString& caption, const QString& name,
                            const QString& hint, const QKeySequence& key) {
    QAction* a = novaAkce(this, caption, name, hint, key, Qt::WindowShortcut);
    m->addAction(a);
    akce_.insert(name, a);
    return a;
}

QMenu* TForm1::pridejMenu(QMenu* parent, const QString& caption, const QString& name,
                          const QString& hint) {
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m->menuAction()->setStatusTip(hint);
    m->setToolTipsVisible(false);
    menu_.insert(name, m);
    return m;
}

void TForm1::vytvorMenu() {
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* db = pridejMenu(nullptr, QStringLiteral("&Databáze"), QStringLiteral("databaze"),
                           QStringLiteral("Práce s databází"));
    connect(db, &QMenu::aboutToShow, this, &TForm1::databazeAboutToShow);
    connect(pridejAkci(db, QStringLiteral("&nová"), QStringLiteral("DBNew"),
                       QStringLiteral("vytvoření nové databáze filmů a kazet")),
            &QAction::triggered, this, [this] { session_->DBNewClick(); });
    connect(pridejAkci(db, QStringLiteral("&otevři"), QStringLiteral("DBopen"),
                       QStringLiteral("otevření stávající databáze filmů a kazet")),
            &QAction::triggered, this, [this] { session_->DBopenClick(); });
    QMenu* zo = pridejMenu(db, QStringLiteral("pře&dchozí"), QStringLiteral("MZnovOt"),
                           QStringLiteral("otevření předchozích databází .."));
    // The list lives in the program INI file, which more than this window writes.
    connect(zo, &QMenu::aboutToShow, this, &TForm1::obnovPredchozi);
    for (int i = 1; i <= 5; ++i) {
        QAction* a = pridejAkci(zo, QString(), QStringLiteral("MZO%1").arg(i), QString());
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, i] { session_->MZOClick(i); });
    }
    connect(pridejAkci(db, QStringLiteral("&komprese"), QStringLiteral("MDKompres"),
                       QStringLiteral("provedení komprese databáze")),
            &QAction::triggered, this, [this] { session_->MDKompresClick(); });
    QAction* txt =
        pridejAkci(db, QStringLiteral("o&bnova TXT"), QStringLiteral("MDTxt"),
                   QStringLiteral("oprava a nové vytvoření TXT souborů - nutné pro Sonorek"));
    connect(txt, &QAction::triggered, this, &TForm1::ObnovaTxt);
    db->menuAction()->setVisible(false);

    QMenu* konf = pridejMenu(nullptr, QStringLiteral("&Konfigurace"), QStringLiteral("MKonfig"),
                             QStringLiteral("Nastavení programu"));
    connect(pridejAkci(konf, QStringLiteral("&výběrové položky.."), QStringLiteral("MKonfig1"),
                       QStringLiteral("otevře dialog pro nastavení výběrových položek")),
            &QAction::triggered, this, [this] {
                spustDialog(QStringLiteral("FKonfVyb"));
                AktivujAktivni();
            });
    pridejAkci(konf, QStringLiteral("&nastavení programu.."), QStringLiteral("MKonfig2"), QString())
        ->setVisible(false);
    connect(pridejAkci(konf, QStringLiteral("&zálohování.."), QStringLiteral("MKonfig3"),
                       QStringLiteral("otevře dialog pro nastavení zálohování databáze")),
            &QAction::triggered, this, &TForm1::konfigZalohovani);

    QMenu* form = pridejMenu(nullptr, QStringLiteral("&Formuláře"), QStringLiteral("MForm"),
                             QStringLiteral("seznam formulářů a jejich spuštění"));
    connect(form, &QMenu::aboutToShow, this, &TForm1::formulareAboutToShow);
    QAction* max = pridejAkci(form, QStringLiteral("ma&ximalizovat"), QStringLiteral("MFMaxim"),
                              QStringLiteral("nastavení maximalizace formulářů"));
    max->setCheckable(true);
    connect(max, &QAction::triggered, this, [this] { MFMaximClick(); });
    for (const PolozkaFormulare& p : kFormulare) {
        QAction* a = pridejAkci(form, QString::fromUtf8(p.caption), QString::fromUtf8(p.name),
                                QString::fromUtf8(p.hint), QKeySequence(p.key));
        const QString jmeno = QString::fromUtf8(p.form);
        a->setEnabled(jmeno == QStringLiteral("FNavig") || jeRegistrovan(jmeno));
        connect(a, &QAction::triggered, this, [this, jmeno] { otevriFormular(jmeno); });
    }

    QMenu* info = pridejMenu(nullptr, QStringLiteral("&Info"), QStringLiteral("mInfo"),
                             QStringLiteral("Informace a nápověda"));
    pridejAkci(info, QStringLiteral("&nápověda"), QStringLiteral("MInfHelp"),
               QStringLiteral("zobrazí nápovědu"))
        ->setVisible(false);
    pridejAkci(info, QStringLiteral("nápověda-&obsah"), QStringLiteral("MInfNObsah"),
               QStringLiteral("zobrazí obsah nápovědy"))
        ->setVisible(false);
    connect(pridejAkci(info, QStringLiteral("o &databázi"), QStringLiteral("MInfDatab"),
                       QStringLiteral("zobrazí informace o otevřené databázi")),
            &QAction::triggered, this, [this] { session_->MInfDatabClick(); });
    QAction* about = pridejAkci(info, QStringLiteral("&about"), QStringLiteral("MInfoAbout"),
                                QStringLiteral("zobrazí informace o programu"));
    connect(about, &QAction::triggered, this, [this] { spustDialog(QStringLiteral("FAbout")); });

    akce("MKonfig1")->setEnabled(jeRegistrovan(QStringLiteral("FKonfVyb")));
    about->setEnabled(jeRegistrovan(QStringLiteral("FAbout")));
    txt->setEnabled(static_cast<bool>(sluzby_.obnovaTxt));
}

void TForm1::vytvorStavovyRadek() {
    QStatusBar* sb = statusBar();
    sb->setObjectName(QStringLiteral("StatusBar1"));
    sb->setSizeGripEnabled(true);
    const QString hinty[4] = {QStringLiteral("aktivita klávesy CapsLock"),
                              QStringLiteral("aktivita klávesy NumLock"),
                              QStringLiteral("aktuální datum"), QStringLiteral("počet AudioCD")};
    const int sirky[4] = {50, 50, 80, 80};
    for (int i = 0; i < 4; ++i) {
        panely_[i] = new QLabel(sb);
        panely_[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panely_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panely_[i]->setMinimumWidth(sirky[i]);
        panely_[i]->setToolTip(hinty[i]);
        panely_[i]->setAlignment(Qt::AlignCenter);
        sb->addPermanentWidget(panely_[i]);
    }
    panely_[3]->setToolTip(QString());
    panel5_ = new QStackedWidget(sb);
    panely_[kPanelMsg] = new QLabel(panel5_);
    panely_[kPanelMsg]->setObjectName(QStringLiteral("Panel5"));
    panely_[kPanelMsg]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panely_[kPanelMsg]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    merak_ = new QProgressBar(panel5_);
    merak_->setObjectName(QStringLiteral("Gauge"));
    merak_->setRange(0, 100);
    panel5_->addWidget(panely_[kPanelMsg]);
    panel5_->addWidget(merak_);
    sb->addPermanentWidget(panel5_, 1);

    const QDate dnes = sluzby_.dnes ? sluzby_.dnes() : QDate::currentDate();
    panely_[2]->setText(dnes.toString(QStringLiteral("dd.MM.yyyy")));
    connect(&zamky_, &QTimer::timeout, this, &TForm1::obnovZamky);
    zamky_.start(300);
    obnovZamky();
}

void TForm1::obnovZamky() {
    bool caps = false;
    bool num = false;
#ifdef LORVIKA_HAVE_X11
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) {
        if (Display* d = x11->display()) {
            unsigned int stav = 0;
            if (XkbGetIndicatorState(d, XkbUseCoreKbd, &stav) == Success) {
                caps = stav & 0x01;
                num = stav & 0x02;
            }
        }
    }
#endif
    panely_[0]->setText(caps ? QStringLiteral(" CAPS ") : QString());
    panely_[1]->setText(num ? QStringLiteral(" NUM ") : QString());
    const QDate dnes = sluzby_.dnes ? sluzby_.dnes() : QDate::currentDate();
    panely_[2]->setText(dnes.toString(QStringLiteral("dd.MM.yyyy")));
}

void TForm1::StavovyText(const QString& text) {
    panely_[kPanelMsg]->setText(text);
    panely_[kPanelMsg]->repaint();
}

void TForm1::PocetCD(int mode, std::size_t count) {
    if (mode == 1) {
        panely_[3]->setText(QString::number(count));
        panely_[3]->setToolTip(QStringLiteral("počet AudioCD"));
        panely_[3]->setProperty("picture", QStringLiteral("BCD"));
        // Picture and text side by side: the label shows rich text with the bitmap resource.
        panely_[3]->setTextFormat(Qt::RichText);
        panely_[3]->setText(
            QStringLiteral("<img src=\":/lorvika/BCD\" align=\"middle\"> %1").arg(count));
        panely_[3]->setProperty("count", QString::number(count));
    } else if (mode == 2) {
        panely_[3]->setText(QString());
        panely_[3]->setToolTip(QString());
        panely_[3]->setProperty("picture", QString());
        panely_[3]->setProperty("count", QString());
    }
}

QString TForm1::textPanelu(int panel) const {
    if (panel == 4) return panely_[3]->property("count").toString();
    if (panel == 5 && panelJeMerak()) return merak_->format();
    return panel >= 1 && panel <= 5 ? panely_[panel - 1]->text() : QString();
}

QString TForm1::napovedaPanelu(int panel) const {
    return panel >= 1 && panel <= 4 ? panely_[panel - 1]->toolTip() : QString();
}

bool TForm1::panelJeMerak() const {
    return panel5_->currentWidget() == merak_;
}
int TForm1::hodnotaMeraku() const {
    return merak_->value();
}

void TForm1::ukazatel(const std::string& text, int percent) {
    merak_->setFormat(QString::fromStdString(text) + QStringLiteral(" %p%"));
    merak_->setValue(std::clamp(percent, 0, 100));
    panel5_->setCurrentWidget(merak_);
    merak_->repaint();
}

void TForm1::ukazatelKonec() {
    merak_->setValue(0);
    merak_->setFormat(QString());
    panely_[kPanelMsg]->setText(QString());
    panely_[kPanelMsg]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel5_->setCurrentWidget(panely_[kPanelMsg]);
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        // Hints of menu items and controls go to the message panel.
        StavovyText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && !aktivovano_) {
        const bool r = QMainWindow::event(e);
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
        return r;
    }
    return QMainWindow::event(e);
}

void TForm1::FormActivate() {
    if (aktivovano_) return;
    aktivovano_ = true;
    std::string adresar;
    if (!sluzby_.argumenty.isEmpty()) {
        const QString prvni = sluzby_.argumenty.front();
        if (QDir(prvni).exists() && JeDatabaze(prvni.toStdString())) adresar = prvni.toStdString();
    }
    if (adresar.empty())
        adresar = nastaveni::ctiText(ini(), "Databaze", "adresar", cesty().programDir);
    session_->NactiDB(adresar, false, false);
    session_->ZapamatujDB();
    obnovPredchozi();
    obnovTitulek();
    for (TFVychozi* f : formulare())
        if (auto* n = qobject_cast<TFNavig*>(f)) n->poOtevreniDatabaze();
}

void TForm1::obnovTitulek() {
    const std::string t = session_->titulek();
    titulek_ = t.empty() ? QApplication::applicationName() : QString::fromStdString(t);
    setWindowTitle(titulek_);
}

void TForm1::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // A maximized child window writes "caption - [child]" into the frame's caption and puts back
    // whatever caption it found when it is restored; the caption names the database only.
    if (e->type() == QEvent::WindowTitleChange && !titulek_.isEmpty() && windowTitle() != titulek_)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (windowTitle() != titulek_) setWindowTitle(titulek_);
            },
            Qt::QueuedConnection);
}

void TForm1::obnovPredchozi() {
    const std::vector<PredchoziDB> seznam = session_->MenuPredchozi();
    for (int i = 1; i <= 5; ++i) {
        QAction* a = akce(QStringLiteral("MZO%1").arg(i));
        if (static_cast<std::size_t>(i - 1) < seznam.size()) {
            a->setText(QString::fromStdString(seznam[i - 1].text));
            a->setVisible(seznam[i - 1].visible);
        } else {
            a->setVisible(false);
        }
    }
}

void TForm1::databazeAboutToShow() {
    const bool volno = mdi_->subWindowList().size() < 2;
    for (QAction* a : menu("databaze")->actions()) a->setEnabled(volno);
    akce("MDTxt")->setEnabled(volno && static_cast<bool>(sluzby_.obnovaTxt));
}

void TForm1::formulareAboutToShow() {
    QMenu* m = menu("MForm");
    for (QAction* a : std::as_const(oknaVMenu_)) {
        m->removeAction(a);
        a->deleteLater();
    }
    oknaVMenu_.clear();
    const auto okna = mdi_->subWindowList();
    if (okna.isEmpty()) return;
    QAction* sep = m->addSeparator();
    oknaVMenu_.append(sep);
    int n = 1;
    for (QMdiSubWindow* w : okna) {
        QAction* a = m->addAction(QStringLiteral("&%1 %2").arg(n++).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        QPointer<QMdiSubWindow> cil(w);
        connect(a, &QAction::triggered, this, [this, cil] {
            if (cil) mdi_->setActiveSubWindow(cil);
        });
        oknaVMenu_.append(a);
    }
}

QAction* TForm1::akce(const QString& name) const {
    return akce_.value(name, nullptr);
}
QMenu* TForm1::menu(const QString& name) const {
    return menu_.value(name, nullptr);
}

bool TForm1::jeRegistrovan(const QString& name) const {
    return sluzby_.registr && sluzby_.registr->ma(name);
}

QList<TFVychozi*> TForm1::formulare() const {
    QList<TFVychozi*> out;
    const auto okna = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* w : okna)
        if (TFVychozi* f = formOf(w)) out.append(f);
    return out;
}

TFVychozi* TForm1::aktivniFormular() const {
    return formOf(mdi_->activeSubWindow());
}

int TForm1::JeSpustenForm(const QString& name) const {
    const QList<TFVychozi*> f = formulare();
    for (qsizetype i = f.size() - 1; i >= 0; --i)
        if (f[i]->objectName().compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

TFVychozi* TForm1::otevriFormular(const QString& name) {
    const int i = JeSpustenForm(name);
    if (i >= 0) {
        TFVychozi* f = formulare()[i];
        if (mdi_->activeSubWindow() == f->okno())
            f->FormActivate();
        else
            mdi_->setActiveSubWindow(f->okno());
        return f;
    }
    std::unique_ptr<TFVychozi> novy;
    if (name.compare(QStringLiteral("FNavig"), Qt::CaseInsensitive) == 0 && !jeRegistrovan(name))
        novy = std::make_unique<TFNavig>(this);
    else if (sluzby_.registr)
        novy = sluzby_.registr->vytvor(name, *this);
    if (!novy) return nullptr;
    return pridejFormular(std::move(novy));
}

void TForm1::vytvorNavigator() {
    otevriFormular(QStringLiteral("FNavig"));
}

TFVychozi* TForm1::pridejFormular(std::unique_ptr<TFVychozi> form) {
    TFVychozi* f = form.get();
    const QPointer<QMdiSubWindow> predtim = mdi_->activeSubWindow();
    QMdiSubWindow* w = mdi_->addSubWindow(form.release());
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setObjectName(f->objectName() + QStringLiteral("Okno"));
    w->setWindowTitle(f->windowTitle());
    w->setWindowIcon(QIcon(QStringLiteral(":/lorvika/BCD")));
    connect(f, &QWidget::windowTitleChanged, w, &QWidget::setWindowTitle);
    try {
        f->FormCreate();
    } catch (...) {
        // A form that cannot be created (broken tables) leaves nothing behind: no hidden window
        // that would count as open and keep the database menu disabled.
        if (posledniAktivni_ == w) posledniAktivni_ = nullptr;
        historie_.removeAll(w);
        mdi_->removeSubWindow(w);
        delete w;
        if (predtim)
            mdi_->setActiveSubWindow(predtim);
        else if (mdi_->subWindowList().isEmpty() && !zavira_)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!zavira_ && mdi_->subWindowList().isEmpty()) vytvorNavigator();
                },
                Qt::QueuedConnection);
        throw;
    }
    if (!w->isVisible()) w->show();
    if (mdi_->activeSubWindow() != w) mdi_->setActiveSubWindow(w);
    return f;
}

void TForm1::spustDialog(const QString& name) {
    std::unique_ptr<TFVychozi> d = sluzby_.registr ? sluzby_.registr->vytvor(name, *this) : nullptr;
    if (!d) return;
    d->setParent(this, d->windowFlags() | Qt::Dialog);
    d->setModal(true);
    d->FormCreate();
    d->exec();
}

void TForm1::konfigZalohovani() {
    TFKonfZaloh d(this);
    d.FormCreate();
    d.exec();
}

void TForm1::aktivaceOkna(QMdiSubWindow* okno) {
    if (!okno || okno == posledniAktivni_) return;
    if (TFVychozi* predchozi = formOf(posledniAktivni_)) predchozi->FormDeactivate();
    posledniAktivni_ = okno;
    historie_.removeAll(okno);
    historie_.append(okno);
    if (TFVychozi* f = formOf(okno)) {
        f->FormActivate();
        emit formularAktivovan(f);
    }
}

void TForm1::formularSeZavira(TFVychozi* form) {
    QMdiSubWindow* zavirane = form->okno();
    if (posledniAktivni_ && formOf(posledniAktivni_) == form) posledniAktivni_ = nullptr;
    historie_.removeAll(zavirane);
    historie_.removeAll(nullptr);
    const bool dalsi = mdi_->subWindowList().size() > 1;
    if (zavira_) return;
    if (dalsi) {
        // The window that was in front before this one comes back, not the next one created.
        if (mdi_->activeSubWindow() == zavirane || !mdi_->activeSubWindow()) {
            for (qsizetype i = historie_.size() - 1; i >= 0; --i) {
                QMdiSubWindow* w = historie_[i];
                if (w && w != zavirane && mdi_->subWindowList().contains(w)) {
                    mdi_->setActiveSubWindow(w);
                    break;
                }
            }
        }
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!zavira_ && mdi_->subWindowList().isEmpty()) vytvorNavigator();
        },
        Qt::QueuedConnection);
}

void TForm1::ObnovaFormularu(int code) {
    if (dbf::Cursor* c = session_->TData()) ObnovKurzor(*c);
    if (dbf::Cursor* c = session_->TSkladby()) ObnovKurzor(*c);
    TFVychozi* aktivni = aktivniFormular();
    for (TFVychozi* f : formulare()) {
        if (code == 1 && f == aktivni) continue;
        f->obnova = code;
    }
}

void TForm1::AktivujAktivni() {
    if (TFVychozi* f = aktivniFormular()) f->FormActivate();
}

void TForm1::ZavriOtevriTabulky(bool zavrit, int which) {
    if (zavrit) {
        for (TFVychozi* f : formulare())
            if (auto* z = qobject_cast<TFormZaklad*>(f)) z->zavriOtevri(true, which);
        session_->ZavriTabulky(which);
    } else {
        session_->OtevriTabulky(which);
        for (TFVychozi* f : formulare())
            if (auto* z = qobject_cast<TFormZaklad*>(f)) z->zavriOtevri(false, which);
    }
}

void TForm1::ZobrazHlavni(bool visible) {
    setVisible(visible);
}

void TForm1::MFMaximClick() {
    fmaxim_ = !fmaxim_;
    akce("MFMaxim")->setChecked(fmaxim_);
    QMdiSubWindow* aktivni = mdi_->activeSubWindow();
    for (QMdiSubWindow* w : mdi_->subWindowList()) nastaveni::nastavRamecek(w, fmaxim_);
    if (fmaxim_) {
        if (aktivni) aktivni->showMaximized();
        proporce_.setZapnuto(true);
        proporce_.FormResize(this);
    } else {
        if (aktivni) aktivni->showNormal();
        proporce_.setZapnuto(false);
    }
}

void TForm1::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    proporce_.FormResize(this);
}

void TForm1::closeEvent(QCloseEvent* e) {
    session_->ZapamatujDB();
    nastaveni::zapisAnoNe(ini(), "Nastaveni", "FMaxim", fmaxim_);
    zavira_ = true;
    auto okna = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = okna.size() - 1; i >= 0; --i) okna[i]->close();
    session_->ZavriTabulky();
    nastaveni::UlozHlavniOkno(*this, ini());
    if (nastaveni::ctiAnoNe(ini(), "DBF", "vracet", false)) nastaveni::VratOvladac(cesty());
    e->accept();
}

bool TForm1::zalohuj(const std::string&) {
    return Zalohuj();
}
bool TForm1::rozbal(const std::string&) {
    return Rozbal();
}
bool TForm1::uschovej(const std::string& directory, const std::string& archiveName) {
    if (!sluzby_.zipUschovej) return Archive::uschovej(directory, archiveName);
    StavovyText(QStringLiteral("uschovávám původní tabulky do %1..")
                    .arg(QString::fromStdString(archiveName)));
    bool made = false;
    try {
        made = sluzby_.zipUschovej(directory, archiveName);
    } catch (...) {
        StavovyText({});
        throw;
    }
    StavovyText({});
    return made;
}
bool TForm1::Zalohuj() {
    return provedArchiv(false);
}
bool TForm1::Rozbal() {
    return provedArchiv(true);
}

bool TForm1::provedArchiv(bool obnova) {
    const auto& zip = obnova ? sluzby_.zipRozbal : sluzby_.zipZalohuj;
    if (!zip) return false;
    std::string adresar = session_->adresar();
    if (dbf::Cursor* c = session_->TData()) adresar = c->directory();
    bool ok = true;
    ZavriOtevriTabulky(true, 0);
    ukazatel(obnova ? "nahrazuji databázi zálohou.." : "zálohuji databázi..", 0);
    try {
        std::string chyba;
        ok = zip(adresar, chyba, [this](int procenta) {
            merak_->setValue(std::clamp(procenta, 0, 100));
            merak_->repaint();
        });
        // An unfinished change or removal belongs to the tables the archive just replaced.
        if (obnova && ok) {
            ZahodZmenuAlba(session_->engine(), adresar);
            ZahodOdstraneni(session_->engine(), adresar);
        }
    } catch (const std::exception&) {
        ok = false;
    }
    ukazatelKonec();
    ZavriOtevriTabulky(false, 0);
    return ok;
}

void TForm1::ObnovaTxt() {
    if (!sluzby_.obnovaTxt || !session_->TData() || !session_->TSkladby()) return;
    sluzby_.obnovaTxt(
        *session_->TData(), *session_->TSkladby(), session_->adresarTXT(),
        [this](const std::string& text) { StavovyText(QString::fromStdString(text)); });
}

}  // namespace lorvika
