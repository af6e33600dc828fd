#pragma once

#include <string>
#include <vector>

#include "online/Release.h"

// A chosen release as the values of the album's inputs and its tracks, each text through the
// table check every typed text takes.
namespace lorvika::online {

struct AlbumFill {
    std::string album, artist, rok, vydF, zeme;
    struct Track {
        int position = 0;
        std::string name;
        std::string artist;  // empty when it is the album's
    };
    std::vector<Track> tracks;
    // A text with a character the tables cannot hold is left out whole; this lists them
    // ("\r" before each), empty when everything was taken.
    std::string refused;
};

AlbumFill albumFill(const Release& release);

}  // namespace lorvika::online
