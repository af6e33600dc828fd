#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QStyledItemDelegate>
#include <QValidator>

#include "store/Messages.h"

// Inputs of text for the catalogue's tables. Every form that lets the user type album or track
// text guards its inputs with HlidejText: typographic characters become their plain forms as
// they are typed („ “ → ", – → -, … → ...), and a character the tables cannot hold is refused
// at once with a Czech message naming it. The rule itself is ZkontrolujText (store/Catalogue.h).
namespace lorvika {

class HlidacTextu : public QValidator {
    Q_OBJECT
  public:
    // pole names the input in the message ("Album"); it may be empty.
    explicit HlidacTextu(QString pole, QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;
    // The message of the last refused text; empty after an accepted one.
    const QString& chyba() const { return chyba_; }

  private:
    QString pole_;
    mutable QString chyba_;
};

// Installs HlidacTextu on the input. After a refused keystroke or paste (the input keeps its
// previous text) the message is shown through zpravy, once the input has finished its edit.
// zpravy must outlive the input.
HlidacTextu* HlidejText(QLineEdit* vstup, const QString& pole, Messages& zpravy);
HlidacTextu* HlidejText(QComboBox* vstup, const QString& pole, Messages& zpravy);

// A grid delegate whose line-edit editors are guarded; pole is the column's header text.
class HlidanyDelegat : public QStyledItemDelegate {
    Q_OBJECT
  public:
    HlidanyDelegat(Messages& zpravy, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), zpravy_(zpravy) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  private:
    Messages& zpravy_;
};

}  // namespace lorvika
