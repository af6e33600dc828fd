#include "online/Release.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <sstream>

namespace lorvika::online {

namespace {

std::string str(const QJsonValue& v) {
    return v.toString().toStdString();
}

std::string joinedCredit(const QJsonValue& credits) {
    std::string out;
    for (const QJsonValue& c : credits.toArray()) {
        const QJsonObject o = c.toObject();
        // The credited name, which may differ from the artist's own.
        out += o.contains("name") ? str(o["name"]) : str(o["artist"].toObject()["name"]);
        out += str(o["joinphrase"]);
    }
    return out;
}

bool carriesDisc(const QJsonObject& medium, const std::string& discId) {
    for (const QJsonValue& d : medium["discs"].toArray())
        if (str(d.toObject()["id"]) == discId) return true;
    return false;
}

QJsonObject chosenMedium(const QJsonArray& media, const std::string& discId, int trackCount) {
    for (const QJsonValue& m : media)
        if (carriesDisc(m.toObject(), discId)) return m.toObject();
    for (const QJsonValue& m : media) {
        const QJsonObject o = m.toObject();
        const int count = o.contains("track-count")
                              ? o["track-count"].toInt()
                              : static_cast<int>(o["tracks"].toArray().size());
        if (count == trackCount) return o;
    }
    return media.isEmpty() ? QJsonObject() : media.first().toObject();
}

Release releaseOf(const QJsonObject& r, const std::string& discId, int trackCount) {
    Release rel;
    rel.id = str(r["id"]);
    rel.source = "MusicBrainz";
    rel.coverArtId = rel.id;
    rel.title = str(r["title"]);
    rel.artist = joinedCredit(r["artist-credit"]);
    rel.date = str(r["date"]);
    rel.country = str(r["country"]);
    rel.barcode = str(r["barcode"]);
    for (const QJsonValue& li : r["label-info"].toArray()) {
        const QJsonObject o = li.toObject();
        if (rel.catalogNumber.empty()) rel.catalogNumber = str(o["catalog-number"]);
        const std::string name = str(o["label"].toObject()["name"]);
        if (rel.label.empty() && !name.empty()) rel.label = name;
    }
    const QJsonArray media = r["media"].toArray();
    rel.mediumCount = std::max<int>(1, static_cast<int>(media.size()));
    const QJsonObject medium = chosenMedium(media, discId, trackCount);
    rel.mediumPosition = medium["position"].toInt(1);
    int n = 0;
    for (const QJsonValue& t : medium["tracks"].toArray()) {
        const QJsonObject o = t.toObject();
        ReleaseTrack track;
        track.position = o["position"].toInt(++n);
        // The track's own title; the recording's when the track has none.
        track.title =
            o.contains("title") ? str(o["title"]) : str(o["recording"].toObject()["title"]);
        track.artist = o.contains("artist-credit")
                           ? joinedCredit(o["artist-credit"])
                           : joinedCredit(o["recording"].toObject()["artist-credit"]);
        if (track.artist.empty()) track.artist = rel.artist;
        rel.tracks.push_back(std::move(track));
    }
    return rel;
}

// CDDB lines end in CRLF or LF.
std::vector<std::string> lines(const std::string& reply) {
    std::vector<std::string> out;
    std::istringstream in(reply);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(std::move(line));
    }
    return out;
}

int code(const std::string& line) {
    int c = 0;
    const auto r =
        std::from_chars(line.data(), line.data() + std::min<std::size_t>(3, line.size()), c);
    if (r.ec != std::errc() || r.ptr != line.data() + 3)
        throw ParseError("neplatná odpověď serveru");
    return c;
}

// "artist / title"; without the separator the whole text is the title.
std::pair<std::string, std::string> splitTitle(const std::string& text) {
    const auto at = text.find(" / ");
    if (at == std::string::npos) return {"", text};
    return {text.substr(0, at), text.substr(at + 3)};
}

}  // namespace

int Release::year() const {
    int y = 0;
    const auto r =
        std::from_chars(date.data(), date.data() + std::min<std::size_t>(4, date.size()), y);
    return r.ec == std::errc() && r.ptr == date.data() + 4 ? y : 0;
}

