// Every generated file matches tools/data-hashes.txt, with any number of
// threads (re-record on purpose: the record-data-hashes target).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/DataFolder.h"
#include "tools/content/Sha256.h"

namespace {

std::map<std::string, std::string> recordedHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream file(support::sourceDir() + "/tools/data-hashes.txt");
    std::string hash, name;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#' && std::istringstream(line) >> hash >> name) hashes[name] = hash;
    return hashes;
}

TEST(HashesTest, EveryFileThePresentationReadsMatchesItsRecordedHash) {
    std::map<std::string, std::string> recorded = recordedHashes();
    std::vector<std::string> files = support::pictureNames();
    files.push_back("90secver.ogg");
    EXPECT_EQ(recorded.size(), files.size());
    for (const std::string& name : files)
        EXPECT_EQ(content::sha256File(support::dataDir() + "/" + name), recorded[name])
            << name << " changed; if on purpose: cmake --build BUILD --target record-data-hashes";
}

TEST(HashesTest, GeneratorsGiveTheSameFilesWithAnyThreadsAndReportFailures) {
    support::TempDir one, three;
    const std::string only = "photo0,photo7,secPhoto2,leaf2";
    ASSERT_EQ(support::runProcess({SALUTE_TEXGEN_PATH, one.path(), "--only", only, "--threads", "1"}).exitCode, 0);
    ASSERT_EQ(support::runProcess({SALUTE_TEXGEN_PATH, three.path(), "--only", only, "--threads", "3"}).exitCode, 0);
    for (const char* name : {"photo0.jpg", "photo7.jpg", "secPhoto2.jpg", "leaf2.jpg", "leaf2_a.jpg"}) {
        const std::string path = std::string("/textures/") + name;
        const std::string hash = content::sha256File(one.path() + path);
        EXPECT_EQ(hash, content::sha256File(three.path() + path)) << name;
        EXPECT_EQ(hash, content::sha256File(support::dataDir() + path)) << name;
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
