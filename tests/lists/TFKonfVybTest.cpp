#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/HlavniOknoTest.h"
#include "lists/TFKonfVyb.h"
#include "lists/Vyber.h"
#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {
namespace {

class Vybery : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujTFKonfVyb(registr);
        registrujFormulare({"FViewCD"});
        spust();
    }
    std::unique_ptr<TFKonfVyb> otevri() {
        auto d = std::make_unique<TFKonfVyb>(okno.get());
        d->FormCreate();
        return d;
    }
    void pridej(TFKonfVyb& d, const QString& text) {
        d.Edit[d.PageControl1->currentIndex()]->setText(text);
        d.Button1Click();
    }
    void uloz(const char* sekce, std::initializer_list<const char*> polozky) {
        int n = 1;
        for (const char* p : polozky) ZapisText(ini(), sekce, std::to_string(n++), p);
    }
};

TEST_F(Vybery, SixTabsWithTheirLimitsAndStoredEntries) {
    uloz("zanr", {"ROCK", "", "Pop", "Pop"});
    auto d = otevri();
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Konfigurace - výběrové položky"));
    const char* const tituly[] = {"Žánr",      "Typ",         "Původ",
                                  "Vydavatel", "Komu půjčit", "Typ skladby"};
    const int delky[] = {25, 25, 25, 30, 30, 25};
    ASSERT_EQ(d->PageControl1->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(d->PageControl1->tabText(i), QString::fromUtf8(tituly[i]));
        EXPECT_EQ(d->Edit[i]->maxLength(), delky[i]) << i;
        EXPECT_EQ(d->ListBox[i]->objectName(), QStringLiteral("ListBox%1").arg(i + 1));
    }
    // Empty keys are no entries; duplicates load as they stand.
    EXPECT_EQ(d->polozky(0), (QStringList{"ROCK", "Pop", "Pop"}));
    EXPECT_EQ(d->Button4->statusTip(),
              QStringLiteral("přidá implicitní položky do položek pro výběr - stávající přepíše"));
    d->PageControl1->setCurrentIndex(3);
    d->Edit[3]->setText(QString(40, u'x'));
    EXPECT_EQ(d->Edit[3]->text().size(), 30);
    EXPECT_FALSE(d->zmeneno());
}

TEST_F(Vybery, RefusedTextsAndTheEditingOperations) {
    uloz("zanr", {"ROCK", "Jazz"});
    auto d = otevri();
    zpravy.expect("Seznam již položku: rock obsahuje - nelze!", MsgKind::Warning, kButtonsOK,
                  Sound::Exclamation, MsgButton::OK);
    pridej(*d, QStringLiteral("rock"));
    zpravy.expect("Prázdný text - nelze!", MsgKind::Warning, kButtonsOK, Sound::Exclamation,
                  MsgButton::OK);
    pridej(*d, QString());
    zpravy.expect("Seznam již položku: JAZZ obsahuje - nelze!");
    d->ListBox[0]->setCurrentRow(0);
    d->Edit[0]->setText(QStringLiteral("JAZZ"));
    d->Button6Click();
    zpravy.expect(ZkontrolujText("日本").chyba);
    pridej(*d, QStringLiteral("日本"));
    EXPECT_FALSE(d->zmeneno());
    EXPECT_EQ(d->polozky(0), (QStringList{"ROCK", "Jazz"}));

    // Selecting copies into the edit field; overwrite and delete act on the selection.
    d->ListBox[0]->setCurrentRow(1);
    EXPECT_EQ(d->Edit[0]->text(), QStringLiteral("Jazz"));
    d->Edit[0]->setText(QStringLiteral("Swing "));
    d->Button6Click();
    EXPECT_EQ(d->polozky(0), (QStringList{"ROCK", "Swing "}));
    EXPECT_TRUE(d->zmeneno());
    d->ListBox[0]->setCurrentRow(0);
    d->Edit[0]->setText(QStringLiteral("x"));
    d->Button2Click();
    EXPECT_EQ(d->polozky(0), (QStringList{"Swing "}));
    // The entry after the deleted one is not chosen for the next step.
    EXPECT_TRUE(d->ListBox[0]->selectedItems().isEmpty());
    EXPECT_EQ(d->ListBox[0]->currentRow(), -1);
    EXPECT_EQ(d->Edit[0]->text(), QStringLiteral("x"));
    d->Button2Click();
    EXPECT_EQ(d->polozky(0), (QStringList{"Swing "}));
    zpravy.expect("Opravdu vše vymazat ?", MsgKind::Confirmation, kButtonsYesNo, Sound::Question,
                  MsgButton::No);
    d->Button3Click();
    EXPECT_EQ(d->polozky(0).size(), 1);
    zpravy.expect("Opravdu vše vymazat ?", MsgButton::Yes);
    d->Button3Click();
    EXPECT_TRUE(d->polozky(0).isEmpty());
}

