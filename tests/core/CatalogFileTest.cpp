#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/PathUtil.h"
#include "core/TemporaryFile.h"
#include "tests/core/CatalogBuilder.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <thread>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cataloom {
namespace {

using test::Dir;
using test::File;

std::uint16_t At16(const std::string& s, std::size_t i) { return Load16(s.data() + i); }
std::uint32_t At32(const std::string& s, std::size_t i) { return Load32(s.data() + i); }

TEST(CatalogFile, EmptyDirectoryGivesRootOnlyTableAndTwoZeroBytes) {
    test::TempTree tmp;
    std::string file = tmp.Path("empty.vmf");
    CatalogHeader header = test::MakeHeader("EMPTY");
    ASSERT_TRUE(test::WriteCatalog(file, header, {{"", 0, {}}}));

    std::string bytes = test::ReadWholeFile(file);
    const std::size_t table = 25 + 5 + 2;
    ASSERT_EQ(bytes.size(), 496 + table + 2);
    EXPECT_EQ(bytes.substr(0, 4), "!vmf");
    EXPECT_EQ(At32(bytes, 24), table);
    EXPECT_EQ(At32(bytes, 28), 496u);
    EXPECT_EQ(At32(bytes, 56), 0u);  // directory count
    EXPECT_EQ(At32(bytes, 60), 0u);  // file count
    EXPECT_EQ(bytes.substr(80, 6), std::string("EMPTY\0", 6));
    EXPECT_EQ(bytes.substr(336, 160), std::string(160, '\0'));
    // The root record: size, depth 1, parent 0, id 1, list at 0 of 2 bytes.
    const std::size_t r = 496;
    EXPECT_EQ(At16(bytes, r), 30u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[r + 2]), 1u);
    EXPECT_EQ(At32(bytes, r + 8), 0u);
    EXPECT_EQ(At32(bytes, r + 12), 1u);
    EXPECT_EQ(At32(bytes, r + 16), 0u);
    EXPECT_EQ(At32(bytes, r + 20), 2u);
    EXPECT_EQ(bytes.substr(r + 24, 6), std::string("EMPTY\0", 6));
    EXPECT_EQ(bytes.substr(r + 30), std::string(4, '\0'));  // table terminator, then the empty list
}

TEST(CatalogFile, TreeLayoutCountsAndTotals) {
    test::TempTree tmp;
    std::string file = tmp.Path("tree.vmf");
    CatalogHeader header = test::MakeHeader("DISC");
    // Root holds b, A, a file, and a hidden directory that is not listed.
    std::vector<test::TreeDirectory> tree = {
        {"", 0, {Dir("b"), File("z.txt", 5), Dir("A", 1), File("a", 7)}},
        {".hid", 0, {File("secret", 1000)}},
        {"A", 0, {File("one", 100), Dir("deep")}},
        {"b", 0, {File("two", 0x100000000ULL)}},
        {"deep", 2, {File("x", 11), File("y", 22)}},
    };
    ASSERT_TRUE(test::WriteCatalog(file, header, tree));
    EXPECT_EQ(header.directoryCount, 4u);
    // Every file entry, the hidden directory's "secret" included: counting
    // "entry records minus directories" would give 6, as the hidden
    // directory has a record but no entry.
    EXPECT_EQ(header.fileCount, 7u);

    CatalogHeader read;
    ASSERT_TRUE(ReadHeader(file.c_str(), &read));
    EXPECT_EQ(std::memcmp(&read, &header, sizeof(read)), 0);

    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    std::uint8_t* list = nullptr;
    ASSERT_EQ(reader.ReadEntryList("DISC", &list), kOk);
    // Sorted case-insensitively: a, A, b, z.txt; the directory A wins the tie with the file a.
    std::vector<std::pair<std::string, std::uint64_t>> seen;
    for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
        seen.emplace_back(EntryRecord::Name(e), EntryRecord::FileSize(e));
    platform::TaskFree(list);
    std::vector<std::pair<std::string, std::uint64_t>> expected = {
        {"A", 100 + 33}, {"a", 7}, {"b", 0x100000000ULL}, {"z.txt", 5}};
    EXPECT_EQ(seen, expected);
}

