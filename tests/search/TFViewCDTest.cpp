#include <QHeaderView>
#include <QMenuBar>
#include <QPrinter>
#include <QTest>
#include <filesystem>

#include "reports/Sestava.h"
#include "support/Command.h"
#include "support/Files.h"

#include "app/HlavniOknoTest.h"
#include "search/TFViewCD.h"
#include "store/Catalogue.h"
#include "store/Ini.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;

class Prohlizec : public test::HlavniOknoFixture {
  protected:
    void SetUp() override {
        registrujTFViewCD(registr);
        registr.registruj(QStringLiteral("FFiltrCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
            return std::make_unique<TFViewCD>(&h, QStringLiteral("FFiltrCD"));
        });
        spust();
        // Albums 1..4 with artists D, B, A, C; album n has n + 1 tracks.
        const char* umelci[] = {"D", "B", "A", "C"};
        dbf::Cursor& c = *okno->session().TData();
        dbf::Cursor& s = *okno->session().TSkladby();
        for (int i = 1; i <= 4; ++i) {
            c.append();
            c.setInteger("CISLO", i);
            c.setText("ARTIST", umelci[i - 1]);
            c.setText("ALBUM", "Album " + std::to_string(i));
            c.setText("ZANR", "Rock");
            c.setInteger("DELKA", 3725 + i);
            c.setInteger("PSTOP", i + 1);
            c.setInteger("ROK", i == 1 ? 0 : 1990 + i);
            c.setInteger("HODNOC", i);
            c.setText("PUJ_ANONE", i == 3 ? "a" : "N");
            c.setText("ZPEV", "Zpěvák " + std::to_string(i));
            c.post();
            for (int t = 1; t <= i + 1; ++t) {
                s.append();
                s.setInteger("CD", i);
                s.setInteger("CISLO", t);
                s.setText("NAME", "Skladba " + std::to_string(i) + "." + std::to_string(t));
                s.setInteger("DELKA", 65 * t);
                s.post();
            }
        }
    }

    TFViewCD* otevriProhlizec(const char* jmeno = "FViewCD") {
        auto* f = dynamic_cast<TFViewCD*>(okno->otevriFormular(QString::fromUtf8(jmeno)));
        zpracuj();
        return f;
    }

    static QString text(const TFViewCD* f, const char* pole) {
        const QLineEdit* e = f->polePro(QString::fromUtf8(pole));
        return e ? e->text() : QStringLiteral("<missing>");
    }
    static QStringList sloupec(const ModelKurzoru* m, int c) {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r) out.append(m->index(r, c).data().toString());
        return out;
    }
};

