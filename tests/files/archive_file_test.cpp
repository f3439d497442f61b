#include "base/diag_log.h"
#include "files/archive_file.h"
#include "files/archive_writer.h"
#include "files/disk_file.h"
#include "files/recording_file.h"
#include "tests/support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string readAll(VirtualFile& f) {
    std::string s(f.size, '\0');
    EXPECT_EQ(f.read(&s[0], f.size), f.size);
    return s;
}

std::vector<uint8_t> archiveOf(const std::vector<PackedEntry>& entries) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(buildArchive(entries, &bytes, &error)) << error;
    return bytes;
}

PackedEntry stored(const std::string& name, const std::string& data,
                   uint8_t method = METHOD_STORED) {
    PackedEntry p;
    p.name = name;
    p.method = method;
    p.bytes = bytesOf(data);
    p.unpacked = uint32_t(data.size());
    return p;
}

std::string longText() {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "0:" + std::to_string(i) + ".000 flash 0xFFFFFFFF\n";
    return s;
}

void putU32(std::vector<uint8_t>& a, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) a[at + i] = uint8_t(v >> (8 * i));
}

} // namespace

TEST(ArchiveFile, ServesStoredAndCompressedEntriesByEitherSlashAndAnyCase) {
    TempDir tmp(true);
    std::string script = longText();
    PackedEntry compressed = packEntry("scenes/Tunnel.lws", bytesOf(script));
    ASSERT_EQ(compressed.method, METHOD_COMPRESSED);
    EXPECT_EQ(compressed.name, "scenes\\Tunnel.lws");
    tmp.write("moonwell.sar", archiveOf({packEntry("x", bytesOf("xyz")), compressed}));

    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    EXPECT_FALSE(archive.openArchive("moonwell.sar")); // one directory per object
    ASSERT_EQ(archive.entries().size(), 2u);
    EXPECT_EQ(archive.entries()[0].method, METHOD_STORED); // too small to gain

    EXPECT_TRUE(archive.exists("SCENES/tunnel.LWS"));
    EXPECT_TRUE(archive.exists("scenes\\tunnel.lws"));
    EXPECT_FALSE(archive.exists("scenes/tunnel"));
    ASSERT_TRUE(archive.openRead("Scenes/TUNNEL.lws"));
    EXPECT_EQ(archive.size, script.size());
    EXPECT_EQ(readAll(archive), script);

    // Seeking clamps at both ends.
    EXPECT_TRUE(archive.seek(5));
    EXPECT_EQ(archive.tell(), 5u);
    EXPECT_TRUE(archive.seekRelative(-100));
    EXPECT_EQ(archive.tell(), 0u);
    EXPECT_TRUE(archive.seek(archive.size + 50));
    EXPECT_EQ(archive.tell(), archive.size);
    char c;
    EXPECT_EQ(archive.read(&c, 1), 0u);
    EXPECT_TRUE(archive.seekRelative(-3));
    char tail[3];
    EXPECT_EQ(archive.read(tail, 3), 3u);
    EXPECT_EQ(std::string(tail, 3), script.substr(script.size() - 3));

    // One open entry per object; writing is never possible.
    EXPECT_FALSE(archive.openRead("x"));
    EXPECT_TRUE(archive.close());
    EXPECT_FALSE(archive.close());
    ASSERT_TRUE(archive.openRead("X"));
    EXPECT_EQ(readAll(archive), "xyz");
    EXPECT_FALSE(archive.openWrite("x"));
    EXPECT_EQ(archive.write("a", 1), 0u);
}

TEST(ArchiveFile, FirstEntryWithAKnownMethodWins) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("dup", "unknown", 7), stored("DUP", "first"),
                                         stored("dup", "second")}));
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    ASSERT_TRUE(archive.openRead("dup"));
    EXPECT_EQ(readAll(archive), "first");
}

