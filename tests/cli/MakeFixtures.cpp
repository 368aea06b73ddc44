// Writes the catalogues the command-line checks need and the tool cannot
// capture: one without a name (as from an unlabelled volume) and the crafted
// ones that once made `find` exhaust memory or run for ever.
#include "tests/core/CatalogBuilder.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    using namespace cataloom;
    if (argc != 2) {
        std::fputs("usage: cli_fixtures FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    CatalogHeader nameless = test::MakeHeader("");
    bool written = test::WriteCatalog(folder + "nameless.vmf", nameless,
                                      {{"", 0, {test::Dir("sub", 1), test::File("top.txt", 1)}},
                                       {"sub", 0, {test::Dir("deep"), test::File("inner.txt", 2)}},
                                       {"deep", 1, {test::File("leaf.txt", 3)}}}) &&
                   test::WriteHugeListCatalog(folder + "huge.vmf") &&
                   test::WriteLoopingCatalog(folder + "loop.vmf", 60, true) &&
                   test::WriteLoopingCatalog(folder + "loop30.vmf", 30, false);
    if (!written) std::fputs("cli_fixtures: cannot write the catalogues\n", stderr);
    return written ? 0 : 1;
}
