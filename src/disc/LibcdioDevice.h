#pragma once

#include <memory>
#include <string>
#include <thread>

#include "disc/CdDevice.h"
#include "disc/Toc.h"

struct _CdIo;

// The device on real drives and on disc images (CUE/BIN, cdrdao TOC, NRG) through libcdio.
// libcdio is not thread-safe: a device is used only on the thread that created it.
namespace lorvika {

class LibcdioDevice : public CdDevice {
  public:
    LibcdioDevice();
    std::vector<std::string> cdDrives() override;
    ~LibcdioDevice() override;
    LibcdioDevice(const LibcdioDevice&) = delete;
    LibcdioDevice& operator=(const LibcdioDevice&) = delete;

    void open(const std::string& source) override;
    void close() override;
    bool isOpen() const override;
    std::string element() const override;
    void setElement(const std::string& source) override;

    CdMode mode() override;
    int tracks() override;
    std::uint32_t length() override;
    std::uint32_t trackLength(int track) override;
    CdText cdText() override;
    Toc toc() override { return currentToc(); }
    std::string errorText() const override;

    std::uint32_t volumeSerial(const std::string& root) override;
    DriveType driveType(const std::string& root) override;
    bool hasReadableMedium(const std::string& root) override;

    void eject() override;
    void play() override;
    void stop() override;
    void next() override;
    void previous() override;

    // The drive opened when no source is named; "" when the machine has none.
    static std::string defaultDrive();

  private:
    struct Handle;
    void checkThread() const;
    [[noreturn]] void fail(const std::string& text);
    Toc currentToc();
    _CdIo* drive(const char* operation);
    void playFrom(int track);
    int currentTrack();

    std::thread::id owner_;
    std::unique_ptr<Handle> handle_;
    std::string element_;
    std::string source_;
    bool image_ = false;
    std::string lastError_;
};

// libcdio hands CD-TEXT out as UTF-8 converted from ISO 8859-1, the CD-TEXT character set; a cue
// sheet written in UTF-8 then arrives encoded twice. Such text is given back as it was written;
// anything else is left alone.
std::string undoDoubleUtf8(const std::string& text);

// These ask libcdio too, so they belong on the user-interface thread as well.
// Whether a path is a disc image libcdio can open as a drive.
bool isDiscImage(const std::string& path);
// Whether a path is one of the machine's CD drives (or a link to one).
bool isCdDrive(const std::string& path);

}  // namespace lorvika