TEST(CatalogFile, HeaderHelpers) {
    test::TempTree tmp;
    EXPECT_TRUE(IsCatalogFileName("disc.vmf"));
    EXPECT_TRUE(IsCatalogFileName("C:\\x.y\\DISC.VMF"));
    // The name's end decides, not its first dot.
    EXPECT_TRUE(IsCatalogFileName("a.b.vmf"));
    EXPECT_TRUE(IsCatalogFileName("v1.2.vmf"));
    EXPECT_TRUE(IsCatalogFileName("Disc 1.0.Vmf"));
    EXPECT_TRUE(IsCatalogFileName("写真.vmf"));
    EXPECT_FALSE(IsCatalogFileName("disc.vmf.bak"));
    EXPECT_FALSE(IsCatalogFileName("Disc 1.0"));
    EXPECT_FALSE(IsCatalogFileName("disc.vmf\\"));
    EXPECT_FALSE(IsCatalogFileName("discvmf"));
    EXPECT_FALSE(IsCatalogFileName("vmf"));
    EXPECT_FALSE(IsCatalogFileName(nullptr));

    CatalogHeader header = test::MakeHeader("N");
    std::string file = tmp.WriteFile("h.vmf", std::string(600, 'q'));
    ASSERT_TRUE(WriteHeader(file.c_str(), &header));
    std::string bytes = test::ReadWholeFile(file);
    ASSERT_EQ(bytes.size(), 600u);  // the rest of the file is left alone
    EXPECT_EQ(bytes.substr(496), std::string(104, 'q'));
    CatalogHeader read;
    ASSERT_TRUE(ReadHeader(file.c_str(), &read));
    EXPECT_TRUE(IsCatalogHeader(&read));
    read.magic[0] = 'x';
    EXPECT_FALSE(IsCatalogHeader(&read));
    EXPECT_FALSE(IsCatalogHeader(nullptr));
    EXPECT_FALSE(ReadHeader(tmp.Path("missing.vmf").c_str(), &read));
    EXPECT_FALSE(ReadHeader(nullptr, &read));
}

TEST(CatalogFile, EntryRecordFieldsSitAtTheirOffsets) {
    EntryData entry = test::File("n.txt", 0x1122334455667788ULL, 0x21);
    entry.hasFolders = 0;
    entry.creationTime = 0x0102030405060708ULL;
    entry.writeTime = 0x1112131415161718ULL;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(AppendEntryRecord(bytes, entry));
    std::string record(bytes.begin(), bytes.end());
    ASSERT_EQ(record.size(), 37u + 5);
    EXPECT_EQ(At16(record, 0), 42u);
    EXPECT_EQ(At16(record, 2), 0u);
    EXPECT_EQ(At32(record, 4), 0x21u);
    EXPECT_EQ(At32(record, 12), 0x55667788u);  // size, low half first
    EXPECT_EQ(At32(record, 16), 0x11223344u);
    EXPECT_EQ(Load64(record.data() + 20), entry.creationTime);
    EXPECT_EQ(Load64(record.data() + 28), entry.writeTime);
    EXPECT_EQ(record.substr(36), std::string("n.txt\0", 6));

    // And read back from the same places.
    EXPECT_EQ(EntryRecord::CreationTime(bytes.data()), 0x0102030405060708ULL);
    EXPECT_EQ(EntryRecord::WriteTime(bytes.data()), 0x1112131415161718ULL);
    EXPECT_EQ(EntryRecord::FileSize(bytes.data()), 0x1122334455667788ULL);
    EXPECT_STREQ(EntryRecord::Name(bytes.data()), "n.txt");
}

