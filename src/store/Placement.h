#pragma once

#include <string>
#include <string_view>

// Saving and restoring window placement in the program INI file. The forms only copy these
// values to and from their widgets.
namespace lorvika {

enum class StavOkna { Normalni, Maximalizovane, Minimalizovane };

struct UmisteniOkna {
    StavOkna stav = StavOkna::Normalni;
    int left = 0;
    int top = 0;
    int width = 0;  // outer size for child windows, client size for the main window
    int height = 0;
};

// What restoring does. The form sets the width with its resize handling suspended and the
// height after resuming it, so keeping proportions runs once, on the height.
struct ObnovaOkna {
    bool ulozeno = false;         // something was saved ("State" not 0)
    bool vycentrovat = false;     // centre on the screen (a child window with nothing saved)
    bool nastavitPozici = false;  // left and top below apply
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximalizovat = false;
};

inline constexpr std::string_view kSekceHlavnihoOkna = "Okno";
inline constexpr int kSirkaHlavnihoOkna = 632;
inline constexpr int kVyskaHlavnihoOkna = 430;

// Minimized: nothing is written. Maximized: only "State" = 1. Normal: "State" = 2 and
// "Left", "Top", "Width", "Height".
void UlozOkno(const std::string& ini, std::string_view sekce, const UmisteniOkna& okno);
ObnovaOkna NactiOkno(const std::string& ini, std::string_view sekce, int vychoziSirka,
                     int vychoziVyska);

// The main window: section "Okno", client size, defaults 632 × 430, never centred.
void UlozHlavniOkno(const std::string& ini, const UmisteniOkna& okno);
ObnovaOkna NactiHlavniOkno(const std::string& ini);

}  // namespace lorvika