std::string countryName(const std::string& code) {
    static const std::pair<const char*, const char*> names[] = {
        {"CZ", "ČR"}, {"DE", "SRN"}, {"FR", "FRANCIE"}, {"IT", "ITÁLIE"}, {"SE", "ŠVÉDSKO"},
    };
    for (const auto& [c, name] : names)
        if (code == c) return name;
    return code;
}

std::vector<Release> parseMusicBrainzDisc(const std::string& json, const std::string& discId,
                                          int trackCount) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw ParseError("neplatná odpověď serveru");
    std::vector<Release> out;
    for (const QJsonValue& r : doc.object()["releases"].toArray())
        out.push_back(releaseOf(r.toObject(), discId, trackCount));
    return out;
}

namespace {

QJsonObject jsonObject(const std::string& json) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw ParseError("neplatná odpověď serveru");
    return doc.object();
}

}  // namespace

std::vector<std::string> parseMusicBrainzSearch(const std::string& json) {
    std::vector<std::string> ids;
    for (const QJsonValue& r : jsonObject(json)["releases"].toArray()) {
        const std::string id = str(r.toObject()["id"]);
        if (!id.empty()) ids.push_back(id);
    }
    return ids;
}

Release parseMusicBrainzRelease(const std::string& json, const std::string& discId,
                                int trackCount) {
    const QJsonObject o = jsonObject(json);
    if (str(o["id"]).empty()) throw ParseError("neplatná odpověď serveru");
    return releaseOf(o, discId, trackCount);
}

std::vector<CddbMatch> parseCddbQuery(const std::string& reply) {
    const std::vector<std::string> ls = lines(reply);
    if (ls.empty()) throw ParseError("neplatná odpověď serveru");
    const int c = code(ls[0]);
    const auto match = [](const std::string& line) {
        std::istringstream in(line);
        CddbMatch m;
        in >> m.category >> m.discId;
        std::getline(in >> std::ws, m.title);
        if (m.category.empty() || m.discId.empty()) throw ParseError("neplatná odpověď serveru");
        return m;
    };
    if (c == 202) return {};
    if (c == 200) return {match(ls[0].substr(4))};
    if (c == 210 || c == 211) {
        std::vector<CddbMatch> out;
        for (std::size_t i = 1; i < ls.size() && ls[i] != "."; ++i) out.push_back(match(ls[i]));
        return out;
    }
    throw ParseError("server odpověděl " + ls[0]);
}

Release parseCddbRead(const std::string& reply, const CddbMatch& match) {
    const std::vector<std::string> ls = lines(reply);
    if (ls.empty() || code(ls[0]) != 210)
        throw ParseError(ls.empty() ? "prázdná odpověď serveru" : "server odpověděl " + ls[0]);
    std::string dtitle, dyear;
    std::vector<std::string> titles;
    for (std::size_t i = 1; i < ls.size() && ls[i] != "."; ++i) {
        const std::string& l = ls[i];
        if (l.empty() || l[0] == '#') continue;
        const auto eq = l.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = l.substr(0, eq), value = l.substr(eq + 1);
        if (key == "DTITLE")
            dtitle += value;
        else if (key == "DYEAR")
            dyear += value;
        else if (key.rfind("TTITLE", 0) == 0) {
            std::size_t n = 0;
            const auto r = std::from_chars(key.data() + 6, key.data() + key.size(), n);
            if (r.ec != std::errc() || r.ptr != key.data() + key.size() || n > 98) continue;
            if (titles.size() <= n) titles.resize(n + 1);
            titles[n] += value;
        }
    }
    Release rel;
    rel.id = "gnudb:" + match.category + "/" + match.discId;
    rel.source = "gnudb";
    auto [artist, title] = splitTitle(dtitle);
    rel.artist = artist;
    rel.title = title;
    rel.date = dyear;
    for (std::size_t n = 0; n < titles.size(); ++n) {
        auto [a, t] = splitTitle(titles[n]);
        rel.tracks.push_back({static_cast<int>(n + 1), t, a.empty() ? rel.artist : a});
    }
    return rel;
}

}  // namespace lorvika::online
