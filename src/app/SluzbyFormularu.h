#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <string>

class QComboBox;
class QTableView;
class QWidget;

// The operations the album forms share that touch widgets or the open database.
namespace lorvika {

class TForm1;
class ModelKurzoru;

// Runs a query in the directory of the main album cursor and appends the first column of every
// row as text, in row order.
void SqlDoSeznamu(TForm1& hlavni, const std::string& prikaz, QStringList& cil);

// The combo's items: the distinct non-empty values of the column, then (unless distinctOnly)
// the entries of the selection list that are not yet present, sorted. tabulka: "cddata.dbf" or
// "cdskladby.dbf".
void NaplnCombo(TForm1& hlavni, QComboBox* combo, const QString& sloupec, const QString& sekce,
                bool distinctOnly, const QString& tabulka = QStringLiteral("cddata.dbf"));
// The same into a plain list (a grid column's pick list) from the track table.
void NaplnSeznam(TForm1& hlavni, QStringList& seznam, const QString& sloupec, const QString& sekce,
                 bool distinctOnly);

// The seven rating words, item n selected, n kept as the combo's "tag" property.
void NaplnHodnoceni(QComboBox* combo, int n);

// Column widths of the grid from weights (on resizing).
void SirkySloupcu(QTableView* mrizka, const QList<int>& vahy, int okraj);

// The grid's font size in the program INI file, its column list in the layout file
// program directory/<name>10.ini.
QString souborMrizky(const TForm1& hlavni, const QString& jmeno);
void UlozMrizku(TForm1& hlavni, QTableView* mrizka, const QString& sekce, const QString& jmeno);
void NactiMrizku(TForm1& hlavni, QTableView* mrizka, const QString& sekce, const QString& jmeno);
// The column list (order, titles, widths) alone, in a file of its own; false when there was
// nothing to load.
void UlozSloupce(QTableView* mrizka, const QString& soubor);
bool NactiSloupce(QTableView* mrizka, const QString& soubor);

// The drop-down lists of the form's combo boxes get rows tall enough for the accents of
// capitals (PRŮMĚRNÉ): a plain list row is only as tall as the font's ascent, which the ring
// and caron of Czech capitals rise above. Combos already done are left alone.
void VysokeRadkySeznamu(QWidget* form);

// A click on a column title sorts the grid's table by that column (Shift: descending wanted).
void pripojRazeniZahlavim(QTableView* mrizka);
// The title of the column the grid's table is ordered by shows the order's direction.
void ukazRazeni(QTableView* mrizka);

}  // namespace lorvika
