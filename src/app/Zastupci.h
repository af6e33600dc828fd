#pragma once

#include <QString>
#include <QStringList>

// Entries in the user's applications menu under a submenu "Lorvika" (freedesktop menus).
namespace lorvika {

struct Zastupce {
    QString jmeno;     // "Lorvika", "Popis", "Sonorek", "Sonorek-nastavení"
    QString cesta;     // the file the entry starts or opens
    QString pracovni;  // working directory: one level above the program directory
};

// The entries that apply: the program always, the others only when their file exists.
QList<Zastupce> seznamZastupcu(const QString& programDir, const QString& program);
// Writes the .desktop files, the submenu's .directory file and its menu file; returns the
// files written. A file that cannot be written raises std::runtime_error naming it.
QStringList vytvorZastupce(const QString& programDir, const QString& program);

}  // namespace lorvika
