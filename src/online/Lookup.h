#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "disc/Toc.h"
#include "online/Release.h"

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

// Asks MusicBrainz for a disc, then gnudb when MusicBrainz knows nothing of it; asynchronous on
// the thread's event loop and cancellable.
namespace lorvika::online {

inline constexpr const char* kMusicBrainzServer = "https://musicbrainz.org";
inline constexpr const char* kGnudbServer = "https://gnudb.gnudb.org/~cddb/cddb.cgi";

// The "Internet" section of the program INI.
struct Settings {
    std::string musicBrainz = kMusicBrainzServer;
    std::string gnudb = kGnudbServer;
    bool automatic = false;
    bool enabled = true;
};
Settings readSettings(const std::string& iniFile);
void writeSettings(const std::string& iniFile, const Settings& s);

struct LookupResult {
    enum class Status { Found, NotFound, Failed, Cancelled };
    Status status = Status::NotFound;
    std::vector<Release> releases;
    std::string reason;  // Czech, for Failed
};

// The User-Agent every request carries: program, version and the maker's web address.
std::string userAgent();

class Lookup : public QObject {
    Q_OBJECT
  public:
    // The published limits of both services; tests shorten them.
    struct Timing {
        std::chrono::milliseconds minInterval{1000};  // between two requests to one service
        std::chrono::milliseconds timeout{15000};     // without a byte transferred
        std::chrono::milliseconds maxRetryAfter{30000};
        int retries = 2;  // after a 503
    };

    explicit Lookup(QObject* parent = nullptr);
    ~Lookup() override;

    void setTiming(const Timing& t) { timing_ = t; }
    // Looks the disc up; done is called once, from the event loop, unless the lookup is
    // cancelled first. An empty server skips that service. A lookup in progress is cancelled.
    void start(const Toc& toc, const Settings& servers, std::function<void(LookupResult)> done);
    // For an album already catalogued: MusicBrainz by its disc ID when it has one, else (or
    // when that finds nothing) a release search by artist and title; gnudb is not asked.
    void startForAlbum(const std::string& discId, const std::string& artist,
                       const std::string& title, int trackCount, const Settings& servers,
                       std::function<void(LookupResult)> done);
    // Stops the request in flight; done is not called.
    void cancel();
    bool running() const { return static_cast<bool>(done_); }

    // Runs one lookup to its end on a local event loop (for the command line).
    static LookupResult run(const Toc& toc, const Settings& servers, const Timing& timing);

  private:
    enum class Step { MusicBrainz, MusicBrainzToc, GnudbQuery, GnudbRead, Search, ReleaseRead };
    void searchStart();
    void nextReleaseRead();
    void send(Step step, const QUrl& url);
    void fire(Step step, const QUrl& url);
    void received(Step step, const QUrl& url, QNetworkReply* reply);
    void handle(Step step, const std::string& body);
    void gnudbStart();
    void nextGnudbRead();
    void finish(LookupResult r);
    void fail(bool musicBrainz, const std::string& reason);

    QNetworkAccessManager* net_;
    QPointer<QNetworkReply> reply_;
    QTimer* wait_;
    Timing timing_;
    std::map<std::string, std::chrono::steady_clock::time_point> lastRequest_;
    std::function<void(LookupResult)> done_;
    Toc toc_;
    Settings servers_;
    std::string mbId_, mbToc_, freedbId_;
    int trackCount_ = 0;
    int tries_ = 0;
    std::string mbFailure_;
    std::vector<CddbMatch> matches_;
    std::size_t nextMatch_ = 0;
    std::vector<Release> found_;
    bool forAlbum_ = false;
    std::string artist_, title_;
    std::vector<std::string> searchIds_;
    std::size_t nextSearch_ = 0;
};

// Czech text of a failure, for "Internetová databáze není dostupná: …".
std::string failureText(const std::string& reason);

}  // namespace lorvika::online
