#include "app/SluzbyFormularu.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>

#include "app/ModelKurzoru.h"
#include "app/Sdilene.h"
#include "app/TForm1.h"
#include "store/AsciiCase.h"
#include "store/GridSort.h"
#include "store/Ini.h"

namespace lorvika {

namespace {

class RadekSeznamu : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        QSize s = QStyledItemDelegate::sizeHint(o, i);
        const QFontMetrics fm(o.font);
        // How far the highest Czech capital rises above the font's ascent, on both sides so
        // that the centred text keeps it inside the row.
        const int presah =
            std::max(0, -(fm.ascent() + fm.boundingRect(QStringLiteral("ÁÉĚÍÓÚŮÝČĎŇŘŠŤŽ")).top()));
        s.setHeight(std::max(s.height(), fm.height() + 2 * presah + 2));
        return s;
    }
};

}  // namespace

void VysokeRadkySeznamu(QWidget* form) {
    for (QComboBox* c : form->findChildren<QComboBox*>()) {
        if (dynamic_cast<RadekSeznamu*>(c->itemDelegate())) continue;
        c->setItemDelegate(new RadekSeznamu(c));
    }
}

namespace {

class CilCombo : public CilSeznamu {
  public:
    explicit CilCombo(QStringList& items) : items_(items) {
        for (const QString& s : items_) kopie_.push_back(s.toStdString());
    }
    void vyprazdni() override {
        items_.clear();
        kopie_.clear();
    }
    const std::vector<std::string>& polozky() const override { return kopie_; }
    void pridej(const std::string& polozka) override {
        items_.append(QString::fromStdString(polozka));
        kopie_.push_back(polozka);
    }

  private:
    QStringList& items_;
    std::vector<std::string> kopie_;
};

void napln(TForm1& hlavni, QStringList& items, const QString& sloupec, const QString& sekce,
           bool distinctOnly, const QString& tabulka) {
    items.clear();
    const std::string prikaz =
        ("select distinct " + sloupec + " from " + tabulka + " where " + sloupec + " > ''")
            .toStdString();
    SqlDoSeznamu(hlavni, prikaz, items);
    if (distinctOnly) return;
    CilCombo cil(items);
    NactiSeznam(hlavni.ini(), sekce.toStdString(), cil, false, 50);
    SeradSeznam(items);
}

ModelKurzoru* modelOf(QTableView* mrizka) {
    return mrizka ? qobject_cast<ModelKurzoru*>(mrizka->model()) : nullptr;
}

}  // namespace

void SqlDoSeznamu(TForm1& hlavni, const std::string& prikaz, QStringList& cil) {
    DatabaseSession& s = hlavni.session();
    const std::string adresar = s.TData() ? s.TData()->directory() : s.adresar();
    std::unique_ptr<dbf::Cursor> dotaz = s.engine().sql(adresar, prikaz);
    if (!dotaz) return;
    for (dotaz->first(); !dotaz->eof(); dotaz->next())
        cil.append(QString::fromStdString(dotaz->text(0)).trimmed());
}

void NaplnCombo(TForm1& hlavni, QComboBox* combo, const QString& sloupec, const QString& sekce,
                bool distinctOnly, const QString& tabulka) {
    QStringList items;
    napln(hlavni, items, sloupec, sekce, distinctOnly, tabulka);
    combo->clear();
    combo->addItems(items);
}

void NaplnSeznam(TForm1& hlavni, QStringList& seznam, const QString& sloupec, const QString& sekce,
                 bool distinctOnly) {
    napln(hlavni, seznam, sloupec, sekce, distinctOnly, QStringLiteral("cdskladby.dbf"));
}

void NaplnHodnoceni(QComboBox* combo, int n) {
    combo->clear();
    combo->addItems(HodnoceniPolozky());
    combo->setCurrentIndex(n >= 0 && n <= 6 ? n : 0);
    combo->setProperty("tag", n);
}

void SirkySloupcu(QTableView* mrizka, const QList<int>& vahy, int okraj) {
    QList<int> sirky = SirkySloupcu(vahy, mrizka->width(), okraj);
    // Every title reads whole; what that costs comes from the columns with the largest weights.
    const QHeaderView* h = mrizka->horizontalHeader();
    const int okrajTitulku = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h) + 6;
    QList<int> nejmene(sirky.size(), 0);
    int navic = 0;
    for (qsizetype i = 0; i < sirky.size() && mrizka->model(); ++i) {
        const QString titulek =
            mrizka->model()->headerData(static_cast<int>(i), Qt::Horizontal).toString();
        nejmene[i] = h->fontMetrics().horizontalAdvance(titulek) + okrajTitulku;
        if (sirky[i] < nejmene[i]) {
            navic += nejmene[i] - sirky[i];
            sirky[i] = nejmene[i];
        }
    }
    QList<qsizetype> poradi;
    for (qsizetype i = 0; i < sirky.size(); ++i) poradi.append(i);
    std::stable_sort(poradi.begin(), poradi.end(),
                     [&vahy](qsizetype a, qsizetype b) { return vahy.value(a) > vahy.value(b); });
    for (qsizetype i : poradi) {
        const int ubrat = std::min(navic, sirky[i] - nejmene[i]);
        sirky[i] -= ubrat;
        navic -= ubrat;
    }
    for (qsizetype i = 0; i < sirky.size(); ++i)
        mrizka->setColumnWidth(static_cast<int>(i), sirky[i]);
}

