#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "disc/Toc.h"

// The CD-audio device every disc-reading form owns: opened on a drive (or on a disc image used
// as a drive), asked for the state of the door and for the disc's tracks and lengths, and used
// as a small player. Lengths come as packed minute/second/frame values (see Toc.h).
namespace lorvika {

// Failures of the device; the text is what the user is shown.
class CdError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char* kNoDeviceOpen = "No MCI device open";
inline constexpr const char* kUnknownErrorCode = "Unknown error code";
// A disc without an audio track (data, Video CD) is no album.
inline constexpr const char* kDataDisc =
    "Disk neobsahuje žádnou zvukovou stopu (datový disk) - nelze načíst";

enum class CdMode { NotReady, Stopped, Playing, Recording, Seeking, Paused, Open };

// What a drive root is, in the platform's numbering (CdRom is 5).
enum class DriveType {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6
};

struct CdTextTrack {
    std::string title;
    std::string performer;
};

// Titles from the disc's CD-TEXT (UTF-8); empty when the disc carries none.
struct CdText {
    std::string title;
    std::string performer;
    std::vector<CdTextTrack> tracks;  // tracks[i] is track i + 1
    bool empty() const;
};

class CdDevice {
  public:
    virtual ~CdDevice() = default;

    // Closes an open device, then opens it on source (a drive or an image file); an empty source
    // means the machine's default CD drive. Throws CdError with the device's error text, or
    // kUnknownErrorCode, and stays closed on failure.
    virtual void open(const std::string& source) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // The source the device was last opened on or pointed at ("" for none).
    virtual std::string element() const = 0;
    // Point the device at a drive without opening it (the drive list does this before it
    // decides whether to open).
    virtual void setElement(const std::string& source) = 0;

    // Open means door open or no disc; a closed device reports NotReady.
    virtual CdMode mode() = 0;
    // These throw CdError(kNoDeviceOpen) when the device is not open.
    virtual int tracks() = 0;
    virtual std::uint32_t length() = 0;
    virtual std::uint32_t trackLength(int track) = 0;
    virtual CdText cdText() = 0;
    // The table of contents the lengths come from (for the online disc IDs).
    virtual Toc toc() = 0;

    // Text of the last failure, kUnknownErrorCode when there is none to tell.
    virtual std::string errorText() const = 0;

    // Platform queries on a drive root (not on the open device). volumeSerial gives 0 when the
    // medium cannot be read.
    virtual std::uint32_t volumeSerial(const std::string& root) = 0;
    // The machine's CD drives, as roots for open (the default drive first).
    virtual std::vector<std::string> cdDrives() = 0;
    virtual DriveType driveType(const std::string& root) = 0;
    virtual bool hasReadableMedium(const std::string& root) = 0;

    // The player's buttons. Throw CdError when the device is not open or the source cannot do it
    // (a disc image plays nothing).
    virtual void eject() = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
};

}  // namespace lorvika
