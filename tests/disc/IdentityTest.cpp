#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "disc/DiscIdentity.h"
#include "disc/Toc.h"
#include "support/DiscData.h"

namespace lorvika {
namespace {

Toc audioToc(std::vector<std::uint32_t> starts, std::uint32_t leadOut) {
    Toc toc;
    for (auto s : starts) toc.tracks.push_back({s, false});
    toc.leadOut = leadOut;
    return toc;
}

using test::msf;

TEST(Identity, ComposedFromTracksLengthAndSignedSerial) {
    struct Case {
        int tracks;
        std::uint32_t length;
        std::uint32_t serial;
        const char* expected;
    };
    const Case cases[] = {
        {12, 794157, 305441741u, "12-794157-305441741"},
        {12, 794157, 3237998080u, "12-794157--1056969216"},
        {1, 0, 0, "1-0-0"},
        {99, 4999, 0x80000000u, "99-4999--2147483648"},
        {3, 70, 0xFFFFFFFFu, "3-70--1"},
        // Longer than the field: cut to its first 30 characters.
        {1234567890, 4294967295u, 0x80000000u, "1234567890-4294967295--2147483"},
    };
    for (const auto& c : cases) {
        const std::string id = composeIdentity(c.tracks, c.length, c.serial);
        EXPECT_EQ(id, c.expected) << c.tracks << " " << c.length << " " << c.serial;
        EXPECT_LE(id.size(), kIdentityWidth);
    }
}

TEST(Msf, PackedValuesAndWholeSeconds) {
    struct Case {
        Msf msf;
        std::uint32_t packed;
        int seconds;
    };
    const Case cases[] = {
        {{45, 30, 12}, 794157, 2730},   {{3, 25, 40}, 0x281903, 205},  // frames never add a second
        {{74, 59, 74}, 0x4A3B4A, 4499}, {{0, 0, 74}, 0x4A0000, 0},    {{0, 2, 0}, 0x0200, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(packMsf(c.msf), c.packed);
        EXPECT_EQ(packedSeconds(c.packed), c.seconds);
        EXPECT_EQ(msfMinutes(c.packed), c.msf.minutes);
        EXPECT_EQ(msfSeconds(c.packed), c.msf.seconds);
        EXPECT_EQ(msfFrames(c.packed), c.msf.frames);
        EXPECT_EQ(msfFromFrames(framesFromMsf(c.msf)), c.msf);
    }
    EXPECT_EQ(packedFromFrames(msf(45, 30, 12)), 794157u);
    EXPECT_EQ(packedLengthText(794157), "45:30");
    EXPECT_EQ(packedLengthText(packMsf({3, 5, 74})), "03:05");
    EXPECT_EQ(minSecText(0, 0), "00:00");
    EXPECT_EQ(minSecText(100, 9), "100:09");
}

TEST(Toc, TrackAndDiscLengthsEndOneFrameBeforeTheLeadOut) {
    struct Case {
        Toc toc;
        std::vector<std::uint32_t> trackFrames;
        std::uint32_t discFrames;
    };
    Toc numberedFrom3 = audioToc({150, 10150}, 20150);
    numberedFrom3.firstTrack = 3;
    const Case cases[] = {
        {audioToc({150}, msf(3, 2, 0)), {msf(3, 0, 0) - 1}, msf(3, 0, 0) - 1},
        {audioToc({150, 15000, 30000}, 45000), {14850, 15000, 14999}, 44849},
        {audioToc({182, 1000}, 1002), {818, 1}, 819},
        {numberedFrom3, {10000, 9999}, 19999},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(tocTrackCount(c.toc), static_cast<int>(c.trackFrames.size()));
        for (std::size_t i = 0; i < c.trackFrames.size(); ++i)
            EXPECT_EQ(trackLengthFrames(c.toc, c.toc.firstTrack + static_cast<int>(i)),
                      c.trackFrames[i]);
        EXPECT_EQ(discLengthFrames(c.toc), c.discFrames);
    }
    EXPECT_THROW(trackLengthFrames(numberedFrom3, 1), std::out_of_range);
    EXPECT_THROW(trackLengthFrames(numberedFrom3, 5), std::out_of_range);
}

TEST(Toc, BrokenContentsAreRejected) {
    const Toc broken[] = {
        audioToc({}, 1000),
        audioToc({150, 150}, 1000),
        audioToc({150, 5000, 4000}, 9000),
        audioToc({150, 5000}, 5001),
    };
    for (const auto& toc : broken) {
        EXPECT_THROW(toc.validate(), std::invalid_argument);
        EXPECT_THROW(discLengthFrames(toc), std::invalid_argument);
        EXPECT_THROW(audioVolumeSerial(toc), std::invalid_argument);
    }
}

TEST(AudioSerial, SumOfTrackStartsPlusSpanForShortDiscs) {
    struct Case {
        const char* name;
        Toc toc;
        std::uint32_t serial;
    };
    Toc withData = audioToc({150, msf(5, 2, 0), msf(10, 2, 0)}, msf(20, 2, 0));
    withData.tracks[2].data = true;
    const Case cases[] = {
        // A start adds M x 65536 + S x 256 + F: 00:02:00 adds 0x000200. The span 03:00:00 is 13500
        // frames.
        {"one track", audioToc({150}, msf(3, 2, 0)), 13500 + 0x000200},
        {"two tracks", audioToc({150, msf(5, 2, 0)}, msf(10, 2, 0)), 45000 + 0x000200 + 0x050200},
        {"three tracks", audioToc({150, msf(5, 2, 0), msf(10, 2, 0)}, msf(20, 2, 0)),
         0x000200 + 0x050200 + 0x0A0200},
        {"data track counts", withData, 0x000200 + 0x050200 + 0x0A0200},
        {"frames and seconds",
         audioToc({msf(0, 2, 33), msf(4, 17, 74), msf(9, 59, 1), msf(61, 0, 50)}, msf(70, 0, 0)),
         0x000221 + 0x04114A + 0x093B01 + 0x3D0032},
    };
    for (const auto& c : cases) EXPECT_EQ(audioVolumeSerial(c.toc), c.serial) << c.name;
}

TEST(Identity, WorkedExamplesOfDiscIdentityDoc) {
    struct Case {
        Toc toc;
        const char* identity;
        std::vector<std::uint32_t> packedTracks;
    };
    const Case cases[] = {
        {audioToc({msf(0, 2, 0), msf(4, 12, 37), msf(9, 1, 5)}, msf(13, 45, 20)),
         "3-1256205-855850",
         {packMsf({4, 10, 37}), packMsf({4, 48, 43}), packMsf({4, 44, 14})}},
        {audioToc({msf(0, 2, 0)}, msf(52, 10, 3)), "1-133172-235115", {packMsf({52, 8, 2})}},
        {audioToc({msf(0, 2, 0), msf(2, 12, 33)}, msf(4, 2, 0)),
         "2-4864771-152689",
         {packMsf({2, 10, 33}), packMsf({1, 49, 41})}},
    };
    for (const auto& c : cases) {
        const std::uint32_t length = packedFromFrames(discLengthFrames(c.toc));
        EXPECT_EQ(composeIdentity(tocTrackCount(c.toc), length, audioVolumeSerial(c.toc)),
                  c.identity);
        for (std::size_t i = 0; i < c.packedTracks.size(); ++i)
            EXPECT_EQ(packedFromFrames(trackLengthFrames(c.toc, static_cast<int>(i) + 1)),
                      c.packedTracks[i])
                << c.identity << " track " << i + 1;
    }
}

using test::descriptor;
using test::Sector;

TEST(DescriptorChecksum, ByteLanesCountDownFromTheTopByte) {
    Sector s{};
    s[0] = 1, s[1] = 2, s[2] = 3, s[3] = 4;
    EXPECT_EQ(descriptorChecksum(s), 0x01020304u);
    s = {};
    s[0] = 0x80, s[4] = 0x80, s[2047] = 0x05;  // a lane wraps without carrying into the next
    EXPECT_EQ(descriptorChecksum(s), 0x00000005u);
    s.fill(1);  // 512 bytes per lane
    EXPECT_EQ(descriptorChecksum(s), 0u);
    s = {};
    s[0] = 1;
    std::memcpy(s.data() + 1, "CD001", 5);
    s[6] = 1;
    EXPECT_EQ(descriptorChecksum(s), 0x31744530u);
    std::memcpy(s.data() + 40, "MUJ_DISK", 8);
    EXPECT_EQ(descriptorChecksum(s), 0xC212E2DAu);
    EXPECT_EQ(composeIdentity(12, 794157, descriptorChecksum(s)), "12-794157--1038949670");
}

struct FakeSectors {
    std::map<std::uint32_t, Sector> sectors;
    std::vector<std::uint32_t> reads;
    SectorReader reader() {
        return [this](std::uint32_t lsn, std::span<std::uint8_t, kSectorSize> out) {
            reads.push_back(lsn);
            const auto it = sectors.find(lsn);
            if (it == sectors.end()) return false;
            std::copy(it->second.begin(), it->second.end(), out.begin());
            return true;
        };
    }
};

TEST(VolumeSerial, PicksTheActiveDescriptorOfTheDisc) {
    const Sector primary = descriptor(1, nullptr, 0x11);
    const Sector joliet = descriptor(2, "%/E", 0x22);
    const Sector plainSupplementary = descriptor(2, "ABC", 0x33);
    const Sector boot = descriptor(0, nullptr, 0x44);
    const Sector terminator = descriptor(255);
    const Sector session2Primary = descriptor(1, nullptr, 0x55);

    Toc mixed = audioToc({150, msf(20, 0, 0)}, msf(40, 0, 0));
    mixed.tracks[0].data = true;
    const std::uint32_t dataStart = msf(30, 0, 0);
    Toc enhanced = audioToc({150, msf(10, 0, 0), dataStart}, msf(40, 0, 0));
    enhanced.tracks[2].data = true;
    const std::uint32_t s2 = dataStart - 150;

    struct Case {
        const char* name;
        Toc toc;
        std::map<std::uint32_t, Sector> sectors;
        std::optional<std::uint32_t> lastSession;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"primary only", mixed, {{16, primary}, {17, terminator}}, {}, descriptorChecksum(primary)},
        {"joliet wins",
         mixed,
         {{16, primary}, {17, joliet}, {18, terminator}},
         {},
         descriptorChecksum(joliet)},
        {"joliet after a boot record",
         mixed,
         {{16, primary}, {17, boot}, {18, joliet}, {19, terminator}},
         {},
         descriptorChecksum(joliet)},
        {"supplementary that is not joliet",
         mixed,
         {{16, primary}, {17, plainSupplementary}, {18, terminator}},
         {},
         descriptorChecksum(primary)},
        {"nothing after the terminator counts",
         mixed,
         {{16, primary}, {17, terminator}, {18, joliet}},
         {},
         descriptorChecksum(primary)},
        {"no descriptor: audio serial", mixed, {}, {}, audioVolumeSerial(mixed)},
        {"not ISO 9660: audio serial", mixed, {{16, Sector{}}}, {}, audioVolumeSerial(mixed)},
        {"enhanced CD, second session found from the TOC",
         enhanced,
         {{s2 + 16, session2Primary}, {s2 + 17, terminator}},
         {},
         descriptorChecksum(session2Primary)},
        {"enhanced CD, session told by the drive",
         enhanced,
         {{s2 + 16, session2Primary}, {s2 + 17, joliet}},
         s2,
         descriptorChecksum(joliet)},
        // Sector 16 lies in the audio track: it is never taken for a descriptor.
        {"descriptor in an audio track is ignored",
         enhanced,
         {{16, primary}, {17, terminator}},
         {},
         audioVolumeSerial(enhanced)},
    };
    for (const auto& c : cases) {
        FakeSectors disc{c.sectors, {}};
        EXPECT_EQ(discVolumeSerial(c.toc, disc.reader(), c.lastSession), c.expected) << c.name;
    }
}

TEST(VolumeSerial, AudioDiscReadsNoSectors) {
    FakeSectors disc;
    disc.sectors[16] = descriptor(1, nullptr, 0x11);
    const Toc toc = audioToc({150, 20000, 40000}, 60000);
    EXPECT_EQ(discVolumeSerial(toc, disc.reader(), std::nullopt), audioVolumeSerial(toc));
    EXPECT_TRUE(disc.reads.empty());
}

TEST(VolumeSerial, LastSessionIsSearchedFirst) {
    const Sector first = descriptor(1, nullptr, 0x01);
    const Sector last = descriptor(1, nullptr, 0x02);
    Toc toc = audioToc({150, msf(30, 0, 0)}, msf(40, 0, 0));
    toc.tracks[0].data = true;
    toc.tracks[1].data = true;
    const std::uint32_t s2 = msf(30, 0, 0) - 150;
    FakeSectors disc{{{16, first}, {s2 + 16, last}}, {}};
    EXPECT_EQ(discVolumeSerial(toc, disc.reader(), s2), descriptorChecksum(last));
    ASSERT_FALSE(disc.reads.empty());
    EXPECT_EQ(disc.reads.front(), s2 + 16);
    // Without the drive's word on sessions, a data track after data is no second session.
    EXPECT_EQ(discVolumeSerial(toc, disc.reader(), std::nullopt), descriptorChecksum(first));
}

}  // namespace
}  // namespace lorvika
