#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

#include "disc/DiscIdentity.h"
#include "disc/DriveList.h"
#include "disc/LibcdioDevice.h"
#include "disc/Readout.h"
#include "support/DiscData.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

constexpr std::uint32_t kRawSector = 2352;
using test::msf;

using test::descriptor;
using test::Sector;

struct ImageTrack {
    const char* type;     // "AUDIO" or "MODE1/2352"
    std::uint32_t start;  // sector in the file
    const char* title = nullptr;
    const char* performer = nullptr;
};

struct Image {
    std::vector<ImageTrack> tracks;
    std::uint32_t sectors = 0;             // lead-out, counted from the first sector
    std::map<std::uint32_t, Sector> data;  // user data of mode 1 sectors
    std::vector<std::string> discLines;    // CUE lines before the first FILE
    bool xa = false;                       // data sectors are mode 2 form 1 (CD-ROM XA)
};

std::string cueTime(std::uint32_t frames) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", frames / 4500, frames / 75 % 60, frames % 75);
    return buf;
}

std::uint8_t bcd(std::uint32_t v) {
    return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10));
}

// Writes name.cue and name.bin (lead-out × 2352 bytes) and returns the CUE file's path.
std::string writeImage(const test::TestDir& dir, const std::string& name, const Image& img) {
    const auto bin = dir.path() / (name + ".bin");
    {
        std::ofstream out(bin, std::ios::binary);
        std::vector<char> raw(kRawSector, 0);
        for (std::uint32_t lsn = 0; lsn < img.sectors; ++lsn) {
            std::fill(raw.begin(), raw.end(), 0);
            const auto it = img.data.find(lsn);
            if (it != img.data.end()) {
                raw[0] = raw[11] = 0;
                for (int i = 1; i <= 10; ++i) raw[i] = static_cast<char>(0xFF);
                const std::uint32_t a = lsn + 150;
                raw[12] = static_cast<char>(bcd(a / 4500));
                raw[13] = static_cast<char>(bcd(a / 75 % 60));
                raw[14] = static_cast<char>(bcd(a % 75));
                raw[15] = img.xa ? 2 : 1;
                // Form 1 sub-header, twice: submode "data".
                if (img.xa) raw[18] = raw[22] = 0x08;
                std::memcpy(raw.data() + (img.xa ? 24 : 16), it->second.data(), kSectorSize);
            }
            out.write(raw.data(), kRawSector);
        }
    }
    const auto cue = dir.path() / (name + ".cue");
    std::ofstream out(cue);
    for (const auto& line : img.discLines) out << line << "\n";
    out << "FILE \"" << name << ".bin\" BINARY\n";
    for (std::size_t i = 0; i < img.tracks.size(); ++i) {
        const auto& t = img.tracks[i];
        char num[24];
        std::snprintf(num, sizeof num, "%02zu", i + 1);
        out << "  TRACK " << num << " " << t.type << "\n";
        if (t.title) out << "    TITLE \"" << t.title << "\"\n";
        if (t.performer) out << "    PERFORMER \"" << t.performer << "\"\n";
        out << "    INDEX 01 " << cueTime(t.start) << "\n";
    }
    return cue.string();
}

Toc expectedToc(const Image& img) {
    Toc toc;
    for (const auto& t : img.tracks)
        toc.tracks.push_back({t.start + 150, std::strcmp(t.type, "AUDIO") != 0});
    toc.leadOut = img.sectors + 150;
    return toc;
}

TEST(LibcdioImage, AudioDiscsOfOneTwoAndManyTracks) {
    test::TestDir dir;
    struct Case {
        const char* name;
        Image image;
    };
    const Case cases[] = {
        {"one", {{{"AUDIO", 0}}, msf(3, 0, 0), {}, {}}},
        {"two", {{{"AUDIO", 0}, {"AUDIO", msf(2, 10, 33)}}, msf(4, 0, 0), {}, {}}},
        {"five",
         {{{"AUDIO", 0}, {"AUDIO", 4000}, {"AUDIO", 9001}, {"AUDIO", 15074}, {"AUDIO", 20000}},
          27777,
          {},
          {}}},
    };
    for (const auto& c : cases) {
        const std::string cue = writeImage(dir, c.name, c.image);
        const Toc toc = expectedToc(c.image);
        LibcdioDevice dev;
        DriveCBChange(dev, cue);
        ASSERT_TRUE(dev.isOpen()) << c.name;
        EXPECT_EQ(dev.mode(), CdMode::Stopped) << c.name;
        EXPECT_EQ(dev.tracks(), static_cast<int>(c.image.tracks.size())) << c.name;
        EXPECT_EQ(dev.length(), packedFromFrames(c.image.sectors - 1)) << c.name;
        for (int t = 1; t <= dev.tracks(); ++t)
            EXPECT_EQ(dev.trackLength(t), packedFromFrames(trackLengthFrames(toc, t)))
                << c.name << " " << t;
        EXPECT_EQ(dev.volumeSerial(cue), audioVolumeSerial(toc)) << c.name;
        EXPECT_EQ(NactiSN(dev),
                  composeIdentity(static_cast<int>(c.image.tracks.size()),
                                  packedFromFrames(c.image.sectors - 1), audioVolumeSerial(toc)))
            << c.name;
    }
}

