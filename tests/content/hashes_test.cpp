// Every generated file matches tools/data-hashes.txt, checked by coreutils'
// sha256sum -c, with any number of threads (re-record on purpose: the
// record-data-hashes target).
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/DataFolder.h"

namespace {

std::string recordFile() { return support::sourceDir() + "/tools/data-hashes.txt"; }

std::set<std::string> recordedNames() {
    std::set<std::string> names;
    std::ifstream file(recordFile());
    std::string hash, name;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#' && std::istringstream(line) >> hash >> name) names.insert(name);
    return names;
}

TEST(HashesTest, EveryFileThePresentationReadsMatchesItsRecordedHash) {
    std::set<std::string> files;
    for (const std::string& name : support::pictureNames()) files.insert(name);
    files.insert("90secver.ogg");
    EXPECT_EQ(recordedNames(), files);
    // sha256sum names each file that differs ("textures/photo3.jpg: FAILED").
    const auto check = support::runProcess({"sha256sum", "--check", "--quiet", recordFile()}, support::dataDir());
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err
                                 << "if on purpose: cmake --build BUILD --target record-data-hashes";
}

TEST(HashesTest, GeneratorsGiveTheSameFilesWithAnyThreadsAndReportFailures) {
    support::TempDir one, three;
    const std::string only = "photo0,photo7,secPhoto2,leaf2";
    ASSERT_EQ(support::runProcess({SALUTE_TEXGEN_PATH, one.path(), "--only", only, "--threads", "1"}).exitCode, 0);
    ASSERT_EQ(support::runProcess({SALUTE_TEXGEN_PATH, three.path(), "--only", only, "--threads", "3"}).exitCode, 0);
    for (const char* name : {"photo0.jpg", "photo7.jpg", "secPhoto2.jpg", "leaf2.jpg", "leaf2_a.jpg"}) {
        const std::string path = std::string("/textures/") + name;
        const std::string bytes = support::readFile(one.path() + path);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == support::readFile(three.path() + path)) << name;
        EXPECT_TRUE(bytes == support::readFile(support::dataDir() + path)) << name;
    }
    // A file where the output folder should be.
    std::ofstream(one.file("blocker")) << "a file";
    const auto texgen = support::runProcess({SALUTE_TEXGEN_PATH, one.file("blocker"), "--only", "leaf"});
    EXPECT_NE(texgen.exitCode, 0);
    EXPECT_NE(texgen.err.find("blocker"), std::string::npos) << texgen.err;
    const auto musicgen = support::runProcess({SALUTE_MUSICGEN_PATH, one.file("blocker") + "/music.ogg"});
    EXPECT_NE(musicgen.exitCode, 0);
    EXPECT_NE(musicgen.err.find("music.ogg"), std::string::npos) << musicgen.err;
}

}  // namespace
