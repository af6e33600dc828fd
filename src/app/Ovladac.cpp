#include "app/Nastaveni.h"
#include "store/LangDriver.h"

namespace lorvika::nastaveni {

void NastavOvladac(const SessionPaths& cesty) {
    lorvika::NastavOvladac(cesty.iniFile, cesty.engineConfig);
}

void VratOvladac(const SessionPaths& cesty) {
    lorvika::VratOvladac(cesty.iniFile, cesty.engineConfig);
}

}  // namespace lorvika::nastaveni