TEST_F(Prohlizec, ShowsTheCurrentAlbumWithItsTracksReadOnly) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), QStringLiteral("Prohlížeč AudioCD"));
    EXPECT_EQ(f->Label1->text(), QStringLiteral("Prohlížeč AudioCD"));
    ASSERT_EQ(f->PageC->count(), 3);
    EXPECT_EQ(f->PageC->tabText(0), QStringLiteral("Hlavní"));
    EXPECT_EQ(f->PageC->tabText(1), QStringLiteral("Vedlejší"));
    EXPECT_EQ(f->PageC->tabText(2), QStringLiteral("Seznam"));
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_FALSE(f->BOK->isVisible());

    // Artist order: A (album 3) first.
    EXPECT_EQ(text(f, "ARTIST"), QStringLiteral("A"));
    EXPECT_EQ(text(f, "ALBUM"), QStringLiteral("Album 3"));
    EXPECT_EQ(text(f, "DELKA"), QStringLiteral("62:08"));
    EXPECT_EQ(text(f, "ROK"), QStringLiteral("1993"));
    EXPECT_EQ(text(f, "PSTOP"), QStringLiteral("4"));
    EXPECT_EQ(text(f, "HODNOC"), QStringLiteral("PRŮMĚRNÉ"));
    EXPECT_EQ(text(f, "ZPEV"), QStringLiteral("Zpěvák 3"));
    EXPECT_EQ(sloupec(f->modelSkladeb, 0), (QStringList{QStringLiteral("1"), QStringLiteral("2"),
                                                        QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(f->modelSkladeb->index(2, 4).data().toString(), QStringLiteral("03:15"));
    f->Speed4->click();  // D = album 1: year 0 shows empty
    EXPECT_EQ(text(f, "ARTIST"), QStringLiteral("D"));
    EXPECT_EQ(text(f, "ROK"), QString());
    EXPECT_EQ(f->modelSkladeb->rowCount(), 2);
    for (const char* pole : {"ALBUM", "ZPEV", "POPIS", "HODNOC"}) {
        const QLineEdit* e = f->polePro(QString::fromUtf8(pole));
        ASSERT_NE(e, nullptr) << pole;
        EXPECT_TRUE(e->isReadOnly()) << pole;
    }
    EXPECT_EQ(f->DBSkladby->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(f->DBGSeznam->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(Prohlizec, ListGridFollowsTheAlbumAndMovesIt) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->modelSeznamu->columnCount(), 25);
    EXPECT_EQ(f->modelSeznamu->headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Vydavatel-firma"));
    EXPECT_EQ(f->modelSeznamu->headerData(24, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Cena"));
    EXPECT_EQ(sloupec(f->modelSeznamu, 0), (QStringList{QStringLiteral("A"), QStringLiteral("B"),
                                                        QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_EQ(f->modelSeznamu->index(2, 12).data().toString(), QStringLiteral("NE"));
    EXPECT_EQ(f->modelSeznamu->index(0, 12).data().toString(), QStringLiteral("ANO"));
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 0);
    f->Speed3->click();
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 1);
    f->Speed4->click();
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 3);

    // Choosing a row moves the album and its tracks.
    f->PageC->setCurrentIndex(2);
    f->DBGSeznam->setCurrentIndex(f->modelSeznamu->index(2, 1));
    EXPECT_EQ(f->aktualniCislo(), 4);
    EXPECT_EQ(text(f, "ARTIST"), QStringLiteral("C"));
    EXPECT_EQ(f->modelSkladeb->rowCount(), 5);

    // The order of the sort menu reaches the list.
    f->nastavTag(QStringLiteral("zanr"));
    f->nastavTag(QString());
    EXPECT_EQ(sloupec(f->modelSeznamu, 0), (QStringList{QStringLiteral("D"), QStringLiteral("B"),
                                                        QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 3) << "still on album 4";

    // A title click sorts, creating the tag the first time.
    EXPECT_FALSE(f->TData->hasTag("ALBUM") && f->TData->hasTag("_ALBUM"));
    emit f->DBGSeznam->horizontalHeader()->sectionClicked(1);
    emit f->DBGSeznam->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(QString::fromStdString(f->TData->tag()).toUpper(), QStringLiteral("_ALBUM"));
    EXPECT_EQ(sloupec(f->modelSeznamu, 1).first(), QStringLiteral("Album 4"));
    EXPECT_EQ(f->aktualniCislo(), 4);
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 0);
    QHeaderView* h = f->DBGSeznam->horizontalHeader();
    EXPECT_TRUE(h->isSortIndicatorShown());
    EXPECT_EQ(h->sortIndicatorSection(), 1);
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::DescendingOrder);
    // The window's order is not stored with the catalogue.
    const fs::path katalog = okno->session().adresar();
    f->zavri();
    zpracuj();
    okno->session().ZavriTabulky();
    for (const auto& e : fs::directory_iterator(katalog)) {
        if (e.path().extension() == ".mdx") {
            EXPECT_EQ(test::readFile(e.path()).find("_ALBUM"), std::string::npos) << e.path();
        }
    }
}

TEST_F(Prohlizec, KeysWorkFromTheMomentTheWindowOpens) {
    okno->activateWindow();
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    QWidget* fokus = QApplication::focusWidget();
    ASSERT_TRUE(fokus && f->isAncestorOf(fokus));
    QTest::keyClick(fokus, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f->PageC->currentIndex(), 1);
}

TEST_F(Prohlizec, ARefreshRequestRereadsTheListAndTheAlbumShown) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    dbf::Cursor& c = *okno->session().TData();
    c.append();
    c.setInteger("CISLO", 9);
    c.setText("ARTIST", "AA");
    c.post();
    ASSERT_TRUE(NajdiCD(3, "cislo", c));
    c.edit();
    c.setText("ALBUM", "Přejmenované");
    c.post();
    f->obnova = 1;
    f->FormActivate();
    EXPECT_EQ(okno->textPanelu(5), QStringLiteral("aktualizuji data"));
    EXPECT_EQ(f->modelSeznamu->rowCount(), 5);
    EXPECT_EQ(f->aktualniCislo(), 3) << "still on the album shown";
    EXPECT_EQ(text(f, "ALBUM"), QStringLiteral("Přejmenované"));
    EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 0);
    EXPECT_EQ(f->modelSeznamu->index(0, 1).data().toString(), QStringLiteral("Přejmenované"));
    EXPECT_EQ(f->modelSeznamu->index(1, 0).data().toString(), QStringLiteral("AA"));
}

TEST_F(Prohlizec, PageRulesShowTheMenuOfThePage) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    struct Ocekavani {
        int stranka;
        bool tabulka, vzhled;
    };
    for (const Ocekavani& o : {Ocekavani{0, true, false}, Ocekavani{1, false, false},
                               Ocekavani{2, false, true}, Ocekavani{0, true, false}}) {
        f->PageC->setCurrentIndex(o.stranka);
        EXPECT_EQ(f->MVTab->menuAction()->isVisible(), o.tabulka) << o.stranka;
        EXPECT_EQ(f->MVZhled->menuAction()->isVisible(), o.vzhled) << o.stranka;
    }
    // Ctrl+PgDn and Ctrl+PgUp turn the pages cyclically, past hidden ones.
    f->PageC->setCurrentIndex(2);
    f->PMPageNextClick();
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    f->PMPagePriorClick();
    EXPECT_EQ(f->PageC->currentIndex(), 2);
    f->PageC->setTabVisible(1, false);
    f->PMPagePriorClick();
    EXPECT_EQ(f->PageC->currentIndex(), 0);
    EXPECT_EQ(f->PMPageNext->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_PageDown));
    EXPECT_EQ(f->PMPagePrior->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_PageUp));

    // A derived window with a page in front keeps the rule counted from the last page.
    TFViewCD* d = otevriProhlizec("FFiltrCD");
    ASSERT_NE(d, nullptr);
    d->PageC->insertTab(0, new QWidget, QStringLiteral("Dotaz"));
    d->PageC->setCurrentIndex(0);
    d->PageCChange(0);
    EXPECT_FALSE(d->MVTab->menuAction()->isVisible());
    EXPECT_FALSE(d->MVZhled->menuAction()->isVisible());
    d->PageC->setCurrentIndex(1);
    EXPECT_TRUE(d->MVTab->menuAction()->isVisible());
    d->PageC->setCurrentIndex(3);
    EXPECT_TRUE(d->MVZhled->menuAction()->isVisible());
}

TEST_F(Prohlizec, PrintMenuRulesAndTheBrowserOnlyItem) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    // The print items carry their report number.
    for (const auto& [a, typ] : {std::pair{f->MT1Tisk, 1}, {f->MT2Prev, 2}, {f->MT3Tisk, 3}})
        EXPECT_EQ(a->data().toInt(), typ) << a->objectName().toStdString();
    EXPECT_FALSE(f->velkaPismena());
    f->MTNVelkaPismClick();
    EXPECT_TRUE(f->velkaPismena());

    // "nastav podle prohlížeče" is offered only in derived windows.
    emit f->MVZhled->aboutToShow();
    EXPECT_FALSE(f->MVProhliz->isVisible());
    EXPECT_FALSE(f->MVProhlizSep->isVisible());
    TFViewCD* d = otevriProhlizec("FFiltrCD");
    ASSERT_NE(d, nullptr);
    emit d->MVZhled->aboutToShow();
    EXPECT_TRUE(d->MVProhliz->isVisible());

    zpravy.expect("Chyba programu", MsgKind::Information, kButtonsOK, Sound::Default,
                  MsgButton::OK);
    d->MTTiskClick(4);
}

