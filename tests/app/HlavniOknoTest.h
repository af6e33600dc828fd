#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "GuiTest.h"
#include "app/Aplikace.h"
#include "app/TForm1.h"
#include "app/TFormZaklad.h"
#include "store/Ini.h"
#include "support/FakeDialogs.h"
#include "support/FakeMessages.h"
#include "support/TestDir.h"

namespace lorvika::test {

// A data-grid form as the album forms are built, recording what its own activation step saw.
class ZkusebniForm : public TFZaklData {
  public:
    ZkusebniForm(TForm1* h, const QString& jmeno) : TFZaklData(h, jmeno) { setWindowTitle(jmeno); }
    int prijatyKod = -1;
    int aktivaci = 0;
    int zobrazeni = 0;

  protected:
    void aktivacePotomka() override {
        prijatyKod = predavanyKod;
        ++aktivaci;
        predavanyKod = 0;
    }
    void obnovZobrazeni() override { ++zobrazeni; }
};

// The widgets that are not wholly visible in the frame's client area: outside it, cut off by a
// parent, or with a caption wider than the control. Each as "name x,y wxh" for the message.
inline QStringList nevidetelne(TForm1& okno, const QList<QWidget*>& widgety) {
    QStringList out;
    QWidget* plocha = okno.mdi()->viewport();
    const auto misto = [plocha](QWidget* w) {
        return QRect(w->mapTo(plocha, QPoint()), w->size());
    };
    for (QWidget* w : widgety) {
        const QRect r = misto(w);
        bool ok = w->isVisibleTo(plocha) && plocha->rect().contains(r);
        for (QWidget* p = w->parentWidget(); ok && p && p != plocha; p = p->parentWidget())
            ok = misto(p).contains(r);
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        text.remove(u'&');
        if (ok && !text.isEmpty()) ok = w->fontMetrics().horizontalAdvance(text) + 4 <= w->width();
        if (!ok)
            out << QStringLiteral("%1 %2,%3 %4x%5")
                       .arg(w->objectName())
                       .arg(r.x())
                       .arg(r.y())
                       .arg(r.width())
                       .arg(r.height());
    }
    return out;
}

// The main window on a fresh program directory with scripted messages and dialogs.
class HlavniOknoFixture : public ::testing::Test, public SAplikaci {
  protected:
    TestDir dir;
    FakeMessages zpravy;
    FakeDialogs dialogy;
    RegistrFormularu registr;
    std::unique_ptr<TForm1> okno;
    // Lets a test change the program's services before the window is created.
    std::function<void(SluzbyHlavnihoOkna&)> upravSluzby;

    std::string home() const { return dir.home().string(); }
    std::string ini() const { return (dir.home() / "lorvika.ini").string(); }

    void registrujFormulare(std::initializer_list<const char*> jmena) {
        for (const char* j : jmena) {
            const QString jmeno = QString::fromUtf8(j);
            registr.registruj(jmeno, [jmeno](TForm1& h) -> std::unique_ptr<TFVychozi> {
                return std::make_unique<ZkusebniForm>(&h, jmeno);
            });
        }
    }

    void spust(const QStringList& argumenty = {}) {
        SluzbyHlavnihoOkna s = Aplikace::sluzbyProgramu(zpravy, dialogy, registr, argumenty);
        s.cesty = SessionPaths::inDirectory(home());
        s.uvodniObrazek = false;
        if (upravSluzby) upravSluzby(s);
        ASSERT_TRUE(Aplikace::testStroje(s.cesty.engineConfig, zpravy));
        okno = std::make_unique<TForm1>(std::move(s));
        okno->vytvorNavigator();
        okno->show();
        okno->FormActivate();
        zpracuj();
    }

    static void zpracuj() {
        for (int i = 0; i < 4; ++i) QCoreApplication::processEvents();
    }

    // Types each character as a key press, as a keyboard layout with such keys would.
    static void pis(QWidget* w, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    ZkusebniForm* otevri(const char* jmeno) {
        auto* f = dynamic_cast<ZkusebniForm*>(okno->otevriFormular(QString::fromUtf8(jmeno)));
        zpracuj();
        return f;
    }

    QStringList jmenaOken() const {
        QStringList out;
        for (TFVychozi* f : okno->formulare()) out.append(f->objectName());
        return out;
    }

    void TearDown() override {
        if (okno) {
            okno->close();
            okno.reset();
        }
    }
};

}  // namespace lorvika::test
