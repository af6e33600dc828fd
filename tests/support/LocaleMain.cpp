// The test programs' main. LORVIKA_TEST_LOCALE names a locale the whole process runs under, as a
// user's desktop sets it (Qt adopts it for the C library when the application object is made):
// under cs_CZ.UTF-8 the C library's decimal point is a comma, which no table may ever see.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (const char* name = std::getenv("LORVIKA_TEST_LOCALE"); name && *name) {
        // The application object reads the locale from the environment again.
        ::setenv("LC_ALL", name, 1);
        if (!std::setlocale(LC_ALL, name)) {
            std::fprintf(stderr, "locale %s is not installed (scripts/deps.sh makes it)\n", name);
            return 1;
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
