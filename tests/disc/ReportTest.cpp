#include <gtest/gtest.h>

#include <sstream>

#include "disc/DiscIdentity.h"
#include "disc/DiscIds.h"
#include "disc/DiscReport.h"
#include "disc/FakeCdDevice.h"
#include "disc/Readout.h"
#include "support/DiscData.h"

namespace lorvika {
namespace {

using test::msf;

FakeDisc threeTracks() {
    Toc toc;
    toc.tracks = {{150, false}, {150 + msf(3, 25, 40), false}, {150 + msf(7, 0, 0), false}};
    toc.leadOut = 150 + msf(10, 1, 0);
    return FakeDisc{toc, 305441741u, {}};
}

struct ReportRun {
    int status;
    std::string out, err;
};

ReportRun report(FakeCdDevice& dev, const std::string& source) {
    std::ostringstream out, err;
    const int status = writeDiscReport(dev, source, out, err);
    return {status, out.str(), err.str()};
}

TEST(DiscReport, LinesOfADisc) {
    FakeCdDevice dev;
    FakeDisc disc = threeTracks();
    const std::string sn = composeIdentity(3, packMsf({10, 0, 74}), 305441741u);
    const auto ids = computeDiscIds(disc.toc);
    ASSERT_TRUE(ids);
    struct Case {
        const char* name;
        CdText text;
        std::string tail;
    };
    const Case cases[] = {
        {"without CD-TEXT", {}, ""},
        {"with CD-TEXT", {"Album", "Kapela", {{"a", "b"}}}, "TITLE=Album\nPERFORMER=Kapela\n"},
        {"title only", {"Album", "", {}}, "TITLE=Album\n"},
    };
    for (const auto& c : cases) {
        disc.cdText = c.text;
        dev.drives["/dev/sr0"] = FakeDrive{DriveType::CdRom, false, disc, "", true};
        const ReportRun r = report(dev, "/dev/sr0");
        EXPECT_EQ(r.status, 0) << c.name;
        EXPECT_EQ(r.err, "") << c.name;
        EXPECT_EQ(r.out, "SN=" + sn + "\nTRACKS=3\nLENGTH=10:00\nMBID=" + ids->musicBrainz +
                             "\nFREEDB=" + ids->freedb +
                             "\nTRACK=1 03:25\nTRACK=2 03:34\nTRACK=3 03:00\n" + c.tail)
            << c.name;
    }
    EXPECT_EQ(sn, "3-4849674-305441741");
}

TEST(DiscReport, NoDiscOrNoDeviceFailsWithAMessageAndNoReport) {
    struct Case {
        const char* name;
        FakeDrive drive;
        std::string err;
    };
    FakeDrive doorOpen{DriveType::CdRom, true, threeTracks(), "", true};
    FakeDrive empty{};
    FakeDrive busy{DriveType::CdRom, false, threeTracks(), "Mechanika je používána jiným programem",
                   true};
    const Case cases[] = {
        {"door open", doorOpen, std::string(kNoAudioCd) + "\n"},
        {"no disc", empty, std::string(kNoAudioCd) + "\n"},
        {"busy", busy, "Mechanika je používána jiným programem\n"},
    };
    for (const auto& c : cases) {
        FakeCdDevice dev;
        dev.drives["/dev/sr0"] = c.drive;
        const ReportRun r = report(dev, "/dev/sr0");
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        EXPECT_EQ(r.err, c.err) << c.name;
    }
}

}  // namespace
}  // namespace lorvika