TEST(LibcdioImage, CdrdaoTocGivesTheSameIdentityAsTheCueSheet) {
    test::TestDir dir;
    const Image img{{{"AUDIO", 0}, {"AUDIO", msf(2, 10, 33)}}, msf(4, 0, 0), {}, {}};
    const std::string cue = writeImage(dir, "same", img);
    const auto toc = dir.path() / "same.toc";
    std::ofstream(toc) << "CD_DA\nTRACK AUDIO\nFILE \"same.bin\" 0 02:10:33\n"
                       << "TRACK AUDIO\nFILE \"same.bin\" 02:10:33 01:49:42\n";
    LibcdioDevice dev;
    dev.open(cue);
    const std::string fromCue = NactiSN(dev);
    DriveCBChange(dev, toc.string());
    ASSERT_TRUE(dev.isOpen());
    EXPECT_EQ(NactiSN(dev), fromCue);
    // Serial 0x000200 + 0x020C21 + (18150 - 150); length 03:59:74 packs to 0x4A3B03.
    EXPECT_EQ(fromCue, "2-4864771-152689");
    const TrackReadout r = readTracks(dev);
    EXPECT_EQ(r.totalSeconds, 239);
    EXPECT_EQ(r.trackSeconds, (std::vector<int>{130, 109}));
}

TEST(LibcdioImage, DataTracksAndVolumeDescriptors) {
    test::TestDir dir;
    const Sector primary = descriptor(1, nullptr, 0x21);
    const Sector joliet = descriptor(2, "%/E", 0x42);
    const Sector terminator = descriptor(255, nullptr, 0);
    const std::uint32_t dataStart = 3000;
    struct Case {
        const char* name;
        Image image;
        std::uint32_t (*serial)(const Toc&, const Sector&, const Sector&);
        int audioTracks;
        std::uint32_t lastAudioFrames;  // the last audio track ends where the data begins
    };
    const Case cases[] = {
        {"mixed",
         {{{"MODE1/2352", 0}, {"AUDIO", 1000}, {"AUDIO", 2000}},
          4000,
          {{16, primary}, {17, joliet}, {18, terminator}},
          {}},
         [](const Toc&, const Sector&, const Sector& j) { return descriptorChecksum(j); },
         2,
         1999},
        {"enhanced",
         {{{"AUDIO", 0}, {"AUDIO", 1500}, {"MODE1/2352", dataStart}},
          5000,
          {{dataStart + 16, primary}, {dataStart + 17, terminator}},
          {}},
         [](const Toc&, const Sector& p, const Sector&) { return descriptorChecksum(p); },
         2,
         1499},
        {"enhanced, XA data session",
         {{{"AUDIO", 0}, {"AUDIO", 1500}, {"MODE2/2352", dataStart}},
          5000,
          {{dataStart + 16, primary}, {dataStart + 17, joliet}, {dataStart + 18, terminator}},
          {},
          true},
         [](const Toc&, const Sector&, const Sector& j) { return descriptorChecksum(j); },
         2,
         1499},
        {"data without descriptor",
         {{{"AUDIO", 0}, {"MODE1/2352", dataStart}}, 5000, {{dataStart + 1, primary}}, {}},
         [](const Toc& toc, const Sector&, const Sector&) { return audioVolumeSerial(toc); },
         1,
         2999},
    };
    for (const auto& c : cases) {
        const std::string cue = writeImage(dir, c.name, c.image);
        const Toc toc = expectedToc(c.image);
        LibcdioDevice dev;
        DriveCBChange(dev, cue);
        ASSERT_TRUE(dev.isOpen()) << c.name;
        EXPECT_EQ(dev.tracks(), c.audioTracks) << c.name;
        EXPECT_EQ(dev.volumeSerial(cue), c.serial(toc, primary, joliet)) << c.name;
        EXPECT_EQ(dev.trackLength(dev.tracks()), packedFromFrames(c.lastAudioFrames)) << c.name;
    }
}

