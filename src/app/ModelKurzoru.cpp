#include "app/ModelKurzoru.h"

#include <iterator>

#include "app/Sdilene.h"
#include "store/Catalogue.h"

namespace lorvika {

namespace {

// A known position every so many rows passed while stepping, so that a later jump into the
// middle of a large table starts near its goal.
constexpr int kKrokKotev = 256;
// Display texts kept for the rows recently shown.
constexpr int kMaxRadkuVCache = 4096;

// Puts the cursor back where it was when the model is done reading.
class Navrat {
  public:
    explicit Navrat(dbf::Cursor& c) : c_(c), b_(c.bookmark()), mel_(c.recordNumber() != 0) {}
    ~Navrat() {
        if (mel_ && c_.bookmarkValid(b_))
            c_.gotoBookmark(b_);
        else
            c_.first();
    }
    Navrat(const Navrat&) = delete;
    Navrat& operator=(const Navrat&) = delete;

  private:
    dbf::Cursor& c_;
    dbf::Bookmark b_;
    bool mel_;
};

}  // namespace

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

void ModelKurzoru::zapomen() const {
    kotvy_.clear();
    radkyZaznamu_.clear();
    cache_.clear();
}

void ModelKurzoru::zapamatuj(int row, const dbf::Bookmark& b) const {
    if (b.record == 0) return;
    kotvy_.insert_or_assign(row, b);
    radkyZaznamu_[b.record] = row;
}

void ModelKurzoru::obnov() {
    beginResetModel();
    zapomen();
    pocet_ = 0;
    if (kurzor_) {
        pocet_ = static_cast<int>(kurzor_->recordCount());
        if (pocet_ > 0) {
            Navrat navrat(*kurzor_);
            kurzor_->first();
            zapamatuj(0, kurzor_->bookmark());
            kurzor_->last();
            zapamatuj(pocet_ - 1, kurzor_->bookmark());
        }
    }
    endResetModel();
}

int ModelKurzoru::znamyRadek(std::uint32_t zaznam) const {
    const auto z = radkyZaznamu_.find(zaznam);
    if (z == radkyZaznamu_.end()) return -1;
    const auto k = kotvy_.find(z->second);
    return k != kotvy_.end() && k->second.record == zaznam ? k->first : -1;
}

bool ModelKurzoru::najedNa(int row) const {
    if (!kurzor_ || row < 0 || row >= pocet_) return false;
    if (kotvy_.empty()) {
        kurzor_->first();
        if (kurzor_->eof()) return false;
        zapamatuj(0, kurzor_->bookmark());
    }
    auto po = kotvy_.lower_bound(row);
    auto it = po;
    if (po == kotvy_.end()) {
        it = std::prev(po);
    } else if (po->first != row && po != kotvy_.begin()) {
        auto pred = std::prev(po);
        if (row - pred->first < po->first - row) it = pred;
    }
    int r = it->first;
    if (!kurzor_->bookmarkValid(it->second)) {
        zapomen();
        return false;
    }
    kurzor_->gotoBookmark(it->second);
    while (r < row) {
        kurzor_->next();
        if (kurzor_->eof()) return false;
        if (++r % kKrokKotev == 0) zapamatuj(r, kurzor_->bookmark());
    }
    while (r > row) {
        kurzor_->prior();
        if (kurzor_->bof()) return false;
        if (--r % kKrokKotev == 0) zapamatuj(r, kurzor_->bookmark());
    }
    zapamatuj(row, kurzor_->bookmark());
    return true;
}

int ModelKurzoru::radekAktualniho() const {
    if (!kurzor_ || pocet_ == 0 || kurzor_->recordNumber() == 0) return -1;
    if (const int r = znamyRadek(kurzor_->recordNumber()); r >= 0) return r;
    // Counts back to a known row (or to the first one), remembering positions on the way.
    Navrat navrat(*kurzor_);
    std::vector<dbf::Bookmark> cesta{kurzor_->bookmark()};
    int radek = -1;
    for (;;) {
        kurzor_->prior();
        if (kurzor_->bof()) {
            radek = 0;
            break;
        }
        if (const int z = znamyRadek(kurzor_->recordNumber()); z >= 0) {
            radek = z + 1;
            break;
        }
        cesta.push_back(kurzor_->bookmark());
    }
    const int vysledek = radek + static_cast<int>(cesta.size()) - 1;
    if (vysledek >= pocet_) return -1;
    for (std::size_t i = 0; i < cesta.size(); ++i) {
        const int r = vysledek - static_cast<int>(i);
        if (i == 0 || r % kKrokKotev == 0) zapamatuj(r, cesta[i]);
    }
    return vysledek;
}

void ModelKurzoru::prejdiNa(int row) {
    if (!kurzor_ || row < 0 || row >= pocet_) return;
    dbf::Bookmark cil;
    {
        Navrat navrat(*kurzor_);
        if (!najedNa(row)) return;
        cil = kurzor_->bookmark();
    }
    kurzor_->gotoBookmark(cil);
}

void ModelKurzoru::obnovRadek(int row) {
    if (row < 0 || row >= pocet_) return;
    cache_.remove(row);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
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
    if (cache_.size() >= kMaxRadkuVCache) cache_.clear();
    QStringList hodnoty;
    if (kurzor_) {
        Navrat navrat(*kurzor_);
        if (najedNa(row))
            for (const SloupecMrizky& s : sloupce_) hodnoty.append(zobrazeni(*kurzor_, s.pole));
    }
    return *cache_.insert(row, hodnoty);
}

int ModelKurzoru::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : pocet_;
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
