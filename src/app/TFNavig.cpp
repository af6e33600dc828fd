#include "app/TFNavig.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QPainter>
#include <QResizeEvent>
#include <QShortcut>

#include "app/Nastaveni.h"
#include "app/TForm1.h"

namespace lorvika {

TKZTransImage::TKZTransImage(const QPixmap& obrazek, QWidget* parent)
    : QWidget(parent), obrazek_(obrazek) {
    setObjectName(QStringLiteral("Image1"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setProperty("vyplnujeRodice", true);
    parent->installEventFilter(this);
    setGeometry(parent->rect());
    lower();
}

void TKZTransImage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(rect(), obrazek_);
}

bool TKZTransImage::eventFilter(QObject* o, QEvent* e) {
    if (o == parentWidget() && e->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(o, e);
}

TFNavig::TFNavig(TForm1* hlavni) : TFVychozi(hlavni, QStringLiteral("FNavig")) {
    setWindowTitle(QStringLiteral("Navigátor"));
    resize(632, 413);
    Image1 = new TKZTransImage(QPixmap(QStringLiteral(":/lorvika/navig")), this);
    Label1 = new QLabel(QStringLiteral("NAVIGÁTOR"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont f = Label1->font();
    f.setPointSize(22);
    f.setBold(true);
    Label1->setFont(f);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(16, 12, 600, 56);
    BView = tlacitko(QStringLiteral("BView"), QStringLiteral("Prohlížeč"),
                     QStringLiteral("prohlížení AudioCD"), QStringLiteral("MFFViewCD"),
                     {72, 96, 216, 44});
    Button1 = tlacitko(QStringLiteral("Button1"), QStringLiteral("Nové"),
                       QStringLiteral("zadání nového AudioCD"), QStringLiteral("MFFNewCD"),
                       {344, 96, 216, 44});
    Button5 = tlacitko(QStringLiteral("Button5"), QStringLiteral("Vyhledávač"),
                       QStringLiteral("vyhledání AudioCD podle různých kritérií"),
                       QStringLiteral("MFFFiltrCD"), {72, 160, 216, 44});
    Button11 = tlacitko(QStringLiteral("Button11"), QStringLiteral("Půjčení"),
                        QStringLiteral("půjčení AudioCD"), QStringLiteral("MFFPujCD"),
                        {344, 160, 216, 44});
    BEdit = tlacitko(QStringLiteral("BEdit"), QStringLiteral("Editace"),
                     QStringLiteral("editace AudioCD"), QStringLiteral("MFFEditCD"),
                     {72, 224, 216, 44});
    Button4 = tlacitko(QStringLiteral("Button4"), QStringLiteral("Odstranění"),
                       QStringLiteral("odstranění AudioCD z databáze"), QStringLiteral("MFFPrycCD"),
                       {344, 224, 216, 44});
    BCancel->setText(QStringLiteral("Konec"));
    nastavNapovedu(BCancel, QStringLiteral("ukončení programu"));
    BCancel->setGeometry(72, 330, 150, 34);
    BHelp->setGeometry(410, 330, 150, 34);
    BHelp->setToolTip(QString());
    BHelp->setStatusTip(QString());
    BOK->hide();
    BOK->setDefault(false);
    // Esc closes the navigator (a popup item "konec" in the original, never shown).
    QAction* konec = novaAkce(this, QStringLiteral("konec"), QStringLiteral("konec"), QString(),
                              Qt::Key_Escape, Qt::WidgetWithChildrenShortcut);
    addAction(konec);
    connect(konec, &QAction::triggered, this, [this] { zavri(); });
    casovac_.setInterval(200);
    casovac_.setSingleShot(false);
    connect(&casovac_, &QTimer::timeout, this, &TFNavig::Timer1Timer);
}

QPushButton* TFNavig::tlacitko(const QString& name, const QString& caption, const QString& hint,
                               const QString& polozka, QRect misto) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    nastavNapovedu(b, hint);
    b->setGeometry(misto);
    connect(b, &QPushButton::clicked, this, [this, polozka] {
        if (QAction* a = hlavni()->akce(polozka); a && a->isEnabled()) a->trigger();
    });
    if (QAction* a = hlavni()->akce(polozka)) b->setEnabled(a->isEnabled());
    return b;
}

void TFNavig::FormCreate() {
    QMdiSubWindow* o = okno();
    if (o) {
        if (hlavni()->FMaxim()) {
            nastaveni::nastavRamecek(o, true);
            o->showMaximized();
        } else {
            nastaveni::nastavRamecek(o, false);
            nastaveni::NactiOkno(*o, hlavni()->ini(), "FNavig", QSize(632, 413), &proporce_);
            o->showNormal();
        }
    }
    if (QMenu* m = hlavni()->menu(QStringLiteral("databaze"))) m->menuAction()->setVisible(true);
    poOtevreniDatabaze();
}

void TFNavig::poOtevreniDatabaze() {
    hlavni()->PocetCD(1, hlavni()->session().pocetCD());
    if (hlavni()->session().cekaKomprese() && !casovac_.isActive()) casovac_.start();
}

void TFNavig::Timer1Timer() {
    casovac_.stop();
    if (hlavni()->session().cekaKomprese() && pokusu_ < 21) {
        ++pokusu_;
        hlavni()->session().FPackSkladby(static_cast<int>(hlavni()->mdi()->subWindowList().size()));
        casovac_.start();
    } else {
        pokusu_ = 0;
    }
}

void TFNavig::FormActivate() {
    if (hlavni()->FMaxim() && okno() && !okno()->isMaximized()) okno()->showMaximized();
}

void TFNavig::showEvent(QShowEvent* e) {
    TFVychozi::showEvent(e);
    if (!hlavni()->FMaxim() && okno() && !okno()->isMaximized())
        nastaveni::NactiOkno(*okno(), hlavni()->ini(), "FNavig", QSize(632, 413), &proporce_);
}

void TFNavig::FormDeactivate() {
    if (hlavni()->mdi()->subWindowList().size() > 1) {
        // Another form has just been opened: it takes the navigator's place.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hlavni()->aktivniFormular() != this &&
                    hlavni()->mdi()->subWindowList().size() > 1)
                    zavri();
            },
            Qt::QueuedConnection);
    }
}

bool TFNavig::FormCloseQuery() {
    return hlavni()->mdi()->subWindowList().size() > 1;
}

void TFNavig::FormClose() {
    casovac_.stop();
    if (!hlavni()->FMaxim() && okno()) nastaveni::UlozOkno(*okno(), hlavni()->ini(), "FNavig");
    if (QMenu* m = hlavni()->menu(QStringLiteral("databaze"))) m->menuAction()->setVisible(false);
}

void TFNavig::BCancelClick() {
    if (hlavni()->mdi()->subWindowList().size() > 1 &&
        hlavni()->zpravy().zobrazSPipnutim("Opravdu ukončit aplikaci ?", MsgKind::Confirmation,
                                           kButtonsYesNo) != MsgButton::Yes)
        return;
    hlavni()->close();
}

void TFNavig::resizeEvent(QResizeEvent* e) {
    TFVychozi::resizeEvent(e);
    proporce_.FormResize(this);
}

}  // namespace lorvika
