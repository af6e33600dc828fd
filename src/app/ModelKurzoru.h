#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

#include "store/dbf/Cursor.h"

// A table model over an engine cursor for the data grids: one row per record the cursor sees
// in its order, display texts as the forms show them (mm:ss, ANO/NE, empty year 0, rating words).
// Rows are found lazily: the model keeps a few known positions (the first and last row, the rows
// shown, every few hundredth row passed) and steps the cursor from the nearest one, so a grid
// over a large table never holds a position per record.
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

    // The cursor is not owned; null shows an empty grid. The owner sets null before the cursor
    // goes.
    void setKurzor(dbf::Cursor* kurzor);
    dbf::Cursor* kurzor() const { return kurzor_; }
    void setSloupce(std::vector<SloupecMrizky> sloupce);
    const std::vector<SloupecMrizky>& sloupce() const { return sloupce_; }
    // Re-reads the rows (after a refresh, a tag change or a filter switch).
    void obnov();
    // Row of the cursor's current record, -1 when none; moving the cursor to a row.
    int radekAktualniho() const;
    void prejdiNa(int row);
    // The current record's row changed although the rows did not (texts re-read).
    void obnovRadek(int row);

    // The display text of a field value as every grid shows it.
    static QString zobrazeni(const dbf::Cursor& c, const QString& pole);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // How many positions the model knows (for tests and benchmarks: it stays small).
    std::size_t znamychPozic() const { return kotvy_.size(); }

  private:
    // Puts the cursor on the record of row; false when the rows no longer match the table.
    bool najedNa(int row) const;
    int znamyRadek(std::uint32_t zaznam) const;
    void zapamatuj(int row, const dbf::Bookmark& b) const;
    void zapomen() const;
    const QStringList& radek(int row) const;

    dbf::Cursor* kurzor_ = nullptr;
    std::vector<SloupecMrizky> sloupce_;
    int pocet_ = 0;
    mutable std::map<int, dbf::Bookmark> kotvy_;
    mutable std::unordered_map<std::uint32_t, int> radkyZaznamu_;
    mutable QHash<int, QStringList> cache_;
};

}  // namespace lorvika
