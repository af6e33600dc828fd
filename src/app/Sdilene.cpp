#include "app/Sdilene.h"

#include "store/CasText.h"
#include "store/Catalogue.h"

#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <string>
#include <utility>

namespace lorvika {

namespace {

QString dvemist(long long n) {
    return n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
}

}  // namespace

QString CasText(int seconds) {
    return QString::fromStdString(cas::text(seconds));
}

int SekundyZTextu(const QString& text) {
    static const QRegularExpression oddelovace(QStringLiteral("[,.:]"));
    const QStringList slova = text.split(oddelovace, Qt::SkipEmptyParts);
    if (slova.size() < 2) return 0;
    bool ok = false;
    long long m = slova[0].trimmed().toInt(&ok);
    if (!ok) m = 0;
    long long s = slova[1].trimmed().toInt(&ok);
    if (!ok) s = 0;
    const long long total = 60 * m + s;
    return static_cast<int>(std::clamp<long long>(total, INT_MIN, INT_MAX));
}

QString CasTextDny(long long seconds) {
    return QString::fromStdString(cas::textDny(seconds));
}

QString MinSekText(int minutes, int seconds) {
    return dvemist(std::max(0, minutes)) + u':' + dvemist(std::max(0, seconds));
}

QStringList HodnoceniPolozky() {
    QStringList polozky;
    for (const std::string& slovo : HodnoceniSlova()) polozky << QString::fromStdString(slovo);
    return polozky;
}

void SeradSeznam(QStringList& items, const QCollator& collator) {
    const qsizetype n = items.size();
    if (n < 2) return;
    QStringList male;
    male.reserve(n);
    for (const QString& s : std::as_const(items)) male.append(s.toLower());
    for (qsizetype gap = n / 2; gap > 0; gap /= 2) {
        for (qsizetype i = gap; i < n; ++i) {
            for (qsizetype c = i - gap; c >= 0 && !(collator.compare(male[c], male[c + gap]) < 0);
                 c -= gap) {
                items.swapItemsAt(c, c + gap);
                male.swapItemsAt(c, c + gap);
            }
        }
    }
}

QList<int> SirkySloupcu(const QList<int>& weights, int gridWidth, int margin) {
    long long total = 0;
    for (int w : weights) total += w;
    QList<int> out;
    out.reserve(weights.size());
    for (int w : weights) {
        out.append(total > 0 ? static_cast<int>(static_cast<double>(w) /
                                                static_cast<double>(total) * (gridWidth - margin))
                             : 0);
    }
    return out;
}

QString AnoNeText(const QString& value) {
    return value.compare(QStringLiteral("A"), Qt::CaseInsensitive) == 0 ? QStringLiteral("ANO")
                                                                        : QStringLiteral("NE");
}

QString kratkaNapoveda(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

QString dlouhaNapoveda(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

}  // namespace lorvika
