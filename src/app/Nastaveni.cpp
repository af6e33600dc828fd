#include "app/Nastaveni.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <algorithm>

#include "app/Proporce.h"
#include "store/Ini.h"
#include "store/Placement.h"

namespace lorvika::nastaveni {

bool ctiAnoNe(const std::string& ini, const char* sekce, const char* klic, bool vychozi) {
    return CtiAnoNe(ini, sekce, klic, vychozi);
}
void zapisAnoNe(const std::string& ini, const char* sekce, const char* klic, bool hodnota) {
    ZapisAnoNe(ini, sekce, klic, hodnota);
}
std::string ctiText(const std::string& ini, const char* sekce, const char* klic,
                    const std::string& vychozi) {
    return CtiText(ini, sekce, klic, vychozi);
}
void zapisText(const std::string& ini, const char* sekce, const char* klic,
               const std::string& hodnota) {
    ZapisText(ini, sekce, klic, hodnota);
}
int ctiCislo(const std::string& ini, const char* sekce, const char* klic, int vychozi) {
    return CtiCislo(ini, sekce, klic, vychozi);
}
void zapisCislo(const std::string& ini, const char* sekce, const char* klic, int hodnota) {
    ZapisCislo(ini, sekce, klic, hodnota);
}

namespace {

StavOkna stavOf(const QWidget& w) {
    if (w.isMinimized()) return StavOkna::Minimalizovane;
    return w.isMaximized() ? StavOkna::Maximalizovane : StavOkna::Normalni;
}

}  // namespace

void NactiHlavniOkno(QMainWindow& okno, const std::string& ini, Proporce& proporce) {
    const ObnovaOkna o = lorvika::NactiHlavniOkno(ini);
    const bool zapnuto = proporce.zapnuto();
    proporce.setZapnuto(false);
    if (o.nastavitPozici) okno.move(o.left, o.top);
    okno.resize(std::max(okno.minimumWidth(), o.width), okno.height());
    proporce.setZapnuto(zapnuto);
    okno.resize(okno.width(), std::max(okno.minimumHeight(), o.height));
    if (o.maximalizovat)
        okno.setWindowState(okno.windowState() | Qt::WindowMaximized);
    else if (o.ulozeno)
        okno.setWindowState(okno.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
}

void UlozHlavniOkno(QMainWindow& okno, const std::string& ini) {
    const QRect normalni = okno.isMaximized() ? okno.normalGeometry() : okno.geometry();
    lorvika::UlozHlavniOkno(
        ini, {stavOf(okno), okno.x(), okno.y(), normalni.width(), normalni.height()});
}

void NactiOkno(QMdiSubWindow& okno, const std::string& ini, const std::string& sekce, QSize vychozi,
               Proporce* proporce) {
    const ObnovaOkna o = lorvika::NactiOkno(ini, sekce, vychozi.width(), vychozi.height());
    const bool zapnuto = proporce && proporce->zapnuto();
    if (proporce) proporce->setZapnuto(false);
    if (o.ulozeno && okno.isMaximized()) okno.showNormal();
    if (o.nastavitPozici) okno.move(o.left, o.top);
    okno.resize(o.width, okno.height());
    if (proporce) proporce->setZapnuto(zapnuto);
    okno.resize(okno.width(), o.height);
    if (o.vycentrovat) {
        if (QMdiArea* area = okno.mdiArea()) {
            const QSize plocha = area->viewport()->size();
            okno.move(std::max(0, (plocha.width() - okno.width()) / 2),
                      std::max(0, (plocha.height() - okno.height()) / 2));
        }
    }
    if (o.maximalizovat) okno.showMaximized();
}

void UlozOkno(QMdiSubWindow& okno, const std::string& ini, const std::string& sekce) {
    lorvika::UlozOkno(ini, sekce, {stavOf(okno), okno.x(), okno.y(), okno.width(), okno.height()});
}

void nastavRamecek(QMdiSubWindow* okno, bool maximalizovat) {
    if (!okno) return;
    Qt::WindowFlags f = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (!maximalizovat)
        f |= Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    const bool videt = okno->isVisible();
    okno->setWindowFlags(f);
    if (videt) okno->show();
}

}  // namespace lorvika::nastaveni