TEST_F(Prohlizec, FontsStartAtTheirDefaultsAndStopAtOnePoint) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->fontSkladeb(), 9);
    EXPECT_EQ(f->fontSeznamu(), 10);
    EXPECT_EQ(f->DBSkladby->horizontalHeader()->font().pointSize(), 9);
    EXPECT_TRUE(f->DBGSeznam->horizontalHeader()->font().bold());
    for (int i = 0; i < 12; ++i) {
        f->MVTFMinus->trigger();
        f->MVZMinus->trigger();
    }
    EXPECT_EQ(f->fontSkladeb(), 1);
    EXPECT_EQ(f->fontSeznamu(), 1);
    f->MVTFPlus->trigger();
    f->MVZPlus->trigger();
    EXPECT_EQ(f->fontSkladeb(), 2);
    EXPECT_EQ(f->fontSeznamu(), 2);
    EXPECT_EQ(f->DBGSeznam->horizontalHeader()->font().pointSize(), 2);

    f->nastavFontSkladeb(14);
    f->MVTUlozClick();
    EXPECT_EQ(CtiCislo(ini(), "FViewCD", "tab_vel_font", 0), 14);

    // Resizing the window keeps both sizes.
    f->nastavFontSeznamu(12);
    f->okno()->resize(f->okno()->size() + QSize(200, 150));
    zpracuj();
    EXPECT_EQ(f->fontSkladeb(), 14);
    EXPECT_EQ(f->fontSeznamu(), 12);
}

