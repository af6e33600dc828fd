#include "app/UvodniObrazek.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace lorvika::UvodniObrazek {

namespace {
QPointer<QLabel> obrazek;
}

void ukaz() {
    if (obrazek) return;
    auto* w =
        new QLabel(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    w->setObjectName(QStringLiteral("UvodniObrazek"));
    w->setAttribute(Qt::WA_DeleteOnClose);
    const QPixmap p(QStringLiteral(":/lorvika/start"));
    w->setPixmap(p);
    w->setFixedSize(p.isNull() ? QSize(350, 200) : p.size());
    if (QScreen* s = QGuiApplication::primaryScreen())
        w->move(s->geometry().center() - QPoint(w->width() / 2, w->height() / 2));
    w->show();
    w->repaint();
    obrazek = w;
    // A zero timer fires once the loop has handled everything queued before it: the first idle.
    QTimer::singleShot(0, w, [] {
        if (obrazek) obrazek->close();
    });
}

bool jeZobrazen() {
    return obrazek && obrazek->isVisible();
}

}  // namespace lorvika::UvodniObrazek
