#include "albums/ModelSkladeb.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>

#include "app/HlidacTextu.h"
#include "app/Sdilene.h"
#include "store/Catalogue.h"

namespace lorvika {

const char* ModelSkladeb::pole(int sloupec) {
    static const char* const jmena[] = {"CISLO", "NAME", "ARTIST", "TYP", "DELKA"};
    return sloupec >= 0 && sloupec < PocetSloupcu ? jmena[sloupec] : "";
}

bool ModelSkladeb::jeDelka(const QString& text) {
    static const QRegularExpression tvar(QStringLiteral("^\\s*\\d{1,6}\\s*[:.,]\\s*\\d{1,2}\\s*$"));
    return text.trimmed().isEmpty() || tvar.match(text).hasMatch();
}

void ModelSkladeb::setTitulek(int sloupec, const QString& titulek) {
    if (sloupec < 0 || sloupec >= PocetSloupcu) return;
    tituly_[sloupec] = titulek;
    emit headerDataChanged(Qt::Horizontal, sloupec, sloupec);
}

void ModelSkladeb::setKurzor(dbf::Cursor* kurzor) {
    kurzor_ = kurzor;
    obnov();
}

void ModelSkladeb::obnov() {
    beginResetModel();
    radky_.clear();
    if (kurzor_) {
        for (kurzor_->first(); !kurzor_->eof(); kurzor_->next())
            radky_.push_back(kurzor_->bookmark());
        kurzor_->first();
    }
    endResetModel();
}

void ModelSkladeb::odeberRadek(int row) {
    if (!kurzor_ || row < 0 || row >= rowCount()) return;
    beginRemoveRows({}, row, row);
    kurzor_->gotoBookmark(radky_[static_cast<std::size_t>(row)]);
    kurzor_->remove();
    radky_.erase(radky_.begin() + row);
    endRemoveRows();
}

void ModelSkladeb::setAktualni(int row) {
    const int predtim = aktualni_;
    aktualni_ = row;
    const int n = rowCount();
    if (predtim >= 0 && predtim < n) emit headerDataChanged(Qt::Vertical, predtim, predtim);
    if (row >= 0 && row < n) emit headerDataChanged(Qt::Vertical, row, row);
}

bool ModelSkladeb::jePrazdny(int row) const {
    if (!kurzor_ || row < 0 || row >= rowCount()) return false;
    kurzor_->gotoBookmark(radky_[static_cast<std::size_t>(row)]);
    return kurzor_->text("NAME").empty() && kurzor_->text("ARTIST").empty() &&
           kurzor_->text("TYP").empty() && kurzor_->integer("DELKA") == 0;
}

int ModelSkladeb::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(radky_.size());
}

int ModelSkladeb::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : PocetSloupcu;
}

QVariant ModelSkladeb::data(const QModelIndex& index, int role) const {
    if (!kurzor_ || !index.isValid() || index.row() >= rowCount()) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    kurzor_->gotoBookmark(radky_[static_cast<std::size_t>(index.row())]);
    const char* p = pole(index.column());
    if (index.column() == Delka) return CasText(static_cast<int>(kurzor_->integer(p)));
    if (index.column() == Pozice)
        return kurzor_->isNull(p) ? QString() : QString::number(kurzor_->integer(p));
    return QString::fromStdString(kurzor_->text(p));
}

bool ModelSkladeb::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!kurzor_ || !index.isValid() || role != Qt::EditRole || index.row() >= rowCount())
        return false;
    const QString text = value.toString();
    if (index.column() == Delka && !jeDelka(text)) {
        emit delkaOdmitnuta(text);
        return false;
    }
    const char* p = pole(index.column());
    kurzor_->gotoBookmark(radky_[static_cast<std::size_t>(index.row())]);
    // A cell editor closed without a change gives back what it was shown: no change of the row.
    if (data(index, Qt::EditRole).toString() == text ||
        (index.column() == Delka && SekundyZTextu(text) == kurzor_->integer(p)))
        return true;
    kurzor_->edit();
    switch (index.column()) {
        case Delka:
            kurzor_->setInteger(p, SekundyZTextu(text));
            break;
        case Pozice: {
            bool ok = false;
            const int cislo = text.trimmed().toInt(&ok);
            if (ok) {
                kurzor_->setInteger(p, cislo);
            } else if (text.trimmed().isEmpty()) {
                kurzor_->clear(p);
            } else {
                kurzor_->cancel();
                return false;
            }
            break;
        }
        default: {
            // What the editors refuse is refused here too (a paste into the model, a script).
            const KontrolaTextu k = ZkontrolujText(text.toStdString());
            if (!k.ok()) {
                kurzor_->cancel();
                return false;
            }
            kurzor_->setText(p, k.text);
        }
    }
    kurzor_->post();
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags ModelSkladeb::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

QVariant ModelSkladeb::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Vertical) return section == aktualni_ ? QStringLiteral("▶") : QString();
    return section >= 0 && section < PocetSloupcu ? tituly_[section] : QVariant();
}

QWidget* VyberTypu::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                 const QModelIndex&) const {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->addItems(seznam);
    combo->lineEdit()->setMaxLength(25);
    if (zpravy) HlidejText(combo, QStringLiteral("Typ"), *zpravy);
    return combo;
}

void VyberTypu::setEditorData(QWidget* editor, const QModelIndex& index) const {
    static_cast<QComboBox*>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
}

void VyberTypu::setModelData(QWidget* editor, QAbstractItemModel* model,
                             const QModelIndex& index) const {
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

}  // namespace lorvika
