// Entry point of every test program.  Under Wine it first makes sure the ANSI
// code page is 932: without the ja_JP.UTF-8 locale Wine silently falls back
// to 1252 and every double-byte test would pass or fail for the wrong reason.
#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    if (GetACP() != 932) {
        std::fprintf(stderr, "ANSI code page is %u, not 932: generate the ja_JP.UTF-8 locale and set LANG\n",
                     GetACP());
        return 2;
    }
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
