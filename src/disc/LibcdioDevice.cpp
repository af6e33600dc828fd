#include "disc/LibcdioDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <vector>

#include <cdio/cdio.h>
// after cdio.h, which it needs
#include <cdio/audio.h>
#include <cdio/cdtext.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "disc/DiscIdentity.h"
#include "disc/DriveList.h"

namespace lorvika {

namespace {

// libcdio writes its warnings to stderr by default; the user sees our messages instead.
void quietLog(cdio_log_level_t, const char*) {}

void installLogHandler() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(quietLog); });
}

struct CdioDeleter {
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioDeleter>;

bool isBlockDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string inQuotes(const std::string& path) {
    return "„" + path + "“";
}

std::string openErrorText(const std::string& source, int err) {
    switch (err) {
        case ENOENT:
            return "Soubor nebo mechanika " + inQuotes(source) + " neexistuje";
        case EACCES:
        case EPERM:
            return "K mechanice nebo souboru " + inQuotes(source) + " nemáte přístup";
        case EBUSY:
            return "Mechanika " + inQuotes(source) + " je používána jiným programem";
        case ENOMEDIUM:
            return "V mechanice " + inQuotes(source) + " není disk";
        default:
            return kUnknownErrorCode;
    }
}

// Linux's own drive state: door, disc, readiness.
int driveStatus(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return -1;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    return status;
}

// libcdio looks for the data files a cdrdao TOC names relative to the working directory, not to
// the TOC file; while it parses one, the working directory is the TOC's own.
class TocDirectory {
  public:
    explicit TocDirectory(const std::string& image) {
        const auto dir = std::filesystem::path(image).parent_path();
        if (dir.empty() || std::filesystem::path(image).extension() != ".toc") return;
        saved_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (saved_ >= 0 && ::chdir(dir.c_str()) != 0) {
            ::close(saved_);
            saved_ = -1;
        }
    }
    ~TocDirectory() {
        if (saved_ < 0) return;
        // A failure here leaves nothing better to do than to carry on.
        [[maybe_unused]] const int rc = ::fchdir(saved_);
        ::close(saved_);
    }
    TocDirectory(const TocDirectory&) = delete;
    TocDirectory& operator=(const TocDirectory&) = delete;

  private:
    int saved_ = -1;
};

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A folder of its own for as long as an image is open through it.
class TempFolder {
  public:
    TempFolder() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lorvika-obraz-XXXXXX";
        if (!::mkdtemp(pattern.data())) throw CdError("Nelze vytvořit dočasnou složku pro obraz");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

struct ImageSource {
    std::string path;
    std::shared_ptr<TempFolder> folder;
};

// The file name a CUE sheet names, found in the sheet's folder with letter case ignored; "" when
// there is none.
std::string findNoCase(const std::filesystem::path& dir, const std::string& name) {
    const std::filesystem::path exact = dir / name;
    std::error_code ec;
    if (std::filesystem::is_regular_file(exact, ec)) return exact.string();
    const std::filesystem::path folder = exact.parent_path();
    const std::string wanted = lowerAscii(exact.filename().string());
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        if (lowerAscii(it->path().filename().string()) == wanted &&
            std::filesystem::is_regular_file(it->path(), ec))
            return it->path().string();
    return {};
}

// The name after FILE in a CUE line: quoted, or the first word.
std::optional<std::string> cueFileName(const std::string& line) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string::npos || line.compare(i, 5, "FILE ") != 0) return std::nullopt;
    i = line.find_first_not_of(" \t", i + 5);
    if (i == std::string::npos) return std::nullopt;
    if (line[i] == '"') {
        const std::size_t e = line.find('"', i + 1);
        if (e == std::string::npos) return std::nullopt;
        return line.substr(i + 1, e - i - 1);
    }
    return line.substr(i, line.find_first_of(" \t\r", i) - i);
}

// A cdrdao TOC that leaves silence to the player (SILENCE, ZERO) is one libcdio reads as empty.
bool tocHasSilence(const std::string& image) {
    std::ifstream in(image);
    for (std::string line; std::getline(in, line);) {
        std::string words;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"') quoted = !quoted;
            if (!quoted && line.compare(i, 2, "//") == 0) break;
            words += quoted ? ' ' : line[i];
        }
        std::istringstream ws(words);
        for (std::string w; ws >> w;)
            if (w == "SILENCE" || w == "ZERO") return true;
    }
    return false;
}

