#include "online/AlbumFill.h"

#include "store/Catalogue.h"

namespace lorvika::online {

AlbumFill albumFill(const Release& r) {
    AlbumFill f;
    const auto take = [&f](const std::string& text, const std::string& where) {
        KontrolaTextu k = ZkontrolujText(text);
        if (k.ok()) return std::move(k.text);
        f.refused += "\r" + where + ": znak „" + k.znak + "“";
        return std::string();
    };
    f.album = take(r.title, "album");
    f.artist = take(r.artist, "interpret");
    if (r.year()) f.rok = std::to_string(r.year());
    f.vydF = take(r.label, "firma");
    f.zeme = take(countryName(r.country), "původ");
    for (const ReleaseTrack& t : r.tracks) {
        const std::string where = "skladba " + std::to_string(t.position);
        f.tracks.push_back(
            {t.position, take(t.title, "název, " + where),
             t.artist == r.artist ? std::string() : take(t.artist, "umělec, " + where)});
    }
    return f;
}

}  // namespace lorvika::online
