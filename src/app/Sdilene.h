#pragma once

#include <QCollator>
#include <QList>
#include <QString>
#include <QStringList>

// Texts and small computations that every album form shares; no widgets, no database.
namespace lorvika {

// Seconds as "mm:ss"; minutes are not limited (3725 -> "62:05"), negative parts become 0.
QString CasText(int seconds);
// "3:07", "3.7" or "3,7" -> seconds; fewer than two words -> 0, a word that is no number -> 0.
int SekundyZTextu(const QString& text);
// Seconds with days and hours where needed: "1d.01:01:01", "01:02:05", "01:05".
QString CasTextDny(long long seconds);
QString MinSekText(int minutes, int seconds);

// The catalogue's rating words (index = HODNOC) as combo-box items.
QStringList HodnoceniPolozky();

// Shell sort in place by the lower-case form of each item in the given collation; equal items
// are swapped too, so the order of equals is that of the original program.
void SeradSeznam(QStringList& items, const QCollator& collator = QCollator());

// Column widths from weights: whole part of weight / total * (width - margin).
QList<int> SirkySloupcu(const QList<int>& weights, int gridWidth, int margin);

// Display text of PUJ_ANONE: "ANO" for "A" in either case, otherwise "NE".
QString AnoNeText(const QString& value);

// Hints of the original form "short|long": the long part goes to the status line, the short
// one to the tool tip. Without "|" both are the whole text.
QString kratkaNapoveda(const QString& hint);
QString dlouhaNapoveda(const QString& hint);

}  // namespace lorvika