// libcdio reads a CUE sheet's data from the file named like the sheet (".bin"), whatever the
// sheet's FILE line says; a sheet naming another file is opened through a folder of its own
// where the data file has that name.
ImageSource prepareImage(const std::string& image) {
    const std::filesystem::path path(image);
    const std::string ext = lowerAscii(path.extension().string());
    if (ext == ".toc" && tocHasSilence(image))
        throw CdError("Obraz disku " + inQuotes(image) +
                      " obsahuje ticho zadané příkazem SILENCE nebo ZERO, které neumím přečíst; "
                      "délky stop by nebyly správné");
    if (ext != ".cue") return {image, nullptr};
    std::vector<std::string> files;
    std::ifstream in(image);
    for (std::string line; std::getline(in, line);)
        if (auto f = cueFileName(line)) {
            if (std::find(files.begin(), files.end(), *f) == files.end()) files.push_back(*f);
        }
    if (files.empty()) return {image, nullptr};
    if (files.size() > 1)
        throw CdError("Obraz disku " + inQuotes(image) +
                      " se skládá z více datových souborů; umím přečíst jen obraz s jedním");
    const std::string data = findNoCase(path.parent_path(), files.front());
    if (data.empty())
        throw CdError("Obraz disku " + inQuotes(image) + ": chybí datový soubor " +
                      inQuotes(files.front()));
    // The name libcdio derives: the sheet's with "cue" turned into "bin" (or "CUE" into "BIN").
    std::string expected = image;
    const std::string tail = expected.substr(expected.size() - 3);
    expected.replace(expected.size() - 3, 3, tail == "CUE" ? "BIN" : "bin");
    std::error_code ec;
    if (std::filesystem::equivalent(expected, data, ec)) return {image, nullptr};
    auto folder = std::make_shared<TempFolder>();
    const std::filesystem::path sheet = std::filesystem::path(folder->path()) / "disk.cue";
    std::filesystem::copy_file(image, sheet, ec);
    if (!ec)
        std::filesystem::create_symlink(std::filesystem::absolute(data, ec),
                                        std::filesystem::path(folder->path()) / "disk.bin", ec);
    if (ec)
        throw CdError("Obraz disku " + inQuotes(image) + " nelze otevřít (" + ec.message() + ")");
    return {sheet.string(), folder};
}

CdioPtr openCdio(const std::string& source, bool image) {
    installLogHandler();
    if (!image) return CdioPtr(cdio_open(source.c_str(), DRIVER_DEVICE));
    const std::string path = absolutePath(source);
    const TocDirectory cwd(path);
    return CdioPtr(cdio_open(path.c_str(), DRIVER_UNKNOWN));
}

Toc tocOf(CdIo_t* p) {
    const track_t first = cdio_get_first_track_num(p);
    const track_t last = cdio_get_last_track_num(p);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || last < first)
        throw CdError("Obsah disku nelze přečíst");
    Toc toc;
    toc.firstTrack = first;
    for (track_t t = first; t <= last; ++t) {
        const lba_t lba = cdio_get_track_lba(p, t);
        if (lba == CDIO_INVALID_LBA) throw CdError("Obsah disku nelze přečíst");
        toc.tracks.push_back(
            {static_cast<std::uint32_t>(lba), cdio_get_track_format(p, t) != TRACK_FORMAT_AUDIO});
    }
    const lba_t leadOut = cdio_get_track_lba(p, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LBA) throw CdError("Obsah disku nelze přečíst");
    toc.leadOut = static_cast<std::uint32_t>(leadOut);
    try {
        toc.validate();
    } catch (const std::invalid_argument&) {
        throw CdError("Obsah disku je poškozený");
    }
    return toc;
}

