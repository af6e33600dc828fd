#pragma once

#include <QSize>
#include <string>

#include "store/DatabaseSession.h"

class QMainWindow;
class QWidget;
class QMdiSubWindow;

// The program INI file and window placement as the windows of the program use them.
namespace lorvika {
class Proporce;
}

namespace lorvika::nastaveni {

bool ctiAnoNe(const std::string& ini, const char* sekce, const char* klic, bool vychozi);
void zapisAnoNe(const std::string& ini, const char* sekce, const char* klic, bool hodnota);
std::string ctiText(const std::string& ini, const char* sekce, const char* klic,
                    const std::string& vychozi);
void zapisText(const std::string& ini, const char* sekce, const char* klic,
               const std::string& hodnota);
int ctiCislo(const std::string& ini, const char* sekce, const char* klic, int vychozi);
void zapisCislo(const std::string& ini, const char* sekce, const char* klic, int hodnota);

// Main window in section "Okno", client-area size; the proportions are detached while the
// width is set and attached again before the height, so they run once.
void NactiHlavniOkno(QMainWindow& okno, const std::string& ini, Proporce& proporce);
void UlozHlavniOkno(QMainWindow& okno, const std::string& ini);
// A child window in the section of its form name, outer size.
void NactiOkno(QMdiSubWindow& okno, const std::string& ini, const std::string& sekce, QSize vychozi,
               Proporce* proporce);
void UlozOkno(QMdiSubWindow& okno, const std::string& ini, const std::string& sekce);

// Border icons of a child window: none in maximize mode, otherwise system menu, minimize and
// maximize.
void nastavRamecek(QMdiSubWindow* okno, bool maximalizovat);

// Engine language driver and table level at start and at program end.
void NastavOvladac(const SessionPaths& cesty);
void VratOvladac(const SessionPaths& cesty);

}  // namespace lorvika::nastaveni