TEST_F(Prohlizec, TracksGridColumnsFollowItsWidth) {
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    f->DBSkladby->setParent(nullptr);  // out of the layout, so the width is the test's
    f->DBSkladby->show();
    f->DBSkladby->resize(545, 200);
    zpracuj();
    // The weights share the width; a title that would be cut takes from the widest column.
    int soucet = 0;
    const QFontMetrics fm = f->DBSkladby->horizontalHeader()->fontMetrics();
    for (int i = 0; i < 5; ++i) {
        const QString titulek =
            f->modelSkladeb->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_GT(f->DBSkladby->columnWidth(i), fm.horizontalAdvance(titulek)) << i;
        soucet += f->DBSkladby->columnWidth(i);
    }
    EXPECT_EQ(soucet, 520);
    f->DBSkladby->resize(1065, 200);
    zpracuj();
    EXPECT_EQ(f->DBSkladby->columnWidth(1), 460);
    f->DBSkladby->setParent(f->TSHlavni);
}

TEST_F(Prohlizec, ListLayoutIsSavedLoadedAndTakenOverByADerivedWindow) {
    {
        TFViewCD* f = otevriProhlizec();
        ASSERT_NE(f, nullptr);
        f->nastavFontSeznamu(12);
        QHeaderView* h = f->DBGSeznam->horizontalHeader();
        h->moveSection(1, 0);  // "Album" first
        f->DBGSeznam->setColumnWidth(1, 177);
        f->MVZUlozClick();
        EXPECT_EQ(okno->textPanelu(5),
                  QStringLiteral("pořadí sloupců, jejich velikost a velikost fontu uložena"));
        EXPECT_TRUE(fs::exists(dir.home() / "FViewCD10.ini"));
        f->zavri();
        zpracuj();
    }
    TFViewCD* f = otevriProhlizec();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->fontSeznamu(), 12);
    const QHeaderView* h = f->DBGSeznam->horizontalHeader();
    EXPECT_EQ(
        f->modelSeznamu->headerData(h->logicalIndex(0), Qt::Horizontal, Qt::DisplayRole).toString(),
        QStringLiteral("Album"));
    EXPECT_EQ(f->DBGSeznam->columnWidth(h->logicalIndex(0)), 177);
    EXPECT_EQ(f->fontSkladeb(), 9) << "the tracks grid keeps its own size";

    TFViewCD* d = otevriProhlizec("FFiltrCD");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->fontSeznamu(), 10);
    d->MVProhlizClick();
    EXPECT_EQ(d->fontSeznamu(), 12);
    const QHeaderView* dh = d->DBGSeznam->horizontalHeader();
    EXPECT_EQ(d->modelSeznamu->headerData(dh->logicalIndex(0), Qt::Horizontal, Qt::DisplayRole)
                  .toString(),
              QStringLiteral("Album"));
    EXPECT_FALSE(fs::exists(dir.home() / "FFiltrCD10.ini")) << "nothing is written";
}

