#include <QFocusEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <filesystem>

#include "app/HlavniOknoTest.h"
#include "search/TFFiltrCD.h"
#include "store/Catalogue.h"

namespace lorvika {
namespace {

const std::string kNic = "Žádné AudioCD v databázi nevyhovuje zadanému filtru";
std::string kPocet(int n) {
    return "Zadanému filtru vyhovuje tento počet AudioCD:" + std::to_string(n);
}

class Vyhledavac : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujTFFiltrCD(registr);
        spust();
        // Albums 1..4 with artists D, B, A, C; album n has n + 1 tracks.
        const char* umelci[] = {"D", "B", "A", "C"};
        const char* zanry[] = {"Rock", "Jazz", "Rock", "Folk"};
        dbf::Cursor& c = *okno->session().TData();
        dbf::Cursor& s = *okno->session().TSkladby();
        for (int i = 1; i <= 4; ++i) {
            c.append();
            c.setInteger("CISLO", i);
            c.setText("ARTIST", umelci[i - 1]);
            c.setText("ALBUM", "Album " + std::to_string(i));
            c.setText("ZANR", zanry[i - 1]);
            c.setInteger("ROK", 1990 + i);
            c.setInteger("HODNOC", i + 2);
            c.setInteger("PSTOP", i + 1);
            c.post();
            for (int t = 1; t <= i + 1; ++t) {
                s.append();
                s.setInteger("CD", i);
                s.setInteger("CISLO", t);
                s.setText("NAME", "Skladba " + std::to_string(i) + "." + std::to_string(t));
                s.setText("TYP", t == 1 ? "živě" : "");
                s.post();
            }
        }
        f = dynamic_cast<TFFiltrCD*>(okno->otevriFormular(QStringLiteral("FFiltrCD")));
        zpracuj();
        ASSERT_NE(f, nullptr);
    }

    QCheckBox* box(const char* jmeno) const {
        auto* b = f->findChild<QCheckBox*>(QString::fromLatin1(jmeno));
        EXPECT_NE(b, nullptr) << jmeno;
        return b;
    }
    // Leaving a control as a click elsewhere or Tab would.
    static void opust(QWidget* w) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(w, &out);
    }
    static void vstup(QWidget* w) {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(w, &in);
    }
    void hledej(const std::string& zprava) {
        zpravy.expect(zprava);
        f->BOK->click();
        zpracuj();
    }
    QStringList viditelneStranky() const {
        QStringList out;
        for (int i = 0; i < f->PageC->count(); ++i)
            if (f->PageC->isTabVisible(i)) out.append(f->PageC->tabText(i));
        return out;
    }
    bool menu(QMenu* m) const { return m->menuAction()->isVisible(); }

    TFFiltrCD* f = nullptr;
};