TEST(LibcdioImage, DiscsWithoutAudioAreRefusedInCzech) {
    test::TestDir dir;
    const Sector primary = descriptor(1, nullptr, 0x21);
    const Sector terminator = descriptor(255, nullptr, 0);
    Image iso{{{"MODE1/2352", 0}}, 3000, {{16, primary}, {17, terminator}}, {}};
    Image vcd{{{"MODE2/2352", 0}, {"MODE2/2352", 1000}}, 3000, {{16, primary}}, {}, true};
    for (const auto& [name, img] : {std::pair{"iso", iso}, std::pair{"vcd", vcd}}) {
        LibcdioDevice dev;
        dev.open(writeImage(dir, name, img));
        try {
            NactiSN(dev);
            ADD_FAILURE() << name << " read as an audio CD";
        } catch (const CdError& e) {
            EXPECT_STREQ(e.what(), kDataDisc) << name;
        }
        EXPECT_THROW(readTracks(dev), CdError) << name;
    }
}

TEST(LibcdioImage, TheCueSheetsFileLineNamesTheDataFile) {
    test::TestDir dir;
    const Image img{{{"AUDIO", 0}, {"AUDIO", msf(2, 10, 33)}}, msf(4, 0, 0), {}, {}};
    const std::string cue = writeImage(dir, "sheet", img);
    std::filesystem::rename(dir.path() / "sheet.bin", dir.path() / "CDDA.BIN");
    std::string named = "sheet.bin";
    const auto sheetNaming = [&](const std::string& file) {
        std::string text = test::readFile(cue);
        text.replace(text.find(named), named.size(), file);
        test::writeFile(cue, text);
        named = file;
    };
    sheetNaming("cdda.bin");  // letter case ignored
    LibcdioDevice dev;
    DriveCBChange(dev, cue);
    ASSERT_TRUE(dev.isOpen()) << dev.errorText();
    EXPECT_EQ(NactiSN(dev), "2-4864771-152689");
    EXPECT_EQ(readTracks(dev).trackSeconds, (std::vector<int>{130, 109}));

    sheetNaming("chybi.bin");
    try {
        dev.open(cue);
        ADD_FAILURE() << "opened without its data file";
    } catch (const CdError& e) {
        EXPECT_NE(std::string(e.what()).find("chybí datový soubor „chybi.bin“"), std::string::npos)
            << e.what();
    }
}

TEST(LibcdioImage, ACdrdaoTocWithSilenceIsRefusedNotReadAsEmpty) {
    test::TestDir dir;
    writeImage(dir, "ticho", {{{"AUDIO", 0}}, msf(1, 0, 0), {}, {}});
    const auto toc = dir.path() / "ticho.toc";
    std::ofstream(toc) << "CD_DA\n// SILENCE in a comment is fine\nTRACK AUDIO\n"
                       << "SILENCE 00:02:00\nFILE \"ticho.bin\" 0 00:58:00\n";
    LibcdioDevice dev;
    try {
        dev.open(toc.string());
        ADD_FAILURE() << "a TOC with SILENCE opened";
    } catch (const CdError& e) {
        EXPECT_NE(std::string(e.what()).find("SILENCE"), std::string::npos) << e.what();
    }
    std::ofstream(toc) << "CD_DA\n// SILENCE in a comment is fine\nTRACK AUDIO\n"
                       << "FILE \"ticho.bin\" 0 00:58:00\n";
    EXPECT_NO_THROW(dev.open(toc.string()));
}

TEST(LibcdioImage, CdTextFromTheCueSheet) {
    test::TestDir dir;
    Image img{
        {{"AUDIO", 0, "Úvod", "Kapela"}, {"AUDIO", 2000, "Druhá píseň", "Host"}}, 4000, {}, {}};
    img.discLines = {"TITLE \"Žluté album\"", "PERFORMER \"Kapela\""};
    const std::string withText = writeImage(dir, "text", img);
    const std::string plain =
        writeImage(dir, "plain", {{{"AUDIO", 0}, {"AUDIO", 2000}}, 4000, {}, {}});

    LibcdioDevice dev;
    dev.open(withText);
    const CdText text = dev.cdText();
    EXPECT_EQ(text.title, "Žluté album");
    EXPECT_EQ(text.performer, "Kapela");
    ASSERT_EQ(text.tracks.size(), 2u);
    EXPECT_EQ(text.tracks[0].title, "Úvod");
    EXPECT_EQ(text.tracks[1].title, "Druhá píseň");
    EXPECT_EQ(text.tracks[1].performer, "Host");

    dev.open(plain);
    EXPECT_TRUE(dev.cdText().empty());
}