QString souborMrizky(const TForm1& hlavni, const QString& jmeno) {
    return QString::fromStdString(hlavni.cesty().programDir) + u'/' + jmeno +
           QStringLiteral("10.ini");
}

void UlozSloupce(QTableView* mrizka, const QString& soubor) {
    ModelKurzoru* model = modelOf(mrizka);
    if (!model) return;
    IniZapis z(soubor.toStdString());
    const QHeaderView* h = mrizka->horizontalHeader();
    const auto& sloupce = model->sloupce();
    z.cislo("Sloupce", "Pocet", static_cast<int>(sloupce.size()));
    for (int vizualni = 0; vizualni < static_cast<int>(sloupce.size()); ++vizualni) {
        const int logicky = h->logicalIndex(vizualni);
        const SloupecMrizky& s = sloupce[static_cast<std::size_t>(logicky)];
        const std::string k = std::to_string(vizualni + 1);
        z.text("Sloupce", "Pole" + k, s.pole.toStdString());
        z.text("Sloupce", "Titulek" + k, s.titulek.toStdString());
        z.cislo("Sloupce", "Sirka" + k, mrizka->columnWidth(logicky));
    }
    z.uloz();
}

void UlozMrizku(TForm1& hlavni, QTableView* mrizka, const QString& sekce, const QString& jmeno) {
    ZapisCislo(hlavni.ini(), sekce.toStdString(), "font", mrizka->font().pointSize());
    UlozSloupce(mrizka, souborMrizky(hlavni, jmeno));
}

bool NactiSloupce(QTableView* mrizka, const QString& soubor) {
    ModelKurzoru* model = modelOf(mrizka);
    if (!model || !QFileInfo::exists(soubor)) return false;
    const IniSoubor ini(soubor.toStdString());
    const int pocet = ini.cislo("Sloupce", "Pocet", 0);
    std::vector<SloupecMrizky> sloupce;
    for (int i = 1; i <= pocet; ++i) {
        const std::string k = std::to_string(i);
        SloupecMrizky s;
        s.pole = QString::fromStdString(ini.text("Sloupce", "Pole" + k, ""));
        s.titulek = QString::fromStdString(ini.text("Sloupce", "Titulek" + k, ""));
        s.sirka = ini.cislo("Sloupce", "Sirka" + k, 64);
        if (!s.pole.isEmpty()) sloupce.push_back(std::move(s));
    }
    if (sloupce.empty()) return false;
    model->setSloupce(sloupce);
    QHeaderView* h = mrizka->horizontalHeader();
    for (int i = 0; i < static_cast<int>(sloupce.size()); ++i) {
        h->moveSection(h->visualIndex(i), i);
        mrizka->setColumnWidth(i, sloupce[static_cast<std::size_t>(i)].sirka);
    }
    return true;
}

void NactiMrizku(TForm1& hlavni, QTableView* mrizka, const QString& sekce, const QString& jmeno) {
    const int velikost = CtiCislo(hlavni.ini(), sekce.toStdString(), "font", 10);
    QFont f = mrizka->font();
    if (velikost > 0) f.setPointSize(velikost);
    mrizka->setFont(f);
    mrizka->horizontalHeader()->setFont(f);
    NactiSloupce(mrizka, souborMrizky(hlavni, jmeno));
}

void pripojRazeniZahlavim(QTableView* mrizka) {
    QObject::connect(
        mrizka->horizontalHeader(), &QHeaderView::sectionClicked, mrizka, [mrizka](int sloupec) {
            ModelKurzoru* model = modelOf(mrizka);
            if (!model || !model->kurzor() || sloupec < 0 ||
                sloupec >= static_cast<int>(model->sloupce().size()))
                return;
            const bool sestupne = QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
            const std::string pole =
                model->sloupce()[static_cast<std::size_t>(sloupec)].pole.toStdString();
            // The order of a window that only shows albums is not stored with the catalogue.
            SeradPodleSloupce(*model->kurzor(), pole, sestupne, false);
            model->obnov();
            ukazRazeni(mrizka);
        });
}

void ukazRazeni(QTableView* mrizka) {
    ModelKurzoru* model = modelOf(mrizka);
    const dbf::Cursor* k = model ? model->kurzor() : nullptr;
    const std::string tag = k ? k->tag() : std::string();
    const bool sestupne = !tag.empty() && tag.front() == '_';
    int sloupec = -1;
    for (int i = 0; k && !tag.empty() && i < static_cast<int>(model->sloupce().size()); ++i) {
        const std::string pole = model->sloupce()[static_cast<std::size_t>(i)].pole.toStdString();
        if (PoleKRazeni(*k, pole) && equalNoCase(TagRazeni(pole, sestupne), tag)) sloupec = i;
    }
    QHeaderView* h = mrizka->horizontalHeader();
    h->setSortIndicatorShown(sloupec >= 0);
    if (sloupec >= 0)
        h->setSortIndicator(sloupec, sestupne ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace lorvika
