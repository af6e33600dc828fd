#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>
#include <vector>

#include "store/Messages.h"
#include "store/dbf/Cursor.h"

// The editable grid of the new album's work table: Pozice, Název, Interpret/popis, Typ and
// Délka (shown and typed as minutes and seconds).
namespace lorvika {

inline constexpr const char* kDelkaNeniCas = "Délka musí být zadána jako minuty a sekundy (mm:ss)";

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
    // A length as the grid takes it: minutes and seconds as two numbers joined by ":", "." or
    // ",", or an empty text (no length).
    static bool jeDelka(const QString& text);
    // The column's title (the edit window calls the performer column "Umělec/popis").
    void setTitulek(int sloupec, const QString& titulek);

  signals:
    // A typed length was refused; the cell keeps its value.
    void delkaOdmitnuta(const QString& text);

  private:
    QStringList tituly_{QStringLiteral("Pozice"), QStringLiteral("Název"),
                        QStringLiteral("Interpret/popis"), QStringLiteral("Typ"),
                        QStringLiteral("Délka")};
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
    // Where refused characters are reported; without it the editor is not guarded.
    Messages* zpravy = nullptr;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};

}  // namespace lorvika