// Whatever a catalogue's name leads to, only a regular file is read: a FIFO
// or a pipe would block the reader or hand it another program's data.
#ifdef _WIN32
TEST(CatalogFile, PipesAreRefusedUnread) {
    std::string name = "\\\\.\\pipe\\cataloom-test-" + std::to_string(GetCurrentProcessId()) + ".vmf";
    HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096,
                                     0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    CatalogHeader header = test::MakeHeader("P");
    // The server hands a sound header to whoever connects.
    std::thread feeder([&] {
        if (ConnectNamedPipe(server, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) {
            DWORD written = 0;
            WriteFile(server, &header, sizeof(header), &written, nullptr);
        }
    });
    CatalogHeader read;
    EXPECT_FALSE(ReadHeader(name.c_str(), &read));
    platform::File file;
    EXPECT_FALSE(file.Open(name.c_str(), platform::File::kRead, platform::File::kShareRead, true));
    // A client of our own ends the feeder's wait if nothing connected.
    HANDLE client = CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    feeder.join();
    if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
    CloseHandle(server);
}
#else
TEST(CatalogFile, FifosAndDevicesAreRefusedUnread) {
    test::TempTree tmp;
    std::string fifo = tmp.Path("fifo.vmf");
    ASSERT_EQ(mkfifo(test::NativePath(fifo).c_str(), 0600), 0);
    CatalogHeader read;
    CatalogReader reader;
    // Held open at both ends with a sound header waiting in it.
    int fd = open(test::NativePath(fifo).c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    CatalogHeader header = test::MakeHeader("F");
    ASSERT_EQ(write(fd, &header, sizeof(header)), static_cast<ssize_t>(sizeof(header)));
    EXPECT_FALSE(ReadHeader(fifo.c_str(), &read));
    EXPECT_NE(reader.Open(fifo.c_str()), kOk);
    EXPECT_FALSE(reader.IsLoaded());
    platform::File file;
    EXPECT_FALSE(file.Open(fifo.c_str(), platform::File::kRead, platform::File::kShareRead, true));
    EXPECT_FALSE(file.Open(fifo.c_str(), platform::File::kReadWrite, platform::File::kShareNone, true));
    CatalogHeader left;
    EXPECT_EQ(::read(fd, &left, sizeof(left)), static_cast<ssize_t>(sizeof(left)));  // nothing was taken
    close(fd);
    // Nobody writes to it now: a blocking open would never return.
    EXPECT_FALSE(ReadHeader(fifo.c_str(), &read));
    EXPECT_NE(reader.Open(fifo.c_str()), kOk);

    // A device reads forever and is no catalogue either.
    EXPECT_FALSE(ReadHeader("/dev/zero", &read));
    EXPECT_FALSE(file.Open("/dev/null", platform::File::kRead, platform::File::kShareRead, true));
}
#endif

TEST(CatalogFile, ReplaceHeaderPutsTheNewHeaderInPlaceThroughACopy) {
    test::TempTree tmp;
    std::string file = tmp.Path("r.vmf");
    CatalogHeader header = test::MakeHeader("古い名前");
    ASSERT_TRUE(test::WriteCatalog(file, header, {{"", 0, {Dir("d"), File("f.txt", 7)}}, {"d", 0, {File("g", 3)}}}));
    const std::string before = test::ReadWholeFile(file);

    CatalogHeader renamed;
    ASSERT_TRUE(ReadHeader(file.c_str(), &renamed));
    std::memset(renamed.name, 0, sizeof renamed.name);
    std::strcpy(renamed.name, "新しい名前");
    ASSERT_TRUE(ReplaceHeader(file.c_str(), &renamed));
    const std::string after = test::ReadWholeFile(file);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(0, 496), std::string(reinterpret_cast<const char*>(&renamed), 496));
    EXPECT_EQ(after.substr(496), before.substr(496));
    EXPECT_FALSE(path::Exists(tmp.Path("~vmf*.tmp").c_str()));
    CatalogReader reader;
    ASSERT_EQ(reader.Open(file.c_str()), kOk);
    std::uint8_t* list = nullptr;
    EXPECT_EQ(reader.ReadEntryList("新しい名前\\d", &list), kOk);
    platform::TaskFree(list);

    // Too short to hold a header, or missing: nothing changes, nothing is left.
    std::string shortFile = tmp.WriteFile("short.vmf", std::string(495, 's'));
    EXPECT_FALSE(ReplaceHeader(shortFile.c_str(), &renamed));
    EXPECT_EQ(test::ReadWholeFile(shortFile), std::string(495, 's'));
    EXPECT_FALSE(ReplaceHeader(tmp.Path("missing.vmf").c_str(), &renamed));
    EXPECT_FALSE(path::Exists(tmp.Path("missing.vmf").c_str()));
    EXPECT_FALSE(path::Exists(tmp.Path("~vmf*.tmp").c_str()));
    EXPECT_FALSE(ReplaceHeader(nullptr, &renamed));
    EXPECT_FALSE(ReplaceHeader(file.c_str(), nullptr));
}

TEST(CatalogFile, TemporaryFilesAreBesideTheTargetAndNeverShared) {
    test::TempTree tmp;
    const std::string target = tmp.Path("c.vmf");
    const std::string prefix = TemporaryCatalogPrefix(target.c_str());
    EXPECT_EQ(prefix, tmp.Path("~vmf"));

    // A name another writer holds is never opened: the next one is taken.
    const std::string theirs = tmp.WriteFile("~vmf0000ABCD.tmp", "theirs");
    std::vector<std::uint32_t> bits = {0xABCD, 0xABCD, 0x1234};
    std::size_t next = 0;
    auto fixed = [&] { return bits[std::min(next++, bits.size() - 1)]; };
    {
        TemporaryFile mine;
        ASSERT_TRUE(mine.Create(prefix, fixed));
        EXPECT_EQ(mine.Path(), tmp.Path("~vmf00001234.tmp"));
        EXPECT_EQ(mine.File().Write("mine", 4), 4u);
        EXPECT_TRUE(mine.Publish(target.c_str()));
    }
    EXPECT_EQ(test::ReadWholeFile(theirs), "theirs");
    EXPECT_EQ(test::ReadWholeFile(target), "mine");
    EXPECT_FALSE(path::Exists(tmp.Path("~vmf00001234.tmp").c_str()));

    // Every name taken: no file, and the clash is the reason.
    {
        TemporaryFile none;
        EXPECT_FALSE(none.Create(prefix, [] { return 0xABCDu; }));
        EXPECT_EQ(none.Error(), platform::IoError::kExists);
    }
    EXPECT_EQ(test::ReadWholeFile(theirs), "theirs");

    // Not published, or published where it cannot go: nothing is left.
    {
        TemporaryFile dropped;
        ASSERT_TRUE(dropped.Create(prefix));
        EXPECT_TRUE(IsTemporaryCatalogName(path::LastComponent(dropped.Path().c_str())));
        TemporaryFile lost;
        ASSERT_TRUE(lost.Create(prefix));
        EXPECT_FALSE(lost.Publish(tmp.Path("missing\\x.vmf").c_str()));
        EXPECT_EQ(lost.Error(), platform::IoError::kNotFound);
    }
    std::vector<std::string> left;
    platform::DirectorySearch listing(tmp.Path("*").c_str());
    for (platform::FindData found; listing.Next(found);)
        if (!path::IsDotEntry(found.name)) left.emplace_back(found.name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"c.vmf", "~vmf0000ABCD.tmp"}));
}

