#include "app/ModelKurzoru.h"

#include "app/Sdilene.h"
#include "store/Catalogue.h"

namespace lorvika {

void ModelKurzoru::setKurzor(dbf::Cursor* kurzor) {
    kurzor_ = kurzor;
    obnov();
}

void ModelKurzoru::setSloupce(std::vector<SloupecMrizky> sloupce) {
    beginResetModel();
    sloupce_ = std::move(sloupce);
    cache_.clear();
    endResetModel();
}

void ModelKurzoru::obnov() {
    beginResetModel();
    radky_.clear();
    cache_.clear();
    if (kurzor_) {
        const dbf::Bookmark puvodni = kurzor_->bookmark();
        for (kurzor_->first(); !kurzor_->eof(); kurzor_->next())
            radky_.push_back(kurzor_->bookmark());
        if (puvodni.record != 0 && kurzor_->bookmarkValid(puvodni))
            kurzor_->gotoBookmark(puvodni);
        else
            kurzor_->first();
    }
    endResetModel();
}

int ModelKurzoru::radekAktualniho() const {
    if (!kurzor_ || kurzor_->eof()) return -1;
    const std::uint32_t rec = kurzor_->recordNumber();
    for (std::size_t i = 0; i < radky_.size(); ++i)
        if (radky_[i].record == rec) return static_cast<int>(i);
    return -1;
}

void ModelKurzoru::prejdiNa(int row) {
    if (!kurzor_ || row < 0 || row >= static_cast<int>(radky_.size())) return;
    if (kurzor_->bookmarkValid(radky_[row])) kurzor_->gotoBookmark(radky_[row]);
}

QString ModelKurzoru::zobrazeni(const dbf::Cursor& c, const QString& pole) {
    const std::string jmeno = pole.toStdString();
    if (c.fieldIndex(jmeno) < 0) return {};
    const QString upper = pole.toUpper();
    if (upper == QStringLiteral("DELKA")) return CasText(static_cast<int>(c.integer(jmeno)));
    if (upper == QStringLiteral("PUJ_ANONE"))
        return AnoNeText(QString::fromStdString(c.text(jmeno)));
    if (upper == QStringLiteral("ROK")) return QString::fromStdString(RokText(c.integer(jmeno)));
    if (upper == QStringLiteral("HODNOC"))
        return QString::fromStdString(HodnoceniText(c.integer(jmeno)));
    const auto& def = c.fields()[static_cast<std::size_t>(c.fieldIndex(jmeno))];
    if (def.type == dbf::FieldType::Date) {
        const dbf::Date d = c.date(jmeno);
        return d.isNull() ? QString()
                          : QStringLiteral("%1.%2.%3")
                                .arg(d.day, 2, 10, QChar(u'0'))
                                .arg(d.month, 2, 10, QChar(u'0'))
                                .arg(d.year, 4, 10, QChar(u'0'));
    }
    if (def.type == dbf::FieldType::Float || def.type == dbf::FieldType::Numeric) {
        if (c.isNull(jmeno)) return {};
        const double v = c.number(jmeno);
        return v == static_cast<double>(static_cast<long long>(v))
                   ? QString::number(static_cast<long long>(v))
                   : QString::number(v, 'f', 2);
    }
    return QString::fromStdString(c.text(jmeno)).trimmed();
}

const QStringList& ModelKurzoru::radek(int row) const {
    auto it = cache_.find(row);
    if (it != cache_.end()) return *it;
    QStringList hodnoty;
    if (kurzor_ && kurzor_->bookmarkValid(radky_[row])) {
        const dbf::Bookmark puvodni = kurzor_->bookmark();
        kurzor_->gotoBookmark(radky_[row]);
        for (const SloupecMrizky& s : sloupce_) hodnoty.append(zobrazeni(*kurzor_, s.pole));
        if (puvodni.record != 0 && kurzor_->bookmarkValid(puvodni)) kurzor_->gotoBookmark(puvodni);
    }
    return *cache_.insert(row, hodnoty);
}

int ModelKurzoru::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(radky_.size());
}

int ModelKurzoru::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(sloupce_.size());
}

QVariant ModelKurzoru::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const QStringList& r = radek(index.row());
    return index.column() < r.size() ? QVariant(r[index.column()]) : QVariant();
}

QVariant ModelKurzoru::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Horizontal && section >= 0 && section < static_cast<int>(sloupce_.size()))
        return sloupce_[static_cast<std::size_t>(section)].titulek;
    return {};
}

}  // namespace lorvika
