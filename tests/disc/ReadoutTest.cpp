#include <gtest/gtest.h>

#include <sstream>

#include "disc/DriveList.h"
#include "disc/FakeCdDevice.h"
#include "disc/Readout.h"
#include "support/DiscData.h"

namespace lorvika {
namespace {

using test::msf;

// 12 tracks whose disc length is 45:30:12 (packed 794157).
Toc twelveTrackToc() {
    Toc toc;
    for (int i = 0; i < 12; ++i)
        toc.tracks.push_back({150 + static_cast<std::uint32_t>(i) * 15000, false});
    toc.leadOut = 150 + msf(45, 30, 12) + 1;
    return toc;
}

FakeCdDevice deviceWithDisc(std::uint32_t serial) {
    FakeCdDevice dev;
    dev.drives["/dev/sr0"] =
        FakeDrive{DriveType::CdRom, false, FakeDisc{twelveTrackToc(), serial, {}}, "", true};
    dev.drives["/home"] = FakeDrive{DriveType::Fixed, false, std::nullopt, "", true};
    dev.drives[""] = FakeDrive{};
    return dev;
}

TEST(NactiSN, IdentityOfTheDiscInTheChosenDrive) {
    struct Case {
        std::uint32_t serial;
        const char* identity;
    };
    const Case cases[] = {{305441741u, "12-794157-305441741"},
                          {3237998080u, "12-794157--1056969216"}};
    for (const auto& c : cases) {
        FakeCdDevice dev = deviceWithDisc(c.serial);
        DriveCBChange(dev, "/dev/sr0");
        ASSERT_TRUE(dev.isOpen());
        EXPECT_EQ(NactiSN(dev), c.identity);
    }
}

TEST(NactiSN, DoorOpenOrNoDiscGivesEmptyAndAsksNothingElse) {
    for (const bool doorOpen : {true, false}) {
        FakeCdDevice dev = deviceWithDisc(1);
        dev.drives["/dev/sr0"].doorOpen = doorOpen;
        if (!doorOpen) dev.drives["/dev/sr0"].disc.reset();
        dev.open("/dev/sr0");
        dev.calls.clear();
        EXPECT_EQ(NactiSN(dev), "");
        EXPECT_EQ(dev.calls, std::vector<std::string>{"mode"});
    }
}

TEST(NactiSN, DefaultDeviceWithoutDriveRootHasSerialZero) {
    FakeCdDevice dev = deviceWithDisc(77);
    dev.drives[""].disc = FakeDisc{twelveTrackToc(), 77, {}};
    dev.open("");
    EXPECT_EQ(NactiSN(dev), "12-794157-0");
    for (const auto& call : dev.calls) EXPECT_NE(call.rfind("volumeSerial", 0), 0u) << call;
}

TEST(NactiSN, ClosedDeviceReportsNoDeviceOpen) {
    FakeCdDevice dev = deviceWithDisc(1);
    try {
        NactiSN(dev);
        FAIL() << "expected an error";
    } catch (const CdError& e) {
        EXPECT_STREQ(e.what(), kNoDeviceOpen);
    }
}

TEST(ReadTracks, WholeSecondsOfEveryTrack) {
    Toc fourteen;
    // 14 tracks of 3:25:40 each; the last ends a frame early, at 3:25:39.
    for (std::uint32_t i = 0; i < 14; ++i)
        fourteen.tracks.push_back({150 + i * msf(3, 25, 40), false});
    fourteen.leadOut = 150 + 14 * msf(3, 25, 40);
    Toc full;
    full.tracks = {{150, false}, {150 + msf(40, 0, 0), false}};
    full.leadOut = 150 + msf(74, 59, 74) + 1;
    struct Case {
        Toc toc;
        int totalSeconds;
        std::vector<int> trackSeconds;
    };
    const Case cases[] = {
        {fourteen, (14 * msf(3, 25, 40) - 1) / 75, std::vector<int>(14, 205)},
        {full, 4499, {2400, 2099}},
    };
    for (const auto& c : cases) {
        FakeCdDevice dev;
        dev.drives["/dev/sr0"] =
            FakeDrive{DriveType::CdRom, false, FakeDisc{c.toc, 5, {}}, "", true};
        dev.open("/dev/sr0");
        const TrackReadout r = readTracks(dev);
        EXPECT_EQ(r.tracks, static_cast<int>(c.trackSeconds.size()));
        EXPECT_EQ(r.totalSeconds, c.totalSeconds);
        EXPECT_EQ(r.trackSeconds, c.trackSeconds);
    }
}

TEST(DriveCBChange, OpensOnlyCdDrivesHoldingAMedium) {
    struct Case {
        const char* name;
        const char* root;
        bool opened;
    };
    const Case cases[] = {
        {"CD drive with a disc", "/dev/sr0", true}, {"hard disk", "/home", false},
        {"CD drive, door open", "/dev/sr1", false}, {"CD drive without a disc", "/dev/sr2", false},
        {"unknown root", "/nowhere", false},
    };
    for (const auto& c : cases) {
        FakeCdDevice dev = deviceWithDisc(9);
        dev.drives["/dev/sr1"] =
            FakeDrive{DriveType::CdRom, true, FakeDisc{twelveTrackToc(), 1, {}}, "", true};
        dev.drives["/dev/sr2"] = FakeDrive{};
        dev.open("");
        DriveCBChange(dev, c.root);
        EXPECT_EQ(dev.isOpen(), c.opened) << c.name;
        EXPECT_EQ(dev.element(), c.root) << c.name;
        if (!c.opened) {
            // A later status query then reports the missing device.
            try {
                dev.tracks();
                ADD_FAILURE() << c.name << ": expected an error";
            } catch (const CdError& e) {
                EXPECT_STREQ(e.what(), kNoDeviceOpen) << c.name;
            }
            EXPECT_EQ(dev.mode(), CdMode::NotReady) << c.name;
        }
    }
}

TEST(DriveCBChange, OpenFailureKeepsTheDeviceClosedWithItsText) {
    FakeCdDevice dev = deviceWithDisc(9);
    dev.drives["/dev/sr0"].openError = "Mechanika „/dev/sr0“ je používána jiným programem";
    EXPECT_THROW(DriveCBChange(dev, "/dev/sr0"), CdError);
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(dev.errorText(), "Mechanika „/dev/sr0“ je používána jiným programem");
}

TEST(DriveList, ChoosingEntries) {
    FakeCdDevice dev = deviceWithDisc(9);
    dev.drives["/img/a.cue"] =
        FakeDrive{DriveType::CdRom, false, FakeDisc{twelveTrackToc(), 4, {}}, "", false};
    dev.drives["/img/bad.txt"] =
        FakeDrive{DriveType::Fixed, false, std::nullopt, "„/img/bad.txt“ není obraz disku", false};
    std::optional<std::string> answer;
    int asked = 0;
    const auto ask = [&] {
        ++asked;
        return answer;
    };
    const DriveEntry cd{DriveEntry::Kind::CdDrive, "/dev/sr0", "CD /dev/sr0"};
    const DriveEntry home{DriveEntry::Kind::FileSystem, "/home", "/home"};
    const DriveEntry image{DriveEntry::Kind::Image, "", kDiscImageEntry};

    EXPECT_TRUE(chooseDrive(dev, cd, ask));
    EXPECT_TRUE(dev.isOpen());
    EXPECT_TRUE(chooseDrive(dev, home, ask));
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(asked, 0);

    // Cancelling the file question changes nothing.
    chooseDrive(dev, cd, ask);
    EXPECT_FALSE(chooseDrive(dev, image, ask));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(dev.isOpen());
    EXPECT_EQ(dev.element(), "/dev/sr0");

    answer = "/img/a.cue";
    EXPECT_TRUE(chooseDrive(dev, image, ask));
    EXPECT_EQ(dev.element(), "/img/a.cue");
    EXPECT_EQ(NactiSN(dev), "12-794157-4");

    answer = "/img/bad.txt";
    EXPECT_THROW(chooseDrive(dev, image, ask), CdError);
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(dev.errorText(), "„/img/bad.txt“ není obraz disku");
}

TEST(Player, ButtonsOfTheDriveAndOfAnImage) {
    FakeCdDevice dev = deviceWithDisc(9);
    dev.open("/dev/sr0");
    dev.play();
    dev.next();
    dev.next();
    EXPECT_EQ(dev.playingTrack(), 3);
    EXPECT_EQ(dev.mode(), CdMode::Playing);
    dev.previous();
    EXPECT_EQ(dev.playingTrack(), 2);
    dev.stop();
    EXPECT_EQ(dev.mode(), CdMode::Stopped);
    dev.eject();
    EXPECT_EQ(dev.mode(), CdMode::Open);
    EXPECT_EQ(NactiSN(dev), "");

    dev.drives["image.cue"] =
        FakeDrive{DriveType::CdRom, false, FakeDisc{twelveTrackToc(), 1, {}}, "", false};
    dev.open("image.cue");
    EXPECT_THROW(dev.play(), CdError);
    EXPECT_THROW(dev.eject(), CdError);
    dev.close();
    EXPECT_THROW(dev.play(), CdError);
}

TEST(DriveList, CdDrivesThenFileSystemsThenImage) {
    std::istringstream mounts(
        "sysfs /sys sysfs rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb\\040disk vfat rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/loop3 /snap/core/1 squashfs ro 0 0\n"
        "server:/music /mnt/music nfs4 rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "broken line\n");
    const auto parsed = parseMounts(mounts);
    ASSERT_EQ(parsed.size(), 10u);
    EXPECT_EQ(parsed[5].mountPoint, "/media/usb disk");

    const auto list = buildDriveList({"/dev/sr0", "/dev/sr1"}, parsed);
    const std::vector<DriveEntry> expected{
        {DriveEntry::Kind::CdDrive, "/dev/sr0", "CD /dev/sr0"},
        {DriveEntry::Kind::CdDrive, "/dev/sr1", "CD /dev/sr1"},
        {DriveEntry::Kind::FileSystem, "/", "/"},
        {DriveEntry::Kind::FileSystem, "/home", "/home"},
        {DriveEntry::Kind::FileSystem, "/media/usb disk", "/media/usb disk"},
        {DriveEntry::Kind::FileSystem, "/mnt/music", "/mnt/music"},
        {DriveEntry::Kind::Image, "", kDiscImageEntry},
    };
    EXPECT_EQ(list, expected);
    EXPECT_EQ(buildDriveList({}, {}),
              (std::vector<DriveEntry>{{DriveEntry::Kind::Image, "", kDiscImageEntry}}));
}

TEST(DriveList, MountOfAPathAndItsType) {
    // Device names that no machine has, so the removable flag of a real disk cannot interfere.
    const std::vector<MountInfo> mounts{{"/dev/lorvika-test1", "/", "ext4"},
                                        {"/dev/lorvika-test2", "/home", "ext4"},
                                        {"server:/m", "/home/music", "nfs"},
                                        {"tmpfs", "/tmp", "tmpfs"}};
    struct Case {
        const char* path;
        const char* mountPoint;
        DriveType type;
    };
    const Case cases[] = {
        {"/", "/", DriveType::Fixed},           {"/usr/share", "/", DriveType::Fixed},
        {"/home", "/home", DriveType::Fixed},   {"/home/user/", "/home", DriveType::Fixed},
        {"/homework", "/", DriveType::Fixed},   {"/home/music/a", "/home/music", DriveType::Remote},
        {"/tmp/x", "/tmp", DriveType::RamDisk},
    };
    for (const auto& c : cases) {
        const auto m = mountOf(c.path, mounts);
        ASSERT_TRUE(m) << c.path;
        EXPECT_EQ(m->mountPoint, c.mountPoint) << c.path;
        EXPECT_EQ(driveTypeOfMount(*m), c.type) << c.path;
    }
}

}  // namespace
}  // namespace lorvika
