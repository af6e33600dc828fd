#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "store/dbf/Cursor.h"

// A table model over an engine cursor for the data grids: one row per record the cursor sees
// in its order, display texts as the forms show them (mm:ss, ANO/NE, empty year 0, rating words).
namespace lorvika {

struct SloupecMrizky {
    QString pole;     // field name
    QString titulek;  // column title
    int sirka = 64;   // pixels
};

class ModelKurzoru : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ModelKurzoru(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // The cursor is not owned; null shows an empty grid.
    void setKurzor(dbf::Cursor* kurzor);
    dbf::Cursor* kurzor() const { return kurzor_; }
    void setSloupce(std::vector<SloupecMrizky> sloupce);
    const std::vector<SloupecMrizky>& sloupce() const { return sloupce_; }
    // Re-reads the rows (after a refresh, a tag change or a filter switch).
    void obnov();
    // Row of the cursor's current record, -1 when none; moving the cursor to a row.
    int radekAktualniho() const;
    void prejdiNa(int row);

    // The display text of a field value as every grid shows it.
    static QString zobrazeni(const dbf::Cursor& c, const QString& pole);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

  private:
    const QStringList& radek(int row) const;

    dbf::Cursor* kurzor_ = nullptr;
    std::vector<SloupecMrizky> sloupce_;
    std::vector<dbf::Bookmark> radky_;
    mutable QHash<int, QStringList> cache_;
};

}  // namespace lorvika