// Prints go to PDF files; the preview paints into one as the dialog would.
class TiskProhlizece : public Prohlizec {
  protected:
    void SetUp() override {
        Prohlizec::SetUp();
        dbf::Cursor& c = *okno->session().TData();
        // Albums 5..24: "Deska 05" .. "Deska 24"; the even ones pass the filter below.
        for (int i = 5; i <= 24; ++i) {
            char album[16];
            std::snprintf(album, sizeof album, "Deska %02d", 29 - i);
            c.append();
            c.setInteger("CISLO", i);
            c.setText("ARTIST", "Umělec " + std::to_string(i));
            c.setText("ALBUM", album);
            c.setInteger("DELKA", 600);
            c.post();
        }
        f = otevriProhlizec();
        ASSERT_NE(f, nullptr);
        f->tiskarna = [this]() -> std::unique_ptr<QPrinter> {
            if (tiskarnaSelze) throw ChybaSestavy("tiskárna selhala");
            auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
            p->setOutputFormat(QPrinter::PdfFormat);
            p->setOutputFileName(QString::fromStdString(pdf().string()));
            panelBehemTisku = okno->textPanelu(5);
            return p;
        };
        f->nahled = [this](QPrinter& p, const std::function<void(QPrinter*)>& kresli) {
            hlavniVidetBehemNahledu = okno->isVisible();
            deaktivaceBehemNahledu = f->deaktivace;
            titulekNahledu = p.docName();
            okno->FormActivate();  // another window in front does not unfilter the table
            f->FormDeactivate();
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(QString::fromStdString(pdf().string()));
            kresli(&p);
        };
        // Album order, only even album numbers, on the tenth row.
        f->nastavTag(QStringLiteral("album"));
        f->nastavFiltr([](const dbf::Cursor& c) { return c.integer("CISLO") % 2 == 0; });
        f->zapniFiltr(true);
        f->obnovSeznam();
        f->prvni();
        for (int i = 1; i < 10; ++i) f->dalsi();
        desateCD = f->aktualniCislo();
    }

    fs::path pdf() const { return dir.path() / "tisk.pdf"; }
    QStringList albaVPdf() const {
        const auto r = test::runCommand("pdftotext -layout '" + pdf().string() + "' -");
        QStringList out;
        for (const QString& radek : QString::fromStdString(r.output).split(u'\n'))
            if ((radek.contains(QStringLiteral("Deska"), Qt::CaseInsensitive) ||
                 radek.contains(QStringLiteral("Album "), Qt::CaseInsensitive)) &&
                !radek.contains(QStringLiteral("INTERPRET")))
                out.append(radek.simplified());
        return out;
    }
    void ocekavejStejnyStav() {
        EXPECT_EQ(f->aktualniCislo(), desateCD);
        EXPECT_EQ(f->TData->tag(), "album");
        EXPECT_TRUE(f->TData->filtered());
        EXPECT_EQ(f->TData->recordCount(), 12u);
        EXPECT_TRUE(f->deaktivace);
        EXPECT_EQ(f->DBGSeznam->currentIndex().row(), 9);
        EXPECT_EQ(f->polePro(QStringLiteral("CISLO")), nullptr);
        EXPECT_EQ(f->polePro(QStringLiteral("ARTIST"))->text(),
                  QString::fromStdString(f->TData->text("ARTIST")));
    }

