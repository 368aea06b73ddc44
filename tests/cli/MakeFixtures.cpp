// Writes the catalogues the command-line checks need and the tool cannot
// capture: one without a name (as from an unlabelled volume), the crafted
// ones that once made `find` exhaust memory or run for ever, and ones with
// fixed times and names that CSV and JSON must quote; with --page, the
// catalogues of the web page's checks.
#include "tests/core/CatalogBuilder.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

cataloom::EntryData Timed(const std::string& name, std::uint64_t size, std::uint64_t created, std::uint64_t written,
                          std::uint32_t attributes) {
    cataloom::EntryData e = cataloom::test::File(name, size, attributes);
    e.creationTime = created;
    e.writeTime = written;
    return e;
}

}  // namespace

namespace {

// Names with a comma, quotes, a line break and double-byte characters whose
// second byte is 0x5C (ソ, 表); a file of unknown times, one on a whole
// second, one in 1601.
bool WriteAwkward(const std::string& path) {
    using namespace cataloom;
    CatalogHeader header = test::MakeHeader("Disc, one");
    return test::WriteCatalog(path, header,
                              {{"", 0,
                                {test::Dir("ソ"), test::File("a,b.txt", 1), test::File("say \"hi\".txt", 2),
                                 Timed("line\nbreak", 3, 0, 0, 0x20),
                                 Timed("whole", 4, 116444736000000000ULL, 125963012960000000ULL, 0x23)}},
                               {"ソ", 0, {Timed("表.txt", 10, 1, 2, 0x80)}}});
}

// Names no capture writes: a path, a formula, "..", a terminal escape, a cut
// double-byte character.
bool WriteHostile(const std::string& path) {
    using namespace cataloom;
    CatalogHeader header = test::MakeHeader("R");
    return test::WriteCatalog(path, header,
                              {{"", 0,
                                {test::File("C:\\Windows\\system32\\calc.exe", 1), test::File("=cmd|' /C calc'!A0", 2),
                                 test::Dir(".."), test::File("\x1b[2Jclear\nnext", 3), test::File("cut\x81", 4),
                                 test::File("+1", 5), test::File("@sum", 6)}},
                               {"..", 0, {test::File("x", 7)}}});
}

// A sound catalogue whose paths pass 260 bytes: a 274-byte fifth-level
// directory and a 259-byte file name.
bool WriteLong(const std::string& path) {
    using namespace cataloom;
    const std::string level(54, 'd');
    CatalogHeader header = test::MakeHeader("L");
    return test::WriteCatalog(path, header,
                              {{"", 0, {test::Dir(level + "1", 1)}},
                               {level + "1", 0, {test::Dir(level + "2", 1)}},
                               {level + "2", 1, {test::Dir(level + "3", 1)}},
                               {level + "3", 2, {test::Dir(level + "4", 1)}},
                               {level + "4", 3, {test::Dir(level + "5")}},
                               {level + "5", 4, {test::File(std::string(259, 'n'), 8)}}});
}

// Names that would run script or leave their text if a page took them as
// markup, in a catalogue whose own name and file system text try the same;
// a directory of such a name holds one more.
bool WriteMarkupNames(const std::string& path) {
    using namespace cataloom;
    CatalogHeader header = test::MakeHeader("<i>cat</i>\"'");
    std::strcpy(header.fileSystem, "<svg onload=x>");
    return test::WriteCatalog(
        path, header,
        {{"", 0,
          {test::Dir("<b>dir</b>"), test::File("<script>window.pwned=1</script>", 1),
           test::File("\"><img src=x onerror=\"window.pwned=2\">", 2),
           test::File("</script><script>window.pwned=3</script>", 3), test::File("javascript:window.pwned=4", 4),
           test::File("' onmouseover='window.pwned=5", 5), test::File("ctl\x01\x1b[31mred\x7f", 6),
           test::File("&lt;amp&amp;", 7), test::File("<!--", 8), test::File("]]>", 9)}},
         {"<b>dir</b>", 0, {test::File("<style>*{display:none}</style>", 10)}}});
}

// 3,000 files in one directory, sizes and times in no order, for sorting
// and for a list much longer than the window.
bool WriteManyFiles(const std::string& path) {
    using namespace cataloom;
    CatalogHeader header = test::MakeHeader("long");
    std::vector<EntryData> files;
    for (unsigned i = 0; i < 3000; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "file%04u.%s", i, i % 3 == 0 ? "txt" : "dat");
        files.push_back(Timed(name, (i * 7919u) % 3001u, 0, 0x01D9000000000000ULL + (i * 104729u % 3000u) * 10000000ULL,
                              0x20));
    }
    return test::WriteCatalog(path, header, {{"", 0, {test::Dir("many")}}, {"many", 0, files}});
}

}  // namespace

int main(int argc, char** argv) {
    using namespace cataloom;
    // The web page's checks (tests/html) take catalogues of their own.
    if (argc == 3 && std::strcmp(argv[1], "--page") == 0) {
        const std::string folder = std::string(argv[2]) + "\\";
        bool written = WriteMarkupNames(folder + "hostile-markup.vmf") && WriteManyFiles(folder + "long-list.vmf");
        if (!written) std::fputs("cli_fixtures: cannot write the catalogues\n", stderr);
        return written ? 0 : 1;
    }
    if (argc != 2) {
        std::fputs("usage: cli_fixtures FOLDER | --page FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "\\";
    CatalogHeader nameless = test::MakeHeader("");
    bool written = test::WriteCatalog(folder + "nameless.vmf", nameless,
                                      {{"", 0, {test::Dir("sub", 1), test::File("top.txt", 1)}},
                                       {"sub", 0, {test::Dir("deep"), test::File("inner.txt", 2)}},
                                       {"deep", 1, {test::File("leaf.txt", 3)}}}) &&
                   test::WriteHugeListCatalog(folder + "huge.vmf") &&
                   WriteAwkward(folder + "awkward.vmf") &&
                   test::WriteLoopingCatalog(folder + "loop.vmf", 60, true) &&
                   test::WriteLoopingCatalog(folder + "loop30.vmf", 30, false) &&
                   WriteHostile(folder + "hostile.vmf") && WriteLong(folder + "long.vmf");
    if (!written) std::fputs("cli_fixtures: cannot write the catalogues\n", stderr);
    return written ? 0 : 1;
}
