#include "files/archive_file.h"
#include "files/archive_writer.h"
#include "files/disk_file.h"
#include "tests/support/temp_dir.h"
#include "tools/nltool/commands.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun run(int (*command)(const Args&, std::ostream&, std::ostream&), const Args& args) {
    std::ostringstream out, err;
    int code = command(args, out, err);
    return {code, out.str(), err.str()};
}

std::string contents(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string archivePath(const TempDir& tmp) {
    return tmp.path("out.sar").string();
}

} // namespace

TEST(NltoolArchive, PackListVerifyExtractRoundTrip) {
    TempDir tmp;
    std::string script;
    for (int i = 0; i < 200; ++i) script += std::to_string(i * 250) + " flash 0xFFFFFFFF\n";
    tmp.write("show/scene.scr", script);
    tmp.write("show/Pics/Loading.jpg", std::string("\xFF\xD8\xFF", 3));
    tmp.write("show/empty.txt", "");

    ToolRun pack = run(packCommand, {archivePath(tmp), tmp.path("show").string()});
    ASSERT_EQ(pack.code, 0) << pack.err;
    EXPECT_NE(pack.out.find("3 entries"), std::string::npos);

    ToolRun list = run(listCommand, {archivePath(tmp)});
    ASSERT_EQ(list.code, 0) << list.err;
    EXPECT_NE(list.out.find("Pics\\Loading.jpg"), std::string::npos); // backslashes stored
    EXPECT_NE(list.out.find("scene.scr                                packed"), std::string::npos);
    EXPECT_NE(list.out.find("empty.txt                                stored"), std::string::npos);

    EXPECT_EQ(run(verifyCommand, {archivePath(tmp)}).code, 0);

    // The player's reader finds everything, by either separator.
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive(archivePath(tmp).c_str()));
    ASSERT_TRUE(archive.openRead("pics/loading.jpg"));
    EXPECT_EQ(archive.size, 3u);
    archive.close();

    ToolRun extract = run(extractCommand, {archivePath(tmp), tmp.path("x").string()});
    ASSERT_EQ(extract.code, 0) << extract.err;
    EXPECT_EQ(contents(tmp.path("x/scene.scr")), script);
    EXPECT_EQ(contents(tmp.path("x/Pics/Loading.jpg")), std::string("\xFF\xD8\xFF", 3));
    EXPECT_TRUE(fs::exists(tmp.path("x/empty.txt")));
}

