#include "app/Proporce.h"

#include <QFrame>
#include <QGroupBox>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace lorvika {

namespace {

constexpr const char* kNavrh = "lorvikaNavrh";      // a control's geometry at scale 1
constexpr const char* kPismo = "lorvikaPismo";      // the form's font size at scale 1
constexpr const char* kMeritko = "lorvikaMeritko";  // the scale the form is shown at
constexpr const char* kPosun = "lorvikaPosun";      // the shift of its top-level controls
constexpr double kNejmensiPismo = 0.6;

// Containers whose children are placed by hand and scaled with them; the inside of a grid, a
// tab widget or a combo box belongs to that control.
bool jeSchranka(const QWidget* w) {
    const QMetaObject* m = w->metaObject();
    while (m && !QByteArray(m->className()).startsWith('Q')) m = m->superClass();
    return m == &QWidget::staticMetaObject || m == &QFrame::staticMetaObject ||
           m == &QGroupBox::staticMetaObject;
}

int r(double v) {
    return zaokrouhliSude(v);
}

double velikostPisma(double meritko) {
    return std::clamp(meritko, kNejmensiPismo, Proporce::kNejvetsiPismo);
}

// A control with a font of its own (a title) scales it itself; the others inherit the form's.
void zmenPismo(QWidget* w, double meritko, double predtim) {
    if (!w->testAttribute(Qt::WA_SetFont) || w->font().pointSizeF() <= 0) return;
    QVariant p = w->property(kPismo);
    if (!p.isValid()) {
        p = w->font().pointSizeF() / velikostPisma(predtim);
        w->setProperty(kPismo, p);
    }
    QFont f = w->font();
    f.setPointSizeF(p.toDouble() * velikostPisma(meritko));
    w->setFont(f);
}

void umisti(QWidget* rodic, bool horni, double meritko, QPoint posun, double predtim,
            QPoint posunPredtim) {
    if (rodic->layout()) return;
    for (QObject* o : rodic->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        // A picture that fills its parent follows the parent, not the scale.
        if (!w || w->isWindow() || w->property("vyplnujeRodice").toBool()) continue;
        QVariant v = w->property(kNavrh);
        if (!v.isValid()) {
            const QRect g = w->geometry();
            const QPoint p = horni ? g.topLeft() - posunPredtim : g.topLeft();
            v = QRectF(p.x() / predtim, p.y() / predtim, g.width() / predtim, g.height() / predtim);
            w->setProperty(kNavrh, v);
        }
        const QRectF n = v.toRectF();
        const QPoint p = horni ? posun : QPoint();
        w->setGeometry(r(n.x() * meritko) + p.x(), r(n.y() * meritko) + p.y(),
                       r(n.width() * meritko), r(n.height() * meritko));
        zmenPismo(w, meritko, predtim);
        if (jeSchranka(w)) umisti(w, false, meritko, {}, predtim, {});
    }
}

}  // namespace

int zaokrouhliSude(double value) {
    return static_cast<int>(std::nearbyint(value));
}

KrokProporci spocitejProporce(const QSize& klient, const QSize& zaklad) {
    KrokProporci krok;
    if (zaklad.width() <= 0 || zaklad.height() <= 0) {
        krok.klient = klient;
        return krok;
    }
    const double w = zaklad.width();
    const double h = zaklad.height();
    const double wp = 100.0 * klient.width() / w;
    const double hp = 100.0 * klient.height() / h;
    if (wp < hp) {
        krok.meritko = klient.width() / w;
        krok.klient = QSize(klient.width(), zaokrouhliSude(klient.width() * h / w));
    } else {
        krok.meritko = klient.height() / h;
        krok.klient = QSize(zaokrouhliSude(klient.height() * w / h), klient.height());
    }
    return krok;
}

void zmenMeritko(QWidget* form, double meritko, QPoint posun) {
    if (meritko <= 0.0) return;
    const QVariant m = form->property(kMeritko);
    const double predtim = m.isValid() ? m.toDouble() : 1.0;
    const QPoint posunPredtim = form->property(kPosun).toPoint();
    if (meritko == predtim && posun == posunPredtim) return;
    umisti(form, true, meritko, posun, predtim, posunPredtim);
    form->setProperty(kMeritko, meritko);
    form->setProperty(kPosun, posun);

    QVariant p = form->property(kPismo);
    if (!p.isValid()) {
        if (form->font().pointSizeF() <= 0) return;
        p = form->font().pointSizeF() / velikostPisma(predtim);
        form->setProperty(kPismo, p);
    }
    const double navrh = p.toDouble();
    double velikost = navrh * velikostPisma(meritko);
    QFont f = form->font();
    f.setPointSizeF(velikost);
    form->setFont(f);
    // A form laid out by a layout does not grow its controls with the scale: its letters grow
    // only while everything still fits.
    if (QLayout* l = form->layout()) {
        const double nejmene = navrh * std::min(1.0, std::max(kNejmensiPismo, meritko));
        for (;;) {
            l->invalidate();
            const QSize potreba = l->totalMinimumSize();
            if ((potreba.width() <= form->width() && potreba.height() <= form->height()) ||
                velikost <= nejmene)
                break;
            velikost = std::max(nejmene, velikost * 0.92);
            f.setPointSizeF(velikost);
            form->setFont(f);
        }
    }
}

void Proporce::FormResize(QWidget* form) {
    if (!zapnuto_ || bezi_ || ramec_) return;
    if (form->width() <= 0 || form->height() <= 0) return;  // a window being hidden
    bezi_ = true;
    auto* okno = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    // A maximized window keeps the size it is given; only its controls follow. The frame resizes
    // a maximized child window to its client area before it tells it the state, so filling the
    // area counts as maximized too.
    const bool pevna =
        okno ? okno->isMaximized() ||
                   (okno->mdiArea() && okno->size() == okno->mdiArea()->viewport()->size())
             : (form->isWindow() && (form->isMaximized() || form->isFullScreen()));
    QSize klient = spocitejProporce(form->size(), zaklad_).klient;
    if (okno && !pevna) {
        // A child window stays inside the frame's client area.
        if (QMdiArea* plocha = okno->mdiArea()) {
            const QSize volno = plocha->viewport()->size() - (okno->size() - form->size());
            if (volno.width() > 0 && volno.height() > 0 &&
                (klient.width() > volno.width() || klient.height() > volno.height())) {
                const double k = std::min(double(volno.width()) / klient.width(),
                                          double(volno.height()) / klient.height());
                klient =
                    QSize(zaokrouhliSude(klient.width() * k), zaokrouhliSude(klient.height() * k));
            }
        }
    }
    if (form->isWindow()) klient = klient.expandedTo(form->minimumSize());
    if (!pevna && klient != form->size()) {
        if (okno)
            okno->resize(okno->size() + (klient - form->size()));
        else
            form->resize(klient);
    }
    const QSize skutecna = pevna ? form->size() : klient;
    zaklad_ = skutecna;
    if (navrh_.width() > 0 && navrh_.height() > 0) {
        meritko_ = std::min(double(skutecna.width()) / navrh_.width(),
                            double(skutecna.height()) / navrh_.height());
        const QPoint posun(
            std::max(0, zaokrouhliSude((skutecna.width() - navrh_.width() * meritko_) / 2)),
            std::max(0, zaokrouhliSude((skutecna.height() - navrh_.height() * meritko_) / 2)));
        zmenMeritko(form, meritko_, posun);
    }
    bezi_ = false;
    if (form->isVisible() && form->isWindow()) form->setFocus();
}

}  // namespace lorvika
