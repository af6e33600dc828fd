#include "store/Placement.h"

#include <algorithm>

#include "store/Ini.h"

namespace lorvika {
namespace {

ObnovaOkna restore(const std::string& ini, std::string_view sekce, int vychoziSirka,
                   int vychoziVyska, bool centreWhenUnsaved) {
    const IniSoubor file(ini);
    ObnovaOkna r;
    r.ulozeno = file.cislo(sekce, "State", 0) != 0;
    if (r.ulozeno) {
        r.nastavitPozici = true;
        // A window maximized by the system earlier may have saved a position just off screen.
        r.left = std::max(0, file.cislo(sekce, "Left", 1));
        r.top = std::max(0, file.cislo(sekce, "Top", 1));
        r.width = file.cislo(sekce, "Width", vychoziSirka);
        r.height = file.cislo(sekce, "Height", vychoziVyska);
        r.maximalizovat = file.cislo(sekce, "State", 2) == 1;
    } else {
        r.vycentrovat = centreWhenUnsaved;
        r.width = vychoziSirka;
        r.height = vychoziVyska;
    }
    return r;
}

}  // namespace

void UlozOkno(const std::string& ini, std::string_view sekce, const UmisteniOkna& okno) {
    if (okno.stav == StavOkna::Minimalizovane) return;
    IniZapis file(ini);
    const bool max = okno.stav == StavOkna::Maximalizovane;
    file.cislo(sekce, "State", max ? 1 : 2);
    if (!max) {
        file.cislo(sekce, "Left", okno.left);
        file.cislo(sekce, "Top", okno.top);
        file.cislo(sekce, "Width", okno.width);
        file.cislo(sekce, "Height", okno.height);
    }
    file.uloz();
}

ObnovaOkna NactiOkno(const std::string& ini, std::string_view sekce, int vychoziSirka,
                     int vychoziVyska) {
    return restore(ini, sekce, vychoziSirka, vychoziVyska, true);
}

void UlozHlavniOkno(const std::string& ini, const UmisteniOkna& okno) {
    UlozOkno(ini, kSekceHlavnihoOkna, okno);
}

ObnovaOkna NactiHlavniOkno(const std::string& ini) {
    return restore(ini, kSekceHlavnihoOkna, kSirkaHlavnihoOkna, kVyskaHlavnihoOkna, false);
}

}  // namespace lorvika