TEST(ArchiveFile, DiskServesOnlyNamesTheArchiveLacks) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("pics\\a.jpg", "from archive")}));
    tmp.write("pics/a.jpg", "from disk");
    tmp.write("pics/b.jpg", "only on disk");
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    ASSERT_TRUE(archive.openRead("pics/a.jpg"));
    EXPECT_EQ(readAll(archive), "from archive");
    archive.close();
    ASSERT_TRUE(archive.openRead("pics/b.jpg"));
    EXPECT_EQ(readAll(archive), "only on disk");
    archive.close();
    EXPECT_TRUE(archive.exists("pics/b.jpg"));
    EXPECT_FALSE(archive.exists("pics/c.jpg"));
    EXPECT_FALSE(archive.openRead("pics/c.jpg"));
}

TEST(ArchiveFile, LooseFirstLetsFilesBesideTheProgramWin) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("scene.scr", "packed"), stored("only.txt", "in")}));
    tmp.write("scene.scr", "edited");
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    archive.looseFirst = true;
    ASSERT_TRUE(archive.openRead("scene.scr"));
    EXPECT_EQ(readAll(archive), "edited");
    archive.close();
    // Names only the archive has still come from it.
    ASSERT_TRUE(archive.openRead("only.txt"));
    EXPECT_EQ(readAll(archive), "in");
    archive.close();
    EXPECT_FALSE(archive.openRead("neither.txt"));
    // Loaders read through clones: they must see the loose file too.
    std::unique_ptr<VirtualFile> clone(archive.clone());
    ASSERT_TRUE(clone->openRead("scene.scr"));
    EXPECT_EQ(readAll(*clone), "edited");
}

TEST(RecordingFile, NotesEveryNameItsClonesReadOrLookForOnce) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("packed.lws", "LWSC")}));
    tmp.write("loose.lwo", "FORM");
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    auto names = std::make_shared<RecordingFile::Names>();
    RecordingFile files(archive, names);
    ASSERT_TRUE(files.openRead("packed.lws"));
    EXPECT_EQ(files.size, 4u);
    EXPECT_EQ(readAll(files), "LWSC");
    files.close();
    std::unique_ptr<VirtualFile> clone(files.clone());
    ASSERT_TRUE(clone->openRead("loose.lwo"));
    EXPECT_EQ(readAll(*clone), "FORM");
    clone->close();
    std::unique_ptr<VirtualFile> second(clone->clone());
    EXPECT_FALSE(second->openRead("missing.tga")); // looked for: adding it is a change
    EXPECT_FALSE(second->exists("missing.pm"));
    EXPECT_TRUE(files.openRead("packed.lws"));
    EXPECT_EQ(*names, (RecordingFile::Names{"packed.lws", "loose.lwo", "missing.tga",
                                            "missing.pm"}));
}

TEST(ArchiveFile, StampsTellWhetherWhatANameReadsHasChanged) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("packed.txt", "in")}));
    tmp.write("loose.txt", "one");
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    const FileStamp loose = archive.stampOf("loose.txt");
    const FileStamp packed = archive.stampOf("packed.txt");
    EXPECT_TRUE(loose.found);
    EXPECT_FALSE(loose.archived);
    EXPECT_EQ(loose.size, 3u);
    EXPECT_TRUE(packed.archived); // an entry is as new as its archive
    EXPECT_EQ(packed, archive.archiveStamp());
    EXPECT_FALSE(archive.stampOf("missing.txt").found);

    tmp.write("loose.txt", "changed"); // another size
    EXPECT_NE(archive.stampOf("loose.txt"), loose);
    tmp.write("loose.txt", "two"); // the same size, a later time
    std::filesystem::last_write_time(tmp.path("loose.txt"),
                                     std::filesystem::last_write_time(tmp.path("loose.txt")) +
                                         std::chrono::seconds(5));
    EXPECT_NE(archive.stampOf("loose.txt"), loose);
    // Saved again within the same second, at the same length: still a change
    // (the file system keeps finer times than seconds; a save sets "now").
    const FileStamp second = archive.stampOf("loose.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    tmp.write("loose.txt", "two");
    EXPECT_NE(archive.stampOf("loose.txt"), second);
    // A loose copy beside the archive counts only when loose files come first.
    tmp.write("packed.txt", "out");
    EXPECT_EQ(archive.stampOf("packed.txt"), packed);
    archive.looseFirst = true;
    EXPECT_FALSE(archive.stampOf("packed.txt").archived);
}

