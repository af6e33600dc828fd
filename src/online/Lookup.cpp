#include "online/Lookup.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <charconv>

#include "disc/DiscIds.h"
#include "store/Ini.h"
#include "store/Verze.h"

namespace lorvika::online {

namespace {

constexpr const char* kSekce = "Internet";
constexpr const char* kMbInc = "inc=artist-credits+recordings+labels&fmt=json";
// Nothing about the user is sent: CDDB wants a user and a host, these name nobody.
constexpr const char* kCddbUser = "anonymous+localhost";
// More matches than this are not read: each read costs a second of the service's limit.
constexpr std::size_t kMaxReads = 5;

std::string version() {
    return std::to_string(verze::kHlavni) + "." + std::to_string(verze::kVedlejsi) + "." +
           std::to_string(verze::kOprava);
}

std::string withoutSlash(std::string s) {
    while (!s.empty() && s.back() == '/') s.pop_back();
    return s;
}

QUrl url(const std::string& text) {
    return QUrl(QString::fromStdString(text), QUrl::StrictMode);
}

std::string serviceKey(const QUrl& u) {
    return u.host().toStdString() + ":" + std::to_string(u.port(-1));
}

std::string networkReason(QNetworkReply::NetworkError e, const QNetworkReply& r,
                          std::chrono::milliseconds timeout) {
    switch (e) {
        case QNetworkReply::ConnectionRefusedError:
            return "server odmítl spojení";
        case QNetworkReply::HostNotFoundError:
            return "server nebyl nalezen";
        case QNetworkReply::OperationCanceledError:  // the transfer timeout aborts this way
        case QNetworkReply::TimeoutError:
            return "server neodpověděl do " + std::to_string((timeout.count() + 999) / 1000) + " s";
        case QNetworkReply::RemoteHostClosedError:
            return "server ukončil spojení";
        case QNetworkReply::SslHandshakeFailedError:
            return "zabezpečené spojení selhalo";
        case QNetworkReply::UnknownNetworkError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::TemporaryNetworkFailureError:
            return "počítač není připojen k internetu";
        default:
            return "chyba sítě (" + r.errorString().toStdString() + ")";
    }
}

}  // namespace

Settings readSettings(const std::string& iniFile) {
    Settings s;
    s.musicBrainz = CtiText(iniFile, kSekce, "MusicBrainz", kMusicBrainzServer);
    s.gnudb = CtiText(iniFile, kSekce, "gnudb", kGnudbServer);
    s.automatic = CtiAnoNe(iniFile, kSekce, "Automaticky", false);
    s.enabled = CtiAnoNe(iniFile, kSekce, "Povoleno", true);
    return s;
}

void writeSettings(const std::string& iniFile, const Settings& s) {
    IniZapis z(iniFile);
    z.text(kSekce, "MusicBrainz", s.musicBrainz);
    z.text(kSekce, "gnudb", s.gnudb);
    z.anoNe(kSekce, "Automaticky", s.automatic);
    z.anoNe(kSekce, "Povoleno", s.enabled);
    z.uloz();
}

std::string userAgent() {
    return std::string(verze::kNazevProduktu) + "/" + version() + " ( " + verze::kWeb + " )";
}

std::string failureText(const std::string& reason) {
    return "Internetová databáze není dostupná: " + reason;
}

Lookup::Lookup(QObject* parent)
    : QObject(parent), net_(new QNetworkAccessManager(this)), wait_(new QTimer(this)) {
    wait_->setSingleShot(true);
}

Lookup::~Lookup() {
    cancel();
}

void Lookup::start(const Toc& toc, const Settings& servers,
                   std::function<void(LookupResult)> done) {
    cancel();
    forAlbum_ = false;
    toc_ = toc;
    servers_ = servers;
    servers_.musicBrainz = withoutSlash(servers_.musicBrainz);
    mbFailure_.clear();
    matches_.clear();
    nextMatch_ = 0;
    found_.clear();
    done_ = std::move(done);
    const auto ids = computeDiscIds(toc);
    if (!ids) {
        // Reported from the event loop like every other end.
        QTimer::singleShot(0, this, [this] { finish({LookupResult::Status::NotFound, {}, {}}); });
        return;
    }
    mbId_ = ids->musicBrainz;
    mbToc_ = ids->mbToc;
    freedbId_ = ids->freedb;
    trackCount_ = ids->lastTrack - ids->firstTrack + 1;
    if (servers_.musicBrainz.empty()) {
        QTimer::singleShot(0, this, [this] { gnudbStart(); });
        return;
    }
    send(Step::MusicBrainz, url(servers_.musicBrainz + "/ws/2/discid/" + mbId_ + "?" + kMbInc));
}

void Lookup::startForAlbum(const std::string& discId, const std::string& artist,
                           const std::string& title, int trackCount, const Settings& servers,
                           std::function<void(LookupResult)> done) {
    cancel();
    servers_ = servers;
    servers_.musicBrainz = withoutSlash(servers_.musicBrainz);
    servers_.gnudb.clear();
    mbFailure_.clear();
    matches_.clear();
    found_.clear();
    searchIds_.clear();
    nextSearch_ = 0;
    done_ = std::move(done);
    forAlbum_ = true;
    artist_ = artist;
    title_ = title;
    mbId_ = discId;
    trackCount_ = trackCount;
    if (servers_.musicBrainz.empty()) {
        QTimer::singleShot(0, this, [this] { finish({}); });
        return;
    }
    if (mbId_.empty()) {
        QTimer::singleShot(0, this, [this] { searchStart(); });
        return;
    }
    send(Step::MusicBrainz, url(servers_.musicBrainz + "/ws/2/discid/" + mbId_ + "?" + kMbInc));
}

void Lookup::searchStart() {
    if (artist_.empty() && title_.empty()) {
        finish({});
        return;
    }
    // Lucene phrases: quotes and backslashes inside are escaped.
    const auto phrase = [](const std::string& s) {
        std::string out = "\"";
        for (char c : s) {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
        return out + "\"";
    };
    std::string query;
    if (!artist_.empty()) query = "artist:" + phrase(artist_);
    if (!title_.empty()) query += (query.empty() ? "" : " AND ") + ("release:" + phrase(title_));
    const QByteArray encoded = QUrl::toPercentEncoding(QString::fromStdString(query));
    send(Step::Search, url(servers_.musicBrainz + "/ws/2/release?query=" + encoded.toStdString() +
                           "&limit=" + std::to_string(kMaxReads) + "&fmt=json"));
}

void Lookup::nextReleaseRead() {
    if (nextSearch_ >= searchIds_.size()) {
        finish({});
        return;
    }
    const std::string& id = searchIds_[nextSearch_++];
    send(Step::ReleaseRead, url(servers_.musicBrainz + "/ws/2/release/" + id + "?" + kMbInc));
}

void Lookup::cancel() {
    wait_->stop();
    wait_->disconnect();
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    reply_ = nullptr;
    done_ = nullptr;
}

void Lookup::send(Step step, const QUrl& u) {
    tries_ = 0;
    fire(step, u);
}

void Lookup::fire(Step step, const QUrl& u) {
    const auto now = std::chrono::steady_clock::now();
    const auto it = lastRequest_.find(serviceKey(u));
    if (it != lastRequest_.end() && now < it->second + timing_.minInterval) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(it->second + timing_.minInterval - now);
        wait_->disconnect();
        connect(wait_, &QTimer::timeout, this, [this, step, u] { fire(step, u); });
        wait_->start(left);
        return;
    }
    lastRequest_[serviceKey(u)] = now;
    QNetworkRequest request(u);
    request.setHeader(QNetworkRequest::UserAgentHeader, QString::fromStdString(userAgent()));
    if (step != Step::GnudbQuery && step != Step::GnudbRead)
        request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(static_cast<int>(timing_.timeout.count()));
    reply_ = net_->get(request);
    QNetworkReply* r = reply_;
    connect(r, &QNetworkReply::finished, this, [this, step, u, r] { received(step, u, r); });
}

void Lookup::received(Step step, const QUrl& u, QNetworkReply* r) {
    r->deleteLater();
    reply_ = nullptr;
    const int status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool mb = step != Step::GnudbQuery && step != Step::GnudbRead;
    if (status == 503) {
        int seconds = 1;
        const QByteArray after = r->rawHeader("Retry-After").trimmed();
        if (!after.isEmpty()) {
            const auto res = std::from_chars(after.data(), after.data() + after.size(), seconds);
            if (res.ec != std::errc() || res.ptr != after.data() + after.size()) seconds = 1;
        }
        const std::chrono::milliseconds delay(std::int64_t(seconds) * 1000);
        if (tries_ < timing_.retries && delay <= timing_.maxRetryAfter) {
            ++tries_;
            // The next request of this service waits for the time the server asked for.
            lastRequest_[serviceKey(u)] =
                std::chrono::steady_clock::now() + delay - timing_.minInterval;
            fire(step, u);
            return;
        }
        fail(mb, std::string(mb ? "MusicBrainz" : "gnudb") + " je přetížený (HTTP 503)");
        return;
    }
    if (mb && status == 404) {
        if (step == Step::MusicBrainz && forAlbum_) {
            searchStart();
        } else if (step == Step::MusicBrainz) {
            send(Step::MusicBrainzToc, url(servers_.musicBrainz + "/ws/2/discid/" + mbId_ +
                                           "?toc=" + mbToc_ + "&" + kMbInc));
        } else {
            gnudbStart();
        }
        return;
    }
    if (status != 0 && (status < 200 || status > 299)) {
        fail(mb, std::string(mb ? "MusicBrainz" : "gnudb") + " odpověděl chybou HTTP " +
                     std::to_string(status));
        return;
    }
    if (r->error() != QNetworkReply::NoError) {
        fail(mb, std::string(mb ? "MusicBrainz" : "gnudb") + ": " +
                     networkReason(r->error(), *r, timing_.timeout));
        return;
    }
    try {
        handle(step, r->readAll().toStdString());
    } catch (const ParseError& e) {
        fail(mb, std::string(mb ? "MusicBrainz" : "gnudb") + ": " + e.what());
    }
}

void Lookup::handle(Step step, const std::string& body) {
    switch (step) {
        case Step::MusicBrainz:
        case Step::MusicBrainzToc: {
            std::vector<Release> releases = parseMusicBrainzDisc(body, mbId_, trackCount_);
            if (!releases.empty()) {
                finish({LookupResult::Status::Found, std::move(releases), {}});
            } else if (forAlbum_) {
                searchStart();
            } else if (step == Step::MusicBrainz) {
                send(Step::MusicBrainzToc, url(servers_.musicBrainz + "/ws/2/discid/" + mbId_ +
                                               "?toc=" + mbToc_ + "&" + kMbInc));
            } else {
                gnudbStart();
            }
            return;
        }
        case Step::GnudbQuery:
            matches_ = parseCddbQuery(body);
            if (matches_.size() > kMaxReads) matches_.resize(kMaxReads);
            nextGnudbRead();
            return;
        case Step::GnudbRead:
            found_.push_back(parseCddbRead(body, matches_[nextMatch_ - 1]));
            nextGnudbRead();
            return;
        case Step::Search:
            searchIds_ = parseMusicBrainzSearch(body);
            if (searchIds_.size() > kMaxReads) searchIds_.resize(kMaxReads);
            nextReleaseRead();
            return;
        case Step::ReleaseRead:
            found_.push_back(parseMusicBrainzRelease(body, mbId_, trackCount_));
            nextReleaseRead();
            return;
    }
}

void Lookup::gnudbStart() {
    if (servers_.gnudb.empty()) {
        finish({});
        return;
    }
    // Every track and the real lead-out, as CDDB counts them.
    std::string cmd = "cddb+query+" + freedbId_ + "+" + std::to_string(toc_.tracks.size());
    for (const TocTrack& t : toc_.tracks) cmd += "+" + std::to_string(t.start);
    cmd += "+" + std::to_string(toc_.leadOut / kFramesPerSecond);
    send(Step::GnudbQuery, url(servers_.gnudb + "?cmd=" + cmd + "&hello=" + kCddbUser +
                               "+Lorvika+" + version() + "&proto=6"));
}

void Lookup::nextGnudbRead() {
    if (nextMatch_ >= matches_.size()) {
        finish({});
        return;
    }
    const CddbMatch& m = matches_[nextMatch_++];
    send(Step::GnudbRead, url(servers_.gnudb + "?cmd=cddb+read+" + m.category + "+" + m.discId +
                              "&hello=" + kCddbUser + "+Lorvika+" + version() + "&proto=6"));
}

void Lookup::fail(bool musicBrainz, const std::string& reason) {
    if (!found_.empty()) {
        // The entries read before a later read failed are still worth offering.
        finish({});
        return;
    }
    if (musicBrainz && mbFailure_.empty()) {
        // gnudb may still know the disc.
        mbFailure_ = reason;
        gnudbStart();
        return;
    }
    LookupResult r;
    r.status = LookupResult::Status::Failed;
    r.reason = mbFailure_.empty() ? reason : mbFailure_ + "; " + reason;
    finish(std::move(r));
}

void Lookup::finish(LookupResult r) {
    // The releases read so far, or the failure of MusicBrainz when gnudb found nothing either.
    if (r.status == LookupResult::Status::NotFound && r.releases.empty()) {
        if (!found_.empty()) {
            r.status = LookupResult::Status::Found;
            r.releases = std::move(found_);
        } else if (!mbFailure_.empty()) {
            r.status = LookupResult::Status::Failed;
            r.reason = mbFailure_;
        }
    }
    found_.clear();
    auto done = std::move(done_);
    done_ = nullptr;
    if (done) done(std::move(r));
}

LookupResult Lookup::run(const Toc& toc, const Settings& servers, const Timing& timing) {
    Lookup lookup;
    lookup.setTiming(timing);
    LookupResult result;
    QEventLoop loop;
    lookup.start(toc, servers, [&](LookupResult r) {
        result = std::move(r);
        loop.quit();
    });
    if (lookup.running()) loop.exec();
    return result;
}

}  // namespace lorvika::online
