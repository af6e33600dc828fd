#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// The six selection lists of the program INI file and what may be done to them, without widgets.
namespace lorvika {

struct SeznamVyberu {
    QString zalozka;  // tab caption
    std::string sekce;
    int delka;  // longest entry in characters
    QStringList implicitni;
};

// In the order of the editor's tabs.
const std::vector<SeznamVyberu>& SeznamyVyberu();

// The stored entries of a list: keys "1" .. "50" in order, empty values left out, duplicates
// kept as they stand.
inline constexpr int kPocetPolozek = 50;
QStringList NactiVyber(const std::string& ini, const std::string& sekce);
// Writes every list with all 50 keys (empty values past its end; entries past the 50th are not
// stored) in one replacement of the file.
void UlozVyber(const std::string& ini,
               const std::vector<std::pair<std::string, QStringList>>& seznamy);

// Whether the list holds the text without regard to letter case (Czech letters too).
bool ObsahujePolozku(const QStringList& seznam, const QString& text);
// The refusal of a text for add or overwrite, empty when it is accepted.
std::string KontrolaPolozky(const QStringList& seznam, const QString& text);
// Appends each default the list does not hold (without regard to case), in their order.
void PridejImplicitni(QStringList& seznam, const QStringList& implicitni);

}  // namespace lorvika
