#include "app/Snimky.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include "app/TFKonfZaloh.h"
#include "app/TForm1.h"

namespace lorvika {

namespace {

void vykresli() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QThread::msleep(50);
    }
}

void snimek(const QString& adresar, const QString& jmeno) {
    vykresli();
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 adresar + u'/' + jmeno + QStringLiteral(".png")});
}

}  // namespace

void poridSnimky(TForm1& hlavni, const QString& adresar) {
    QTimer::singleShot(1500, &hlavni, [&hlavni, adresar] {
        snimek(adresar, QStringLiteral("1-hlavni-okno"));
        int n = 2;
        for (const char* jmeno : {"databaze", "MKonfig", "MForm", "mInfo"}) {
            QMenu* m = hlavni.menu(QString::fromUtf8(jmeno));
            hlavni.menuBar()->setActiveAction(m->menuAction());
            snimek(adresar, QStringLiteral("%1-menu-%2").arg(n++).arg(QString::fromUtf8(jmeno)));
            m->hide();
            hlavni.menuBar()->setActiveAction(nullptr);
        }
        TFKonfZaloh d(&hlavni);
        d.FormCreate();
        d.setModal(false);
        d.show();
        snimek(adresar, QStringLiteral("%1-zalohovani").arg(n));
        d.close();
        hlavni.close();
    });
}

}  // namespace lorvika