std::uint32_t serialOf(CdIo_t* p) {
    const Toc toc = tocOf(p);
    const SectorReader read = [p](std::uint32_t lsn, std::span<std::uint8_t, kSectorSize> out) {
        return cdio_read_data_sectors(p, out.data(), static_cast<lsn_t>(lsn), kSectorSize, 1) ==
               DRIVER_OP_SUCCESS;
    };
    std::optional<std::uint32_t> lastSession;
    lsn_t lsn = 0;
    if (cdio_get_last_session(p, &lsn) == DRIVER_OP_SUCCESS && lsn > 0)
        lastSession = static_cast<std::uint32_t>(lsn);
    return discVolumeSerial(toc, read, lastSession);
}

}  // namespace

namespace {

// Decodes UTF-8; false for anything that is not well-formed (overlong forms and surrogates too).
bool decodeUtf8(const std::string& s, std::vector<std::uint32_t>& out) {
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (b < 0x80)
            cp = b;
        else if (b >= 0xC2 && b <= 0xDF)
            extra = 1, cp = b & 0x1F;
        else if (b >= 0xE0 && b <= 0xEF)
            extra = 2, cp = b & 0x0F;
        else if (b >= 0xF0 && b <= 0xF4)
            extra = 3, cp = b & 0x07;
        else
            return false;
        if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

std::string undoDoubleUtf8(const std::string& text) {
    std::vector<std::uint32_t> cps;
    if (!decodeUtf8(text, cps)) return text;
    std::string bytes;
    bool high = false;
    for (const auto cp : cps) {
        if (cp > 0xFF) return text;
        high = high || cp >= 0x80;
        bytes += static_cast<char>(cp);
    }
    std::vector<std::uint32_t> again;
    return high && decodeUtf8(bytes, again) ? bytes : text;
}

struct LibcdioDevice::Handle {
    std::shared_ptr<TempFolder> folder;  // outlives the libcdio handle reading from it
    CdioPtr cdio;
};

bool isDiscImage(const std::string& path) {
    if (!isRegularFile(path)) return false;
    installLogHandler();
    if (char* cue = cdio_is_cuefile(path.c_str())) {
        std::free(cue);
        return true;
    }
    const std::string absolute = absolutePath(path);
    const TocDirectory cwd(absolute);
    return cdio_is_tocfile(absolute.c_str()) || cdio_is_nrg(path.c_str()) ||
           std::filesystem::path(path).extension() == ".bin";
}

bool isCdDrive(const std::string& path) {
    if (!isBlockDevice(path)) return false;
    installLogHandler();
    return cdio_is_device(path.c_str(), DRIVER_DEVICE);
}

LibcdioDevice::LibcdioDevice() : owner_(std::this_thread::get_id()) {
    installLogHandler();
}

LibcdioDevice::~LibcdioDevice() = default;

void LibcdioDevice::checkThread() const {
    if (std::this_thread::get_id() != owner_)
        throw std::logic_error(
            "the CD device is used from another thread than the one that made it");
}

void LibcdioDevice::fail(const std::string& text) {
    lastError_ = text;
    throw CdError(text);
}

std::vector<std::string> LibcdioDevice::cdDrives() {
    installLogHandler();
    std::vector<std::string> out;
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        for (char** d = devices; *d; ++d) out.emplace_back(*d);
        cdio_free_device_list(devices);
    }
    return out;
}

std::string LibcdioDevice::defaultDrive() {
    installLogHandler();
    std::string drive;
    if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
        if (devices[0]) drive = devices[0];
        cdio_free_device_list(devices);
    }
    return drive;
}

void LibcdioDevice::open(const std::string& source) {
    checkThread();
    close();
    element_ = source;
    std::string target = source.empty() ? defaultDrive() : source;
    // A machine without a CD drive has no default device; it stays closed until a drive or an
    // image is chosen, so that the forms still open.
    if (target.empty()) return;
    errno = 0;
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) fail(openErrorText(target, errno));
    const bool image = S_ISREG(st.st_mode);
    if (!image && !S_ISBLK(st.st_mode))
        fail(inQuotes(target) + " není mechanika CD ani obraz disku");
    if (image && !isDiscImage(target))
        fail(inQuotes(target) + " není obraz disku, který umím přečíst (CUE/BIN, TOC, NRG)");
    if (::access(target.c_str(), R_OK) != 0) fail(openErrorText(target, errno));
    if (!image && !isCdDrive(target)) fail(inQuotes(target) + " není mechanika CD");
    ImageSource src{target, nullptr};
    if (image) {
        try {
            src = prepareImage(target);
        } catch (const CdError& e) {
            fail(e.what());
        }
    }
    errno = 0;
    CdioPtr cdio = openCdio(src.path, image);
    if (!cdio) {
        if (image) fail("Obraz disku " + inQuotes(target) + " je poškozený nebo neúplný");
        fail(openErrorText(target, errno));
    }
    handle_ = std::make_unique<Handle>(Handle{std::move(src.folder), std::move(cdio)});
    source_ = target;
    image_ = image;
}