TEST_F(Vyhledavac, OpensOnTheQueryPageInItsInitialState) {
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Vyhledání AudioCD"));
    EXPECT_EQ(f->Label1->text(), QStringLiteral("Vyhledání AudioCD"));
    ASSERT_EQ(f->PageC->count(), 4);
    EXPECT_EQ(f->PageC->tabText(0), QStringLiteral("Dotaz"));
    EXPECT_EQ(f->PageC->tabText(1), QStringLiteral("Hlavní"));
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_EQ(viditelneStranky(), QStringList{QStringLiteral("Dotaz")});
    EXPECT_TRUE(f->BOK->isVisible());
    EXPECT_TRUE(f->BOK->isDefault());
    EXPECT_FALSE(menu(f->MSerazeni));
    EXPECT_FALSE(menu(f->MVTab));
    EXPECT_FALSE(menu(f->MTisk));

    // Every row: its controls carry the row number, text rows have three boxes, ranges two.
    for (const PopisRadku& r : RadkyDotazu()) {
        const QString n = QString::number(r.n);
        auto* o = f->findChild<QCheckBox*>(QStringLiteral("ChBO") + n);
        auto* s = f->findChild<QCheckBox*>(QStringLiteral("ChBS") + n);
        auto* neg = f->findChild<QCheckBox*>(QStringLiteral("ChBN") + n);
        ASSERT_NE(s, nullptr) << r.n;
        ASSERT_NE(neg, nullptr) << r.n;
        EXPECT_EQ(o == nullptr, r.druh == DruhRadku::Rozsah) << r.n;
        EXPECT_EQ(s->property("tag").toInt(), r.n);
        EXPECT_FALSE(s->isChecked());
        EXPECT_EQ(s->toolTip(),
                  QStringLiteral("vybere danou podmínku, hledaný text musí být shodný"));
        EXPECT_EQ(neg->toolTip(), QStringLiteral("vyhodnotí danou podmínku negativně"));
        if (o) {
            EXPECT_EQ(
                o->toolTip(),
                QStringLiteral("vybere danou podmínku, hledaný text musí být alespoň obsažen"));
        }
    }
    const std::pair<QLineEdit*, int> delky[] = {{f->FEAlbum, 50},
                                                {f->FEName, 50},
                                                {f->FEZpev, 50},
                                                {f->FEPopis, 50},
                                                {f->FEVyd_P, 50},
                                                {f->FERokOd, 4},
                                                {f->FECenaDo, 4},
                                                {f->FCBVyd_F->lineEdit(), 30},
                                                {f->FCBArtist->lineEdit(), 25},
                                                {f->FCBHodnocOd->lineEdit(), 25}};
    for (const auto& [e, delka] : delky)
        EXPECT_EQ(e->maxLength(), delka) << e->objectName().toStdString();
    EXPECT_EQ(f->FEPStopOd->maxLength(), 32767);

    EXPECT_TRUE(f->RadioButton2->isChecked());
    EXPECT_EQ(f->RadioButton1->text(), QStringLiteral("alespoň jedné podmínce"));
    EXPECT_EQ(f->GroupBox1->title(), QStringLiteral("AudioCD musí vyhovovat:"));
    // The choice stays in view however far the rows scroll.
    auto* posuv = f->findChild<QScrollArea*>(QStringLiteral("SBDotaz"));
    ASSERT_NE(posuv, nullptr);
    EXPECT_FALSE(posuv->isAncestorOf(f->GroupBox1));
    EXPECT_TRUE(test::nevidetelne(*okno, {f->GroupBox1, f->BOK}).isEmpty())
        << test::nevidetelne(*okno, {f->GroupBox1, f->BOK}).join(u' ').toStdString();
    EXPECT_EQ(f->FERokOd->text(), QStringLiteral("2000"));
    EXPECT_EQ(f->FERokDo->text(), QStringLiteral("2000"));
    EXPECT_EQ(f->FECenaOd->text(), QStringLiteral("0"));
    EXPECT_EQ(f->FEPStopOd->text(), QString());
    EXPECT_TRUE(f->CBRokOd->isChecked());
    EXPECT_FALSE(f->CBRokDo->isChecked());
    EXPECT_TRUE(f->FERokDo->isHidden());
    EXPECT_TRUE(f->FECenaDo->isHidden());
    EXPECT_TRUE(f->FCBHodnocDo->isHidden());
    EXPECT_FALSE(f->FERokOd->isHidden());
    EXPECT_EQ(f->FCBHodnocOd->currentText(), QStringLiteral("DOBRÉ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(f->FCBHodnocOd), 4);
    EXPECT_EQ(f->FCBHodnocDo->currentText(), QStringLiteral("GENIÁLNÍ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(f->FCBHodnocDo), 6);
    // Combos hold the distinct values of the catalogue.
    QStringList zanry;
    for (int i = 0; i < f->FCBZanr->count(); ++i) zanry.append(f->FCBZanr->itemText(i));
    zanry.sort();
    EXPECT_EQ(zanry, (QStringList{QStringLiteral("Folk"), QStringLiteral("Jazz"),
                                  QStringLiteral("Rock")}));
    EXPECT_EQ(f->FCBTypS->count(), 1);
    EXPECT_EQ(f->FCBTypS->itemText(0), QStringLiteral("živě"));
}

TEST_F(Vyhledavac, SearchShowsTheCountAndTheResultPages) {
    hledej(kNic);  // no row on
    EXPECT_EQ(viditelneStranky().size(), 1);
    EXPECT_FALSE(f->TData->filtered());

    box("ChBO1")->click();
    f->FEAlbum->setText(QStringLiteral("ALBUM"));
    f->FCBZanr->setEditText(QStringLiteral("rock"));
    box("ChBS5")->click();
    hledej(kPocet(2));
    EXPECT_EQ(zpravy.shown().back().kind, MsgKind::Information);
    EXPECT_EQ(zpravy.shown().back().sound, Sound::Default);
    EXPECT_EQ(viditelneStranky().size(), 4);
    EXPECT_EQ(f->PageC->currentIndex(), 1);
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("2"));
    EXPECT_TRUE(menu(f->MSerazeni));
    EXPECT_TRUE(menu(f->MTisk));
    EXPECT_TRUE(menu(f->MVTab));
    EXPECT_EQ(f->modelSeznamu->rowCount(), 2);
    EXPECT_EQ(f->polePro(QStringLiteral("ARTIST"))->text(), QStringLiteral("A"));
    f->PageC->setCurrentIndex(2);
    EXPECT_FALSE(menu(f->MVTab));
    EXPECT_TRUE(menu(f->MSerazeni));

    // A track row: album 3's track "Skladba 3.4"; any of the two rows.
    box("ChBS5")->click();  // off again
    f->PageC->setCurrentIndex(0);
    f->FEName->setText(QStringLiteral("skladba 3.4"));
    box("ChBS3")->click();
    f->FEAlbum->setText(QStringLiteral("Album 1"));
    box("ChBS1")->click();
    f->RadioButton1->click();
    hledej(kPocet(2));
    EXPECT_EQ(f->modelSeznamu->rowCount(), 2);

    // Nothing passes: the filter goes off and the count shows every album again.
    f->FEName->setText(QStringLiteral("nic"));
    f->FEAlbum->setText(QStringLiteral("nic"));
    hledej(kNic);
    EXPECT_FALSE(f->TData->filtered());
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("4"));
    EXPECT_EQ(viditelneStranky().size(), 1);
    EXPECT_FALSE(menu(f->MTisk));
}

TEST_F(Vyhledavac, CriteriaChangesLeaveTheResultStateNegationAndModeDoNot) {
    f->FEAlbum->setText(QStringLiteral("album"));
    box("ChBO1")->click();
    hledej(kPocet(4));
    box("ChBN1")->click();
    EXPECT_EQ(viditelneStranky().size(), 4);
    f->RadioButton1->click();
    EXPECT_EQ(viditelneStranky().size(), 4);
    // Switching "shoda" on switches "obsahuje" of the row off and hides the result pages.
    box("ChBS1")->click();
    EXPECT_FALSE(box("ChBO1")->isChecked());
    EXPECT_EQ(viditelneStranky().size(), 1);
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_TRUE(f->TData->filtered()) << "hiding the pages leaves the filter as it was";
    box("ChBO1")->click();
    EXPECT_FALSE(box("ChBS1")->isChecked());
    box("ChBO1")->click();  // unchecking changes nothing else
    EXPECT_FALSE(box("ChBS1")->isChecked());

    // A text edit left after a change hides them; left unchanged after a search, it does not.
    box("ChBO1")->click();
    hledej(kNic);  // negated: every album's title holds "album"
    box("ChBN1")->click();
    hledej(kPocet(4));
    opust(f->FEAlbum);
    EXPECT_EQ(viditelneStranky().size(), 4);
    f->FEAlbum->setText(QStringLiteral("Album 2"));
    f->FEAlbum->setModified(true);
    opust(f->FEAlbum);
    EXPECT_EQ(viditelneStranky().size(), 1);

    // A combo left with the text it was entered with (a to z folded) keeps them.
    hledej(kPocet(1));
    vstup(f->FCBZanr);
    f->FCBZanr->setEditText(QString());
    opust(f->FCBZanr);
    EXPECT_EQ(viditelneStranky().size(), 4);
    f->FCBZanr->setEditText(QStringLiteral("Rock"));
    vstup(f->FCBZanr);
    f->FCBZanr->setEditText(QStringLiteral("ROCK"));
    opust(f->FCBZanr);
    EXPECT_EQ(viditelneStranky().size(), 4);
    f->FCBZanr->setEditText(QStringLiteral("Jazz"));
    opust(f->FCBZanr);
    EXPECT_EQ(viditelneStranky().size(), 1);
}

TEST_F(Vyhledavac, BoundBoxesAndBoundEdits) {
    // Unchecking "od:" checks "do:" and shows its edit.
    box("CBCenaOd")->click();
    EXPECT_FALSE(f->CBCenaOd->isChecked());
    EXPECT_TRUE(f->CBCenaDo->isChecked());
    EXPECT_TRUE(f->FECenaOd->isHidden());
    EXPECT_FALSE(f->FECenaDo->isHidden());
    box("CBCenaDo")->click();
    EXPECT_TRUE(f->CBCenaOd->isChecked());
    EXPECT_TRUE(f->FECenaDo->isHidden());
    box("CBRokDo")->click();
    EXPECT_TRUE(f->CBRokOd->isChecked());
    EXPECT_FALSE(f->FERokDo->isHidden());

    // Coupling of the two bounds of a row.
    f->FERokOd->setText(QStringLiteral("2005"));
    opust(f->FERokOd);
    EXPECT_EQ(f->FERokDo->text(), QStringLiteral("2005"));
    f->FERokOd->setText(QStringLiteral("1990"));
    opust(f->FERokOd);
    f->FERokDo->setText(QStringLiteral("1980"));
    opust(f->FERokDo);
    EXPECT_EQ(f->FERokOd->text(), QStringLiteral("1980"));

    // Refused bounds: a warning, and nothing else changes.
    struct Case {
        TAMEdit* edit;
        const char* text;
        const char* zprava;
    };
    const Case cases[] = {
        {f->FERokOd, "0", "Zadané číslo musí být větší jak 0"},
        {f->FEPStopOd, "0", "Zadané číslo musí být větší jak 0"},
        {f->FEPStopDo, "", "Toto není přípustné číslo"},
        {f->FERokDo, "12a", "Toto není přípustné číslo"},
        {f->FECenaOd, "-1", "Zadané číslo musí být větší nebo rovno 0"},
    };
    for (const auto& c : cases) {
        const QString jinaMez = c.edit == f->FERokOd ? f->FERokDo->text() : f->FERokOd->text();
        c.edit->setText(QString::fromUtf8(c.text));
        zpravy.expect(c.zprava, MsgKind::Warning, kButtonsOK, Sound::Exclamation, MsgButton::OK);
        opust(c.edit);
        EXPECT_EQ(c.edit == f->FERokOd ? f->FERokDo->text() : f->FERokOd->text(), jinaMez);
    }
    f->FECenaOd->setText(QStringLiteral("0"));
    opust(f->FECenaOd);  // accepted without a message

    // A bound edit that was never left may hold a non-number: the search reads it as 0.
    f->FEPStopOd->setText(QString());
    f->FEPStopDo->setText(QStringLiteral("3"));
    box("ChBS4")->click();
    hledej(kPocet(2));  // albums 1 and 2 have 2 and 3 tracks
}

TEST_F(Vyhledavac, RatingCombosAcceptOnlyTheWordsAndCouple) {
    QComboBox* od = f->FCBHodnocOd;
    QComboBox* do_ = f->FCBHodnocDo;
    vstup(od);
    od->setEditText(QStringLiteral("vynikající"));  // í is not folded: not a word
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 4);
    od->setEditText(QStringLiteral("Dobré"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 4);
    od->setEditText(QStringLiteral("odpad"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 1);
    od->setEditText(QStringLiteral("GENIÁLNÍ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 6);
    od->setEditText(QStringLiteral("PRŮMĚRNÉ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 3);
    // The upper bound below the lower one takes the lower one down with it, and back.
    do_->setEditText(QStringLiteral("SLABÉ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(do_), 2);
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 2);
    EXPECT_EQ(od->currentText(), QStringLiteral("SLABÉ"));
    od->setEditText(QStringLiteral("DOBRÉ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(do_), 4);
    EXPECT_EQ(do_->currentText(), QStringLiteral("DOBRÉ"));
    od->setEditText(QStringLiteral("-"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 0);

    // Rating 3..4 (albums 1 and 2), with "do:" switched on.
    od->setEditText(QStringLiteral("PRŮMĚRNÉ"));
    box("CBHodnocDo")->click();
    box("ChBS22")->click();
    hledej(kPocet(2));

    // Refresh code 2 fills the combos again and puts the bounds back.
    f->obnova = 2;
    f->FormActivate();
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(od), 4);
    EXPECT_EQ(od->currentText(), QStringLiteral("DOBRÉ"));
    EXPECT_EQ(TFFiltrCD::mezHodnoceni(do_), 6);
}

TEST_F(Vyhledavac, TheFilterStaysOnAcrossDeactivation) {
    f->FCBArtist->setEditText(QStringLiteral("b"));
    box("ChBS2")->click();
    f->RadioButton1->click();
    f->FERokOd->setText(QStringLiteral("1994"));
    box("ChBS8")->click();
    hledej(kPocet(2));  // artist B (album 2) or year from 1994 (album 4)
    f->FormDeactivate();
    EXPECT_FALSE(f->TData->filtered());
    EXPECT_EQ(f->TData->recordCount(), 4u);
    f->FormActivate();
    EXPECT_TRUE(f->TData->filtered());
    EXPECT_EQ(f->TData->recordCount(), 2u);
    EXPECT_EQ(okno->textPanelu(4), QStringLiteral("2"));
}

}  // namespace
}  // namespace lorvika
