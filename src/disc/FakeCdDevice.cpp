#include "disc/FakeCdDevice.h"

namespace lorvika {

void FakeCdDevice::fail(const std::string& text) {
    lastError_ = text;
    throw CdError(text);
}

void FakeCdDevice::open(const std::string& source) {
    calls.push_back("open(" + source + ")");
    if (open_) close();
    element_ = source;
    const auto it = drives.find(source);
    if (it == drives.end()) fail(kUnknownErrorCode);
    if (!it->second.openError.empty()) fail(it->second.openError);
    open_ = true;
    openedOn_ = source;
}

void FakeCdDevice::close() {
    calls.push_back("close");
    open_ = false;
    playing_ = 0;
}

void FakeCdDevice::setElement(const std::string& source) {
    calls.push_back("setElement(" + source + ")");
    element_ = source;
}

CdMode FakeCdDevice::mode() {
    calls.push_back("mode");
    if (!open_) return CdMode::NotReady;
    const FakeDrive& d = drives.at(openedOn_);
    if (d.doorOpen || !d.disc) return CdMode::Open;
    return playing_ ? CdMode::Playing : CdMode::Stopped;
}

FakeDrive& FakeCdDevice::playerDrive(const char* operation) {
    calls.push_back(operation);
    if (!open_) fail(kNoDeviceOpen);
    return drives.at(openedOn_);
}

const FakeDisc& FakeCdDevice::loadedDisc(const char* operation) {
    FakeDrive& d = playerDrive(operation);
    if (d.doorOpen || !d.disc) fail("Zařízení není připraveno: v mechanice není disk");
    return *d.disc;
}

int FakeCdDevice::tracks() {
    return tocTrackCount(loadedDisc("tracks").toc);
}

std::uint32_t FakeCdDevice::length() {
    return packedFromFrames(discLengthFrames(loadedDisc("length").toc));
}

std::uint32_t FakeCdDevice::trackLength(int track) {
    const FakeDisc& disc = loadedDisc("trackLength");
    // Appended piecewise: GCC 12 at -O3 misreads "(" + std::string as an overlapping copy.
    calls.back().append("(").append(std::to_string(track)).append(")");
    if (track < 1 || track > tocTrackCount(disc.toc))
        fail("Číslo stopy " + std::to_string(track) + " je mimo rozsah");
    return packedFromFrames(trackLengthFrames(disc.toc, disc.toc.firstTrack + track - 1));
}

CdText FakeCdDevice::cdText() {
    return loadedDisc("cdText").cdText;
}

Toc FakeCdDevice::toc() {
    return loadedDisc("toc").toc;
}

std::uint32_t FakeCdDevice::volumeSerial(const std::string& root) {
    calls.push_back("volumeSerial(" + root + ")");
    const auto it = drives.find(root);
    if (it == drives.end() || it->second.doorOpen || !it->second.disc) return 0;
    return it->second.disc->serial;
}

std::vector<std::string> FakeCdDevice::cdDrives() {
    std::vector<std::string> out;
    for (const auto& [root, d] : drives)
        if (!root.empty() && d.type == DriveType::CdRom && d.canPlay) out.push_back(root);
    return out;
}

DriveType FakeCdDevice::driveType(const std::string& root) {
    calls.push_back("driveType(" + root + ")");
    const auto it = drives.find(root);
    return it == drives.end() ? DriveType::NoRootDir : it->second.type;
}

bool FakeCdDevice::hasReadableMedium(const std::string& root) {
    calls.push_back("hasReadableMedium(" + root + ")");
    const auto it = drives.find(root);
    if (it == drives.end() || it->second.doorOpen) return false;
    return it->second.type != DriveType::CdRom || it->second.disc.has_value();
}

void FakeCdDevice::eject() {
    FakeDrive& d = playerDrive("eject");
    if (!d.canPlay) fail("Obraz disku nelze vysunout");
    d.doorOpen = true;
    playing_ = 0;
}

void FakeCdDevice::play() {
    FakeDrive& d = playerDrive("play");
    if (!d.canPlay) fail("Obraz disku nelze přehrávat");
    if (d.doorOpen || !d.disc) fail("Zařízení není připraveno: v mechanice není disk");
    if (!playing_) playing_ = 1;
}

void FakeCdDevice::stop() {
    FakeDrive& d = playerDrive("stop");
    if (!d.canPlay) fail("Obraz disku nelze přehrávat");
    playing_ = 0;
}

void FakeCdDevice::next() {
    FakeDrive& d = playerDrive("next");
    if (!d.canPlay) fail("Obraz disku nelze přehrávat");
    if (d.disc && playing_ && playing_ < tocTrackCount(d.disc->toc)) ++playing_;
}

void FakeCdDevice::previous() {
    FakeDrive& d = playerDrive("previous");
    if (!d.canPlay) fail("Obraz disku nelze přehrávat");
    if (playing_ > 1) --playing_;
}

}  // namespace lorvika
