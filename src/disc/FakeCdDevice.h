#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "disc/CdDevice.h"
#include "disc/Toc.h"

// A scripted device for tests: drives keyed by their root, each with a door, maybe a disc, and
// a serial; every call is recorded by name.
namespace lorvika {

struct FakeDisc {
    Toc toc;
    std::uint32_t serial = 0;
    CdText cdText;
};

struct FakeDrive {
    DriveType type = DriveType::CdRom;
    bool doorOpen = false;
    std::optional<FakeDisc> disc;
    // A non-empty text makes opening this drive fail with it.
    std::string openError;
    bool canPlay = true;  // false for a disc image
};

class FakeCdDevice : public CdDevice {
  public:
    // The root "" is the default device.
    std::map<std::string, FakeDrive> drives;
    std::vector<std::string> calls;

    void open(const std::string& source) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::string element() const override { return element_; }
    void setElement(const std::string& source) override;

    CdMode mode() override;
    int tracks() override;
    std::uint32_t length() override;
    std::uint32_t trackLength(int track) override;
    CdText cdText() override;
    Toc toc() override;
    std::string errorText() const override { return lastError_; }

    std::uint32_t volumeSerial(const std::string& root) override;
    // The drives of type CdRom other than the default device "".
    std::vector<std::string> cdDrives() override;
    DriveType driveType(const std::string& root) override;
    bool hasReadableMedium(const std::string& root) override;

    void eject() override;
    void play() override;
    void stop() override;
    void next() override;
    void previous() override;

    // The track the player is at, 0 when it is stopped.
    int playingTrack() const { return playing_; }

  private:
    const FakeDisc& loadedDisc(const char* operation);
    FakeDrive& playerDrive(const char* operation);
    [[noreturn]] void fail(const std::string& text);

    bool open_ = false;
    std::string element_;
    std::string openedOn_;
    std::string lastError_ = kUnknownErrorCode;
    int playing_ = 0;
};

}  // namespace lorvika
