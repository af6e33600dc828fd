#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <functional>
#include <vector>

#include "store/dbf/Cursor.h"

// The editable grid of the new album's work table: Pozice, Název, Interpret/popis, Typ and
// Délka (shown and typed as minutes and seconds).
namespace lorvika {

class ModelSkladeb : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Sloupec { Pozice, Nazev, Interpret, Typ, Delka, PocetSloupcu };

    explicit ModelSkladeb(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    // Not owned; null shows an empty grid.
    void setKurzor(dbf::Cursor* kurzor);
    // Re-reads the rows in table order.
    void obnov();
    // Deletes the row's record from the work table.
    void odeberRadek(int row);
    // The row indicator marks the current row.
    void setAktualni(int row);
    // Nothing typed in the row but its position.
    bool jePrazdny(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    static const char* pole(int sloupec);

    // Called with the text when a typed length is refused (not minutes and seconds, see
    // DelkaZTextu); the row keeps its length. The window shows kChybnaDelka.
    std::function<void(const QString&)> chybnaDelka;

  private:
    dbf::Cursor* kurzor_ = nullptr;
    std::vector<dbf::Bookmark> radky_;
    int aktualni_ = -1;
};

// The Typ column's editor: an editable combo with the pick list.
class VyberTypu : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QStringList seznam;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

}  // namespace lorvika
