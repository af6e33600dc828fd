#include "export/ZipArchiv.h"

#include <utility>

#include "export/Zaloha.h"

namespace lorvika {

ZipArchiv::ZipArchiv(StatusLine& status, std::function<void()> zavriTabulky,
                     std::function<void()> otevriTabulky)
    : status_(status), zavri_(std::move(zavriTabulky)), otevri_(std::move(otevriTabulky)) {}

bool ZipArchiv::zalohuj(const std::string& directory) {
    return proved(true, directory);
}

bool ZipArchiv::rozbal(const std::string& directory) {
    return proved(false, directory);
}

bool ZipArchiv::uschovej(const std::string& directory, const std::string& archiveName) {
    status_.stavovyText("uschovávám původní tabulky do " + archiveName + "..");
    bool made = false;
    try {
        made = Uschovej(directory, archiveName);
    } catch (...) {
        status_.stavovyText("");
        throw;
    }
    status_.stavovyText("");
    return made;
}

bool ZipArchiv::proved(bool zaloha, const std::string& directory) {
    std::string text;
    ZalohaRizeni r;
    r.zavriTabulky = zavri_;
    r.otevriTabulky = otevri_;
    r.merakZacni = [&](const std::string& t) {
        text = t;
        status_.ukazatel(text, 0);
    };
    r.postup = [&](const ZipProgress&, int procenta) { status_.ukazatel(text, procenta); };
    r.merakKonec = [&] { status_.ukazatelKonec(); };
    const VysledekZalohy v = zaloha ? Zalohuj(directory, r) : Rozbal(directory, r);
    chyba_ = v.chyba;
    return v.ok;
}

}  // namespace lorvika
