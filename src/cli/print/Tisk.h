#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "store/dbf/Cursor.h"
#include "store/dbf/Engine.h"

// lorvika-db print: a printed list as a PDF through the same renderer as the windows.
namespace lorvika::cli {

struct TiskArgs {
    std::string adresar;
    int typ = 0;
    std::string pdf;
    std::string tag = "artist";
    bool velka = false;
    bool alesponJedne = false;          // a track condition holds for at least one track
    std::vector<std::string> podminky;  // search conditions, as lorvika-db search takes them
};

// Which albums the list takes; an empty function takes every album.
using VyberAlb = std::function<bool(const dbf::Cursor& album)>;

// Turns the search conditions (and --alespon-jedne) into the albums that pass, as the search
// window filters. Returns false with a message in chyba for conditions it cannot take (bad
// usage). Without conditions vyber stays empty: every album.
bool vyberZPodminek(const TiskArgs& args, dbf::Engine& engine, VyberAlb& vyber, std::string& chyba);

// Writes the list of the albums that pass vyber, in the order of the tag. Exit codes as the
// other commands: 0 written, 1 nothing to print or a failure (no file), 2 bad usage.
int tiskni(const TiskArgs& args, const VyberAlb& vyber, std::ostream& out, std::ostream& err);

int runPrint(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace lorvika::cli