TEST(NltoolArchive, PackRefusesNamesThatCollideOrAreTooLong) {
    TempDir tmp;
    tmp.write("a/File.txt", "1");
    tmp.write("b/file.TXT", "2");
    ToolRun twice =
        run(packCommand, {archivePath(tmp), tmp.path("a").string(), tmp.path("b").string()});
    EXPECT_EQ(twice.code, 1);
    EXPECT_NE(twice.err.find("named twice"), std::string::npos);
    EXPECT_FALSE(fs::exists(archivePath(tmp)));

    ToolRun missing = run(packCommand, {archivePath(tmp), tmp.path("nothing").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(run(packCommand, {archivePath(tmp)}).code, 2);
}

TEST(NltoolArchive, BadArchivesAreReportedNotTrusted) {
    TempDir tmp;
    tmp.write("junk.sar", "this is not an archive at all");
    ToolRun list = run(listCommand, {tmp.path("junk.sar").string()});
    EXPECT_EQ(list.code, 1);
    EXPECT_NE(list.err.find("not a valid SARC archive"), std::string::npos);
    EXPECT_EQ(run(verifyCommand, {tmp.path("none.sar").string()}).code, 1);

    // A compressed entry whose stream was cut short fails verify and extract.
    std::string text;
    for (int i = 0; i < 300; ++i) text += "cam 1 flash fade\n";
    PackedEntry p = packEntry("t.txt", std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_EQ(p.method, METHOD_COMPRESSED);
    p.bytes.resize(p.bytes.size() - 8);
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(buildArchive({p}, &bytes, &error));
    tmp.write("cut.sar", bytes);
    ToolRun verify = run(verifyCommand, {tmp.path("cut.sar").string()});
    EXPECT_EQ(verify.code, 1);
    EXPECT_NE(verify.err.find("t.txt: does not decompress"), std::string::npos);
    EXPECT_EQ(run(extractCommand, {tmp.path("cut.sar").string(), tmp.path("x").string()}).code, 1);
}

TEST(NltoolArchive, ExtractRefusesNamesLeavingTheFolder) {
    TempDir tmp;
    PackedEntry evil = packEntry("..\\..\\evil.txt", {'x'});
    PackedEntry fine = packEntry("ok.txt", {'y'});
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(buildArchive({evil, fine}, &bytes, &error));
    tmp.write("evil.sar", bytes);
    ToolRun extract =
        run(extractCommand, {tmp.path("evil.sar").string(), tmp.path("x/y").string()});
    EXPECT_EQ(extract.code, 1);
    EXPECT_NE(extract.err.find("refused"), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp.path("evil.txt")));
    EXPECT_EQ(contents(tmp.path("x/y/ok.txt")), "y");
}

TEST(NltoolArchive, RealFilesRoundTripThroughThePlayersReader) {
    TempDir tmp;
    const fs::path testdata = NL_TESTDATA_DIR;
    ASSERT_TRUE(fs::is_directory(testdata)) << testdata;
    ToolRun pack = run(packCommand, {archivePath(tmp), testdata.string()});
    ASSERT_EQ(pack.code, 0) << pack.err;

    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive(archivePath(tmp).c_str()));
    size_t files = 0, packed = 0;
    for (const auto& item : fs::recursive_directory_iterator(testdata)) {
        if (!item.is_regular_file()) continue;
        std::string name = fs::relative(item.path(), testdata).generic_string();
        ASSERT_TRUE(archive.openRead(name.c_str())) << name;
        std::string expected = contents(item.path());
        ASSERT_EQ(archive.size, expected.size()) << name;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(archive.data()), archive.size),
                  expected)
            << name;
        archive.close();
        ++files;
    }
    for (const ArchiveEntry& e : archive.entries()) packed += e.method == METHOD_COMPRESSED;
    EXPECT_EQ(files, archive.entries().size());
    EXPECT_GT(packed, files / 2); // text, objects and modules compress
}

TEST(NltoolScript, ListsEventsOrReportsThePlayersError) {
    TempDir tmp;
    tmp.write("scene.scr", "0 playxm music.xm\n0:01.250 flash 0.5 0xFFFFFFFF\n2.0 stopdemo\n");
    ToolRun good = run(scriptCommand, {tmp.path("scene.scr").string()});
    EXPECT_EQ(good.code, 0) << good.err;
    EXPECT_NE(good.out.find("1250  flash 0.5 -1 (0xffffffff)"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("3 events"), std::string::npos);

    tmp.write("bad.scr", "0 playxm music.xm\n\n100 boom\n");
    ToolRun bad = run(scriptCommand, {tmp.path("bad.scr").string()});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Error: scene.scr(3): Unknown keyword \"boom\"!"), std::string::npos);

    // Read from an archive, as the player reads it.
    ASSERT_EQ(run(packCommand, {archivePath(tmp), tmp.path("scene.scr").string()}).code, 0);
    ToolRun packed = run(scriptCommand, {"scene.scr", archivePath(tmp)});
    EXPECT_EQ(packed.code, 0) << packed.err;
    EXPECT_EQ(run(scriptCommand, {tmp.path("missing.scr").string()}).code, 1);
}

TEST(NltoolScript, WarnsOfALoopInWhichNoTimePasses) {
    TempDir tmp;
    tmp.write("loop.scr", "0 playxm a.xm\n\n1000 restart\n1000 fov 1\n1000 stopsound\n"
                          "2000 stopdemo\n");
    ToolRun loop = run(scriptCommand, {tmp.path("loop.scr").string()});
    EXPECT_EQ(loop.code, 0); // it plays; it only never gets past the loop
    EXPECT_NE(loop.err.find("scene.scr(5): warning: \"stopsound\" loops back to \"restart\" "
                            "(line 3)"),
              std::string::npos)
        << loop.err;

    // A loop with time inside it, and a stop before any mark, are fine.
    tmp.write("ok.scr", "0 stopsound\n0 restart\n0 playxm a.xm\n5000 stopsound\n");
    ToolRun ok = run(scriptCommand, {tmp.path("ok.scr").string()});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.err.find("warning"), std::string::npos) << ok.err;
}