void LibcdioDevice::close() {
    checkThread();
    handle_.reset();
    source_.clear();
    image_ = false;
}

bool LibcdioDevice::isOpen() const {
    return handle_ != nullptr;
}

std::string LibcdioDevice::element() const {
    return element_;
}

void LibcdioDevice::setElement(const std::string& source) {
    checkThread();
    element_ = source;
}

CdMode LibcdioDevice::mode() {
    checkThread();
    if (!handle_) return CdMode::NotReady;
    if (image_) return isRegularFile(source_) ? CdMode::Stopped : CdMode::Open;
    switch (driveStatus(source_)) {
        case CDS_TRAY_OPEN:
        case CDS_NO_DISC:
            return CdMode::Open;
        case CDS_DISC_OK:
            break;
        default:
            return CdMode::NotReady;
    }
    // The disc may have been changed since the last question: read its contents afresh.
    CdioPtr fresh = openCdio(source_, false);
    if (!fresh || cdio_get_first_track_num(fresh.get()) == CDIO_INVALID_TRACK) return CdMode::Open;
    handle_->cdio = std::move(fresh);
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(handle_->cdio.get(), &sub) == DRIVER_OP_SUCCESS) {
        if (sub.audio_status == CDIO_MMC_READ_SUB_ST_PLAY) return CdMode::Playing;
        if (sub.audio_status == CDIO_MMC_READ_SUB_ST_PAUSED) return CdMode::Paused;
    }
    return CdMode::Stopped;
}

Toc LibcdioDevice::currentToc() {
    checkThread();
    if (!handle_) fail(kNoDeviceOpen);
    Toc full;
    try {
        full = tocOf(handle_->cdio.get());
    } catch (const CdError& e) {
        fail(e.what());
    }
    // On a drive, a data track in a later session follows the audio session's lead-out gap.
    lsn_t session = 0;
    const bool sessions =
        !image_ && cdio_get_last_session(handle_->cdio.get(), &session) == DRIVER_OP_SUCCESS &&
        session > 0;
    const std::optional<Toc> audio = audioTracks(full, sessions ? kSessionGapFrames : 0);
    if (!audio) fail(kDataDisc);
    return *audio;
}

int LibcdioDevice::tracks() {
    return tocTrackCount(currentToc());
}

std::uint32_t LibcdioDevice::length() {
    return packedFromFrames(discLengthFrames(currentToc()));
}

std::uint32_t LibcdioDevice::trackLength(int track) {
    const Toc toc = currentToc();
    if (track < 1 || track > tocTrackCount(toc))
        fail("Číslo stopy " + std::to_string(track) + " je mimo rozsah");
    return packedFromFrames(trackLengthFrames(toc, toc.firstTrack + track - 1));
}

CdText LibcdioDevice::cdText() {
    const Toc toc = currentToc();
    CdText text;
    // The text object belongs to the libcdio handle.
    const cdtext_t* cdt = cdio_get_cdtext(handle_->cdio.get());
    if (!cdt) return text;
    const auto field = [cdt](cdtext_field_t f, track_t t) {
        const char* s = cdtext_get_const(cdt, f, t);
        return undoDoubleUtf8(s ? s : "");
    };
    text.title = field(CDTEXT_FIELD_TITLE, 0);
    text.performer = field(CDTEXT_FIELD_PERFORMER, 0);
    for (int t = toc.firstTrack; t <= toc.lastTrack(); ++t)
        text.tracks.push_back({field(CDTEXT_FIELD_TITLE, static_cast<track_t>(t)),
                               field(CDTEXT_FIELD_PERFORMER, static_cast<track_t>(t))});
    return text;
}

std::string LibcdioDevice::errorText() const {
    return lastError_.empty() ? kUnknownErrorCode : lastError_;
}