TEST(CatalogFile, TemporaryCatalogNames) {
    const std::pair<const char*, bool> cases[] = {
        {"~vmf0A1B2C3D.tmp", true}, {"~VMF0a1b2c3d.TMP", true},  {"~vmf0A1B2C3.tmp", false},
        {"~vmf0A1B2C3G.tmp", false}, {"x~vmf0A1B2C3D.tmp", false}, {"c.vmf.~0A1B2C3D.tmp", false},
        {"~vmf0A1B2C3D.tmpx", false}, {"", false},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(IsTemporaryCatalogName(name), expected) << name;
}

#ifndef _WIN32
TEST(CatalogFile, AReplacedCatalogueKeepsItsMode) {
    test::TempTree tmp;
    const std::string file = tmp.Path("m.vmf");
    CatalogHeader header = test::MakeHeader("M");
    ASSERT_TRUE(test::WriteCatalog(file, header, {{"", 0, {File("f", 1)}}}));
    for (mode_t mode : {0640, 0604, 0600}) {
        ASSERT_EQ(chmod(test::NativePath(file).c_str(), mode), 0);
        ASSERT_TRUE(ReplaceHeader(file.c_str(), &header));
        struct stat st;
        ASSERT_EQ(stat(test::NativePath(file).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
}
#endif

TEST(CatalogFile, WriterRefusesNamesThatDoNotFitTheFormat) {
    test::TempTree tmp;
    CatalogHeader header = test::MakeHeader("R");
    std::vector<test::TreeDirectory> tree = {{"", 0, {File(std::string(260, 'n'), 1)}}};
    EXPECT_FALSE(test::WriteCatalog(tmp.Path("long.vmf"), header, tree));
}

}  // namespace
}  // namespace cataloom
