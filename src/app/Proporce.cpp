#include "app/Proporce.h"

#include <QLayout>
#include <QMdiSubWindow>
#include <QWidget>
#include <cmath>

namespace lorvika {

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

void zmenMeritko(QWidget* form, double meritko) {
    if (meritko == 1.0 || meritko <= 0.0) return;
    const auto deti = form->findChildren<QWidget*>();
    for (QWidget* w : deti) {
        // A picture that fills its parent follows the parent, not the scale.
        if (w->isWindow() || w->property("vyplnujeRodice").toBool()) continue;
        QWidget* rodic = w->parentWidget();
        if (!rodic || rodic->layout()) continue;
        const QRect g = w->geometry();
        w->setGeometry(zaokrouhliSude(g.x() * meritko), zaokrouhliSude(g.y() * meritko),
                       zaokrouhliSude(g.width() * meritko), zaokrouhliSude(g.height() * meritko));
    }
    QFont f = form->font();
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(std::max(1.0, f.pointSizeF() * meritko));
        form->setFont(f);
    }
}

void Proporce::FormResize(QWidget* form) {
    if (!zapnuto_ || bezi_) return;
    bezi_ = true;
    const KrokProporci krok = spocitejProporce(form->size(), zaklad_);
    zmenMeritko(form, krok.meritko);
    // A maximized child window keeps the size of the frame; only its controls follow.
    auto* okno = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    const bool pevna = okno ? okno->isMaximized() : (form->isWindow() && form->isMaximized());
    if (!pevna && krok.klient != form->size()) {
        if (okno)
            okno->resize(okno->size() + (krok.klient - form->size()));
        else
            form->resize(krok.klient);
    }
    zaklad_ = krok.klient;
    bezi_ = false;
    if (form->isVisible() && form->isWindow()) form->setFocus();
}

}  // namespace lorvika
