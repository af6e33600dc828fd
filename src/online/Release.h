#pragma once

#include <stdexcept>
#include <string>
#include <vector>

// A release as the online disc databases describe it, reduced to what the album tables hold.
namespace lorvika::online {

struct ReleaseTrack {
    int position = 0;
    std::string title;
    std::string artist;  // the track's artist credit, joined
};

struct Release {
    std::string id;      // MusicBrainz release ID, or "gnudb:<category>/<discid>"
    std::string source;  // "MusicBrainz" or "gnudb"
    std::string title;
    std::string artist;   // artist credits joined with their join phrases
    std::string date;     // as given: "1995", "1995-03", "1995-03-20"
    std::string country;  // two-letter code
    std::string label;    // the first label
    std::string catalogNumber;
    std::string barcode;
    std::string coverArtId;  // the release ID for the Cover Art Archive; empty for gnudb
    int mediumCount = 1;
    int mediumPosition = 1;  // the medium the tracks come from
    std::vector<ReleaseTrack> tracks;

    // The year of the date; 0 when it has none.
    int year() const;
};

// Country as the country list writes it ("ČR" for CZ); codes the list lacks stay codes.
std::string countryName(const std::string& code);

// An answer that is not what the service documents (malformed JSON, a CDDB reply out of order).
class ParseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// MusicBrainz web service 2, JSON: the answer to a disc ID lookup (exact, or the toc= fuzzy
// form). For a release of several media the tracks are those of the medium carrying discId,
// else of the first medium with trackCount tracks, else of the first medium.
std::vector<Release> parseMusicBrainzDisc(const std::string& json, const std::string& discId,
                                          int trackCount);

// A release search (/ws/2/release?query=…): the IDs of the releases found, best first.
std::vector<std::string> parseMusicBrainzSearch(const std::string& json);
// One release (/ws/2/release/{id}?inc=…), its medium chosen as for a disc lookup.
Release parseMusicBrainzRelease(const std::string& json, const std::string& discId, int trackCount);

// CDDB "cddb query": the matches' category and disc ID; empty for "202 No match".
struct CddbMatch {
    std::string category;
    std::string discId;
    std::string title;
};
std::vector<CddbMatch> parseCddbQuery(const std::string& reply);
// CDDB "cddb read" (code 210 and an xmcd entry): DTITLE "artist / album", DYEAR, TTITLEn
// ("artist / title" on compilations); values split over several lines are joined.
Release parseCddbRead(const std::string& reply, const CddbMatch& match);

}  // namespace lorvika::online