TEST_F(Vybery, DefaultsAfterExistingEntriesWithoutCaseDuplicates) {
    uloz("zanr", {"Jazz", "Swing"});
    auto d = otevri();
    d->Button4Click();
    QStringList cekam{"Jazz", "Swing"};
    for (const QString& p : SeznamyVyberu()[0].implicitni)
        if (p != QStringLiteral("JAZZ")) cekam.append(p);
    EXPECT_EQ(cekam.size(), 19);
    EXPECT_EQ(d->polozky(0), cekam);
    d->PageControl1->setCurrentIndex(2);
    pridej(*d, QStringLiteral("švédsko"));
    d->Button4Click();
    const QStringList zeme = d->polozky(2);
    EXPECT_EQ(zeme.front(), QStringLiteral("švédsko"));
    EXPECT_FALSE(zeme.contains(QStringLiteral("ŠVÉDSKO")));
    EXPECT_EQ(zeme.size(), 8);
}

TEST_F(Vybery, SavingWritesFiftyKeysAndOnlyFiftyEntries) {
    auto d = otevri();
    d->PageControl1->setCurrentIndex(4);
    for (int i = 1; i <= 51; ++i) pridej(*d, QStringLiteral("osoba %1").arg(i));
    d->PageControl1->setCurrentIndex(1);
    for (const char* p : {"A", "B", "C"}) pridej(*d, QString::fromUtf8(p));
    okno->otevriFormular(QStringLiteral("FViewCD"));
    zpracuj();
    d->BOKClick();
    EXPECT_FALSE(d->zmeneno());
    const IniSoubor soubor(ini());
    for (const auto& s : SeznamyVyberu())
        for (int n = 1; n <= 50; ++n)
            EXPECT_TRUE(soubor.maKlic(s.sekce, std::to_string(n))) << s.sekce << " " << n;
    EXPECT_EQ(soubor.text("typ", "3", "?"), "C");
    EXPECT_EQ(soubor.text("typ", "4", "?"), "");
    EXPECT_EQ(soubor.text("puj_komu", "50", ""), "osoba 50");
    EXPECT_FALSE(soubor.maKlic("puj_komu", "51"));
    EXPECT_EQ(otevri()->polozky(4).size(), 50);
    // The request reaches every open form, the active one too.
    for (TFVychozi* f : okno->formulare()) EXPECT_EQ(f->obnova, 2) << f->objectName().toStdString();
}

TEST_F(Vybery, CancelAsksOnlyAfterAChangeAndTheCloseBoxDiscards) {
    uloz("zanr", {"BLUES"});
    {
        auto d = otevri();
        d->BCancelClick();  // no question
    }
    {
        auto d = otevri();
        d->Button4Click();  // every default added or not, it is a change
        zpravy.expect("Uložit provedené změny ?", MsgKind::Confirmation, kButtonsYesNo,
                      Sound::Question, MsgButton::No);
        // The user's focus is in this window, not in the navigator behind it, whose Escape
        // would take the key first.
        if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
        QTest::keyClick(d.get(), Qt::Key_Escape);
        EXPECT_EQ(CtiText(ini(), "zanr", "2", ""), "");
    }
    {
        auto d = otevri();
        d->Button4Click();
        zpravy.expect("Uložit provedené změny ?", MsgButton::Yes);
        d->BCancelClick();
        EXPECT_EQ(CtiText(ini(), "zanr", "2", ""), "CLASSICAL");
    }
    {
        auto d = otevri();
        d->show();
        d->PageControl1->setCurrentIndex(0);
        pridej(*d, QStringLiteral("Polka"));
        d->close();  // the close box: no question, nothing saved
        EXPECT_FALSE(NactiVyber(ini(), "zanr").contains(QStringLiteral("Polka")));
    }
}

TEST_F(Vybery, OpensFromTheMenu) {
    bool videno = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TFKonfVyb*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        videno = true;
        d->BOK->click();
    });
    okno->akce(QStringLiteral("MKonfig1"))->trigger();
    EXPECT_TRUE(videno);
    EXPECT_TRUE(IniSoubor(ini()).maKlic("zanr", "50"));
}

}  // namespace
}  // namespace lorvika
