// The generated data is the same bytes on every build: each file matches the
// hash recorded in tools/data-hashes.txt, and the generators give the same
// output however many threads they use. Changing a generator on purpose means
// re-recording: cmake --build BUILD --target record-data-hashes
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tools/content/Sha256.h"

namespace {

std::map<std::string, std::string> recordedHashes() {
    std::map<std::string, std::string> hashes;
    std::ifstream file(support::sourceDir() + "/tools/data-hashes.txt");
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string hash, name;
        fields >> hash >> name;
        if (!name.empty()) hashes[name] = hash;
    }
    return hashes;
}

std::vector<std::string> dataFiles() {
    std::vector<std::string> names{"90secver.ogg"};
    for (int i = 0; i < 38; ++i) names.push_back("textures/photo" + std::to_string(i) + ".jpg");
    for (int k = 1; k <= 4; ++k) names.push_back("textures/secPhoto" + std::to_string(k) + ".jpg");
    for (const char* leaf : {"leaf", "leaf2", "leaf3"}) {
        names.push_back(std::string("textures/") + leaf + ".jpg");
        names.push_back(std::string("textures/") + leaf + "_a.jpg");
    }
    return names;
}

TEST(ContentHashes, TheRecordCoversEveryFileThePresentationReads) {
    const std::map<std::string, std::string> recorded = recordedHashes();
    const std::vector<std::string> files = dataFiles();
    EXPECT_EQ(recorded.size(), files.size());
    for (const std::string& name : files) {
        EXPECT_EQ(recorded.count(name), 1u) << name << " has no recorded hash";
        if (recorded.count(name)) {
            EXPECT_EQ(recorded.at(name).size(), 64u) << name;
        }
    }
}

TEST(ContentHashes, EveryGeneratedFileMatchesItsRecordedHash) {
    for (const auto& [name, hash] : recordedHashes()) {
        EXPECT_EQ(content::sha256File(support::dataDir() + "/" + name), hash)
            << name << " changed; if on purpose: cmake --build BUILD --target record-data-hashes";
    }
}

TEST(ContentHashes, Sha256MatchesKnownDigests) {
    EXPECT_EQ(content::sha256Hex(nullptr, 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(content::sha256Hex(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size()),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks: the padding spills over into a second one.
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(content::sha256Hex(reinterpret_cast<const std::uint8_t*>(two.data()), two.size()),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(ContentGenerators, PicturesAreTheSameWithAnyNumberOfThreads) {
    support::TempDir one, three;
    const std::string only = "photo0,photo7,secPhoto2,leaf2";
    const auto a = support::runProcess({SALUTE_TEXGEN_PATH, one.path(), "--only", only, "--threads", "1"});
    const auto b = support::runProcess({SALUTE_TEXGEN_PATH, three.path(), "--only", only, "--threads", "3"});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    ASSERT_EQ(b.exitCode, 0) << b.err;
    const std::map<std::string, std::string> recorded = recordedHashes();
    for (const char* name : {"photo0.jpg", "photo7.jpg", "secPhoto2.jpg", "leaf2.jpg", "leaf2_a.jpg"}) {
        const std::string h1 = content::sha256File(one.file(std::string("textures/") + name));
        EXPECT_FALSE(h1.empty()) << name;
        EXPECT_EQ(h1, content::sha256File(three.file(std::string("textures/") + name))) << name;
        EXPECT_EQ(h1, content::sha256File(support::dataDir() + "/textures/" + name)) << name;
    }
}

TEST(ContentGenerators, UnwritableOutputIsReportedNotIgnored) {
    support::TempDir dir;
    std::ofstream(dir.file("blocker")) << "a file where the folder should be";
    const auto r = support::runProcess({SALUTE_TEXGEN_PATH, dir.file("blocker"), "--only", "leaf"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("blocker"), std::string::npos) << r.err;

    const auto m = support::runProcess({SALUTE_MUSICGEN_PATH, dir.file("blocker") + "/music.ogg"});
    EXPECT_NE(m.exitCode, 0);
    EXPECT_NE(m.err.find("music.ogg"), std::string::npos) << m.err;
}

TEST(ContentGenerators, WrongArgumentsGiveUsage) {
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{SALUTE_TEXGEN_PATH}, {SALUTE_TEXGEN_PATH, "out", "--bogus"}, {SALUTE_MUSICGEN_PATH}}) {
        const auto r = support::runProcess(argv);
        EXPECT_EQ(r.exitCode, 2) << argv.back();
        EXPECT_FALSE(r.err.empty());
    }
}

}  // namespace