std::uint32_t LibcdioDevice::volumeSerial(const std::string& root) {
    checkThread();
    try {
        if (handle_ && (root == source_ || root == element_)) return serialOf(handle_->cdio.get());
        const bool image = isDiscImage(root);
        if (!image && !(isCdDrive(root) && driveStatus(root) == CDS_DISC_OK)) return 0;
        const ImageSource src = image ? prepareImage(root) : ImageSource{root, nullptr};
        CdioPtr cdio = openCdio(src.path, image);
        return cdio ? serialOf(cdio.get()) : 0;
    } catch (const CdError&) {
        return 0;
    }
}

DriveType LibcdioDevice::driveType(const std::string& root) {
    checkThread();
    if (root.empty()) return DriveType::Unknown;
    if (isCdDrive(root) || isDiscImage(root)) return DriveType::CdRom;
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) return DriveType::NoRootDir;
    const auto mount = mountOf(std::filesystem::absolute(root, ec).string(), systemMounts());
    return mount ? driveTypeOfMount(*mount) : DriveType::Fixed;
}

bool LibcdioDevice::hasReadableMedium(const std::string& root) {
    checkThread();
    if (root.empty()) return false;
    if (isBlockDevice(root)) return driveStatus(root) == CDS_DISC_OK;
    if (isRegularFile(root)) return ::access(root.c_str(), R_OK) == 0;
    std::error_code ec;
    return std::filesystem::is_directory(root, ec);
}

CdIo_t* LibcdioDevice::drive(const char* operation) {
    checkThread();
    if (!handle_) fail(kNoDeviceOpen);
    if (image_) fail(std::string("Obraz disku nelze ") + operation);
    return handle_->cdio.get();
}

int LibcdioDevice::currentTrack() {
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(drive("přehrávat"), &sub) != DRIVER_OP_SUCCESS) return 0;
    if (sub.audio_status != CDIO_MMC_READ_SUB_ST_PLAY &&
        sub.audio_status != CDIO_MMC_READ_SUB_ST_PAUSED)
        return 0;
    return sub.track;
}

void LibcdioDevice::playFrom(int track) {
    CdIo_t* p = drive("přehrávat");
    const Toc toc = currentToc();
    int t = std::clamp(track, toc.firstTrack, toc.lastTrack());
    while (t <= toc.lastTrack() && toc.tracks[static_cast<std::size_t>(t - toc.firstTrack)].data)
        ++t;
    if (t > toc.lastTrack()) fail("Disk nemá žádnou zvukovou stopu");
    msf_t start{}, end{};
    cdio_lba_to_msf(
        static_cast<lba_t>(toc.tracks[static_cast<std::size_t>(t - toc.firstTrack)].start), &start);
    cdio_lba_to_msf(static_cast<lba_t>(toc.leadOut - 1), &end);
    if (cdio_audio_play_msf(p, &start, &end) != DRIVER_OP_SUCCESS)
        fail("Mechanika nemůže přehrávat");
}

void LibcdioDevice::eject() {
    drive("vysunout");
    const std::string source = source_;
    if (cdio_eject_media_drive(source.c_str()) != DRIVER_OP_SUCCESS) fail("Disk nelze vysunout");
}

void LibcdioDevice::play() {
    CdIo_t* p = drive("přehrávat");
    cdio_subchannel_t sub{};
    if (cdio_audio_read_subchannel(p, &sub) == DRIVER_OP_SUCCESS &&
        sub.audio_status == CDIO_MMC_READ_SUB_ST_PAUSED) {
        if (cdio_audio_resume(p) != DRIVER_OP_SUCCESS) fail("Mechanika nemůže přehrávat");
        return;
    }
    playFrom(1);
}

void LibcdioDevice::stop() {
    if (cdio_audio_stop(drive("přehrávat")) != DRIVER_OP_SUCCESS)
        fail("Mechanika nemůže zastavit přehrávání");
}

void LibcdioDevice::next() {
    const int t = currentTrack();
    playFrom(t ? t + 1 : 1);
}

void LibcdioDevice::previous() {
    const int t = currentTrack();
    playFrom(t > 1 ? t - 1 : 1);
}

}  // namespace lorvika
