#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "store/Paths.h"
#include "support/TestDir.h"

using namespace lorvika;

namespace {

TEST(Paths, ChoiceOfProgramDirectory) {
    struct Case {
        DirectoryFacts facts;
        std::string expected;
    };
    const Case cases[] = {
        {{"/opt/l/", "/usr/bin", true, true, "/x", "/home/u"}, "/opt/l"},
        {{"", "/srv/lorvika/", true, false, "/x", "/home/u"}, "/srv/lorvika"},
        {{"", "/usr/bin", false, true, "/data", "/home/u"}, "/data/lorvika"},
        {{"", "/usr/bin", false, false, "/data/", "/home/u"}, "/data/lorvika"},
        {{"", "/usr/bin", false, true, "", "/home/u"}, "/home/u/.local/share/lorvika"},
        {{"", "/usr/bin", false, true, "relative", "/home/u/"}, "/home/u/.local/share/lorvika"},
        {{"", "", true, false, "/data", "/home/u"}, "/data/lorvika"},
        // root may write /usr/bin, yet an installed program keeps its files in the home
        {{"", "/usr/bin", true, true, "", "/root"}, "/root/.local/share/lorvika"},
    };
    for (const Case& c : cases) EXPECT_EQ(chooseProgramDirectory(c.facts), c.expected);
}

TEST(Paths, LorvikaHomeWinsAndIsCreated) {
    test::TestDir dir;
    const std::filesystem::path home = dir.path() / "new" / "home";
    ::setenv("LORVIKA_HOME", (home.string() + "/").c_str(), 1);
    EXPECT_EQ(programDirectory(), home.string());
    EXPECT_TRUE(std::filesystem::is_directory(home));
    EXPECT_EQ(programIniPath(), home.string() + "/lorvika.ini");
    EXPECT_EQ(engineConfigPath(), home.string() + "/lorvika-engine.ini");
}

}  // namespace