TEST(ArchiveFile, WithoutAnArchiveEverythingComesFromDisk) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0 stopdemo");
    DiskFile disk;
    ArchiveFile archive(disk);
    EXPECT_FALSE(archive.openArchive("moonwell.sar"));
    EXPECT_FALSE(archive.hasDirectory());
    ASSERT_TRUE(archive.openRead("scene.scr"));
    EXPECT_EQ(readAll(archive), "0 stopdemo");
}

TEST(ArchiveFile, CloneReopensTheSameArchive) {
    TempDir tmp(true);
    tmp.write("moonwell.sar", archiveOf({stored("a", "alpha"), stored("b", "beta")}));
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    ASSERT_TRUE(archive.openRead("a"));
    std::unique_ptr<VirtualFile> second(archive.clone());
    ASSERT_TRUE(second->openRead("b")); // independent of the first object's open entry
    EXPECT_EQ(readAll(*second), "beta");
    EXPECT_EQ(readAll(archive), "alpha");
}

TEST(ArchiveFile, MalformedArchivesAreRejectedAndLogged) {
    TempDir tmp(true);
    std::vector<uint8_t> good = archiveOf({stored("entry", "payload")});
    // Directory: 12 header bytes, then len(1) "entry"(5) method(1) offset(4) stored(4) unpacked(4).
    const size_t kOffset = 12 + 1 + 5 + 1, kStored = kOffset + 4, kUnpacked = kStored + 4;

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 10)});
    cases.push_back({"wrong magic", good});
    cases.back().bytes[0] = 'Z';
    cases.push_back({"truncated directory", std::vector<uint8_t>(good.begin(), good.begin() + 20)});
    cases.push_back({"huge entry count", good});
    putU32(cases.back().bytes, 8, 0x7FFFFFFF);
    cases.push_back({"data past the end", good});
    putU32(cases.back().bytes, kOffset, 3);
    cases.push_back({"stored size past the end", good});
    putU32(cases.back().bytes, kStored, 0x7FFFFFF0);
    cases.push_back({"stored sizes differ", good});
    putU32(cases.back().bytes, kUnpacked, 6);
    cases.push_back({"unpacked far beyond the data", good});
    cases.back().bytes[kOffset - 1] = METHOD_COMPRESSED;
    putU32(cases.back().bytes, kUnpacked, 0xFFFFFFF0);
    std::vector<uint8_t> longName = {'S', 'A', 'R', 'C', 0, 0, 0, 0, 1, 0, 0, 0, 254};
    longName.resize(longName.size() + 254 + 13, 'n');
    cases.push_back({"name of 254 bytes", longName});

    for (const Case& c : cases) {
        tmp.write("bad.sar", c.bytes);
        std::ostringstream log;
        DiagLogRedirect redirect(log);
        DiskFile disk;
        ArchiveFile archive(disk);
        EXPECT_FALSE(archive.openArchive("bad.sar")) << c.what;
        EXPECT_FALSE(archive.hasDirectory()) << c.what;
        EXPECT_NE(log.str().find("bad.sar: not used as an archive"), std::string::npos) << c.what;
    }
    tmp.write("bad.sar", good);
    DiskFile disk;
    ArchiveFile archive(disk);
    EXPECT_TRUE(archive.openArchive("bad.sar"));
}

TEST(ArchiveFile, CorruptCompressedEntryFailsToOpen) {
    TempDir tmp(true);
    PackedEntry p = packEntry("t", bytesOf(longText()));
    ASSERT_EQ(p.method, METHOD_COMPRESSED);
    p.bytes.resize(p.bytes.size() / 2); // the stream now ends early
    tmp.write("moonwell.sar", archiveOf({p}));
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive("moonwell.sar"));
    EXPECT_FALSE(archive.openRead("t"));
    EXPECT_NE(log.str().find("t: archive entry is corrupt"), std::string::npos);
    EXPECT_FALSE(archive.close());
}

TEST(ArchiveWriter, RejectsNamesOver253Bytes) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(buildArchive({stored(std::string(253, 'a'), "x")}, &bytes, &error));
    EXPECT_FALSE(buildArchive({stored(std::string(254, 'a'), "x")}, &bytes, &error));
    EXPECT_NE(error.find("253"), std::string::npos);
}