TEST(LibcdioImage, FailuresLeaveTheDeviceClosedWithATextNamingTheFile) {
    test::TestDir dir;
    const std::string notAnImage = (dir.path() / "notes.txt").string();
    std::ofstream(notAnImage) << "hello";
    const std::string truncated = writeImage(dir, "cut", {{{"AUDIO", 0}}, 1000, {}, {}});
    std::filesystem::remove(dir.path() / "cut.bin");
    const std::string missing = (dir.path() / "missing.cue").string();

    for (const std::string& source : {missing, notAnImage, truncated, dir.str()}) {
        LibcdioDevice dev;
        try {
            dev.open(source);
            ADD_FAILURE() << source << " opened";
        } catch (const CdError& e) {
            EXPECT_NE(std::string(e.what()).find(source), std::string::npos) << e.what();
            EXPECT_EQ(dev.errorText(), e.what());
        }
        EXPECT_FALSE(dev.isOpen());
        try {
            dev.length();
            ADD_FAILURE() << "expected an error";
        } catch (const CdError& e) {
            EXPECT_STREQ(e.what(), kNoDeviceOpen);
        }
    }
}

TEST(LibcdioImage, ChoosingADirectoryClosesTheDevice) {
    test::TestDir dir;
    const std::string cue = writeImage(dir, "disc", {{{"AUDIO", 0}}, 1000, {}, {}});
    LibcdioDevice dev;
    dev.open(cue);
    ASSERT_TRUE(dev.isOpen());
    EXPECT_EQ(dev.driveType(cue), DriveType::CdRom);
    EXPECT_NE(dev.driveType(dir.str()), DriveType::CdRom);
    EXPECT_EQ(dev.driveType((dir.path() / "none").string()), DriveType::NoRootDir);
    EXPECT_TRUE(dev.hasReadableMedium(dir.str()));
    DriveCBChange(dev, dir.str());
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(dev.mode(), CdMode::NotReady);
    EXPECT_THROW(dev.tracks(), CdError);
    EXPECT_EQ(dev.volumeSerial(dir.str()), 0u);
}

TEST(LibcdioImage, ImageRemovedWhileOpenReadsAsNoDisc) {
    test::TestDir dir;
    const std::string cue = writeImage(dir, "gone", {{{"AUDIO", 0}}, 1000, {}, {}});
    LibcdioDevice dev;
    dev.open(cue);
    std::filesystem::remove(cue);
    EXPECT_EQ(dev.mode(), CdMode::Open);
    EXPECT_EQ(NactiSN(dev), "");
}

TEST(LibcdioImage, PlayerButtonsAreNotSupportedForImages) {
    test::TestDir dir;
    const std::string cue = writeImage(dir, "disc", {{{"AUDIO", 0}}, 1000, {}, {}});
    LibcdioDevice dev;
    dev.open(cue);
    for (auto button :
         {&CdDevice::play, &CdDevice::stop, &CdDevice::next, &CdDevice::previous, &CdDevice::eject})
        EXPECT_THROW((dev.*button)(), CdError);
    EXPECT_TRUE(dev.isOpen());
}

TEST(LibcdioMachine, DriveListAndDefaultDeviceOfThisMachine) {
    const auto list = listDrives();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().kind, DriveEntry::Kind::Image);
    bool fileSystems = false;
    for (const auto& e : list) {
        if (e.kind == DriveEntry::Kind::CdDrive) {
            EXPECT_FALSE(fileSystems) << "CD drives come first";
        }
        if (e.kind == DriveEntry::Kind::FileSystem) fileSystems = true;
    }
    LibcdioDevice dev;
    if (!LibcdioDevice::defaultDrive().empty()) GTEST_SKIP() << "this machine has a CD drive";
    // Without any drive the default device stays closed instead of failing the form.
    EXPECT_NO_THROW(dev.open(""));
    EXPECT_FALSE(dev.isOpen());
    EXPECT_EQ(dev.mode(), CdMode::NotReady);
    EXPECT_THROW(NactiSN(dev), CdError);
}

TEST(LibcdioImage, UsedOnlyFromItsOwnThread) {
    LibcdioDevice dev;
    bool threw = false;
    std::thread other([&] {
        try {
            dev.mode();
        } catch (const std::logic_error&) {
            threw = true;
        }
    });
    other.join();
    EXPECT_TRUE(threw);
}

}  // namespace
}  // namespace lorvika

namespace lorvika {
namespace {

TEST(CdTextEncoding, DoubleEncodedTextIsRepairedOtherTextKept) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"\xC3\x85\xC2\xBDlut\xC3\x83\xC2\xA9", "\xC5\xBDlut\xC3\xA9"},  // "Žluté" encoded twice
        {"Caf\xC3\xA9", "Caf\xC3\xA9"},                                  // genuine Latin-1 "Café"
        {"plain", "plain"},
        {"", ""},
        {"\xC5\xBDlu\xC5\xA5",
         "\xC5\xBDlu\xC5\xA5"},    // already right: "Žluť" has letters above 0xFF
        {"\xC3\x83", "\xC3\x83"},  // "Ã" alone: 0xC3 is no complete sequence
        {"\xFF\xFE", "\xFF\xFE"},  // not UTF-8 at all
    };
    for (const auto& c : cases) EXPECT_EQ(undoDoubleUtf8(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace lorvika