    TFViewCD* f = nullptr;
    long long desateCD = 0;
    bool tiskarnaSelze = false;
    QString panelBehemTisku;
    bool hlavniVidetBehemNahledu = true;
    bool deaktivaceBehemNahledu = true;
    QString titulekNahledu;
};

TEST_F(TiskProhlizece, PrintListsTheFilteredAlbumsInOrderAndComesBack) {
    ASSERT_EQ(desateCD, 10) << "Deska 19 is album 10, the tenth even one in album order";
    f->MT2Tisk->trigger();
    ocekavejStejnyStav();
    EXPECT_EQ(panelBehemTisku, QStringLiteral("připravuji tisk .."));
    EXPECT_EQ(okno->textPanelu(5), QString());
    const QStringList alba = albaVPdf();
    ASSERT_EQ(alba.size(), 12) << alba.join(u'|').toStdString();
    EXPECT_TRUE(alba.value(0).startsWith(QStringLiteral("B Album 2 1992")));
    EXPECT_TRUE(alba[2].startsWith(QStringLiteral("Umělec 24 Deska 05")));
    EXPECT_TRUE(alba.value(11).startsWith(QStringLiteral("Umělec 6 Deska 23")));
    EXPECT_NE(test::runCommand("pdfinfo '" + pdf().string() + "'").output.find("Lorvika-tisk-2"),
              std::string::npos);
}

TEST_F(TiskProhlizece, WithoutAPrinterItOffersAPdfFile) {
    f->tiskarna = [] { return std::unique_ptr<QPrinter>(); };
    f->souborPdf = [this] { return QString::fromStdString(pdf().string()); };
    const std::string otazka = "Není nastavena žádná tiskárna. Vytisknout sestavu do souboru PDF?";
    zpravy.expect(otazka, MsgButton::No);
    f->MT1Tisk->trigger();
    EXPECT_FALSE(fs::exists(pdf()));
    zpravy.expect(otazka, MsgButton::Yes);
    f->MT1Tisk->trigger();
    EXPECT_EQ(albaVPdf().size(), 12);
    ocekavejStejnyStav();
}

TEST_F(TiskProhlizece, ClosingThePreviewDoesNotEndTheProgram) {
    bool konec = true;
    f->nahled = [&konec](QPrinter&, const std::function<void(QPrinter*)>&) {
        konec = QGuiApplication::quitOnLastWindowClosed();
    };
    f->MT1Prev->trigger();
    EXPECT_FALSE(konec) << "the preview is the last visible window while the main one is hidden";
    EXPECT_TRUE(okno->isVisible());
    EXPECT_TRUE(QGuiApplication::quitOnLastWindowClosed());
}

TEST_F(TiskProhlizece, PreviewHidesTheMainWindowAndTheCleanUpRunsAfterAFailure) {
    f->MTNVelkaPismClick();
    f->MT1Prev->trigger();
    EXPECT_FALSE(hlavniVidetBehemNahledu);
    EXPECT_FALSE(deaktivaceBehemNahledu);
    EXPECT_EQ(titulekNahledu, QStringLiteral("Lorvika-tisk-1"));
    EXPECT_TRUE(okno->isVisible());
    ocekavejStejnyStav();
    EXPECT_TRUE(albaVPdf().value(0).startsWith(QStringLiteral("B ALBUM 2")));
    EXPECT_TRUE(albaVPdf().value(2).startsWith(QStringLiteral("UMĚLEC 24 DESKA 05")));

    tiskarnaSelze = true;
    EXPECT_THROW(f->MTTiskClick(3), ChybaSestavy);
    ocekavejStejnyStav();

    // The report prints nothing for an empty view.
    f->nastavFiltr([](const dbf::Cursor&) { return false; });
    f->obnovSeznam();
    fs::remove(pdf());
    tiskarnaSelze = false;
    f->MTTiskClick(1);
    EXPECT_FALSE(fs::exists(pdf()));
}

}  // namespace
}  // namespace lorvika
