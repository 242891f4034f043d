// Damaged, missing and hostile pictures in a user's data folder. Whatever
// is wrong with a picture file, the presentation names the file in one line
// on stderr, goes on with the picture loaded before it (a missing photo
// shows the previous photo, a missing mask reuses the previous mask), and
// ends normally. "Goes on with the previous picture" is checked frame by
// frame: the run with the broken files must show exactly what a run shows
// whose broken files are copies of the previous ones.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "tests/assets_JpegCraft.h"
#include "tests/reliability_support.h"
#include "tools/common/JpegWriter.h"

namespace {

using reliability::CaptureRun;

// Long enough for photo 5 (from 12.5 s) to fly through the view; two
// frames a second are enough to see every picture.
const std::vector<std::string> runArguments = {"--to", "16", "--fps", "2"};

// One broken file of each kind of picture: a leaf picture (not the first),
// a leaf mask, a photo and a small photo.
const std::vector<std::string> brokenFiles = {reliability::leafPicture(1), reliability::leafMask(2),
                                              reliability::photo(5), reliability::secPhoto(2)};
// What each of them falls back to: the picture loaded just before it.
const std::map<std::string, std::string> previousFile = {
    {reliability::leafPicture(1), reliability::leafPicture(0)},
    {reliability::leafMask(2), reliability::leafMask(1)},
    {reliability::photo(5), reliability::photo(4)},
    {reliability::secPhoto(2), reliability::secPhoto(1)},
};

void replace(const std::string& path, const craft::Bytes& bytes) {
    ASSERT_TRUE(tools::writeFile(path, bytes)) << path;
}

class PictureFaults : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        base = new support::TempDir;
        reliability::writeDataFolder(base->path(), 30.0);
        // The first leaf's mask is white (alpha 255), so that a mask too
        // small to use, which leaves the alpha alone, looks the same.
        ASSERT_TRUE(support::writeFlatJpeg(base->file(reliability::leafMask(0)), 64, 64, 255, 255, 255));

        // The expected picture: every broken file replaced by its fallback.
        support::TempDir expected;
        copyData(base->path(), expected.path());
        for (const auto& [file, previous] : previousFile)
            ASSERT_TRUE(support::copyFile(expected.file(previous), expected.file(file)));
        reference = new CaptureRun(reliability::capture(expected.path(), runArguments));
    }
    static void TearDownTestSuite() {
        delete reference;
        delete base;
        reference = nullptr;
        base = nullptr;
    }

    static void copyData(const std::string& from, const std::string& to) {
        std::filesystem::copy(from, to, std::filesystem::copy_options::recursive |
                                            std::filesystem::copy_options::overwrite_existing);
    }

    void SetUp() override {
        ASSERT_NE(reference, nullptr);
        ASSERT_EQ(reference->result.exitCode, 0) << reference->result.err;
        ASSERT_TRUE(reference->errLines.empty()) << reference->result.err;
        copyData(base->path(), data.path());
    }

    // The run goes on to its end, shows exactly the expected frames, and
    // says one line for each broken file, naming it.
    void expectFallbackFrames(const std::string& reason) {
        // A short limit: a picture that blocks the load must fail the test, not hang it.
        const CaptureRun run = reliability::capture(data.path(), runArguments, {}, 90);
        EXPECT_FALSE(run.result.timedOut);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        EXPECT_EQ(run.errLines.size(), brokenFiles.size()) << run.result.err;
        for (const std::string& file : brokenFiles) {
            EXPECT_EQ(reliability::countContaining(run.errLines, "salute: cannot load \"" + file + "\": "), 1)
                << run.result.err;
        }
        if (!reason.empty()) {
            EXPECT_EQ(reliability::countContaining(run.errLines, reason), 4) << run.result.err;
        }
        ASSERT_EQ(run.frames.size(), reference->frames.size());
        for (std::size_t i = 0; i < run.frames.size(); ++i) {
            ASSERT_EQ(run.frames[i].hash, reference->frames[i].hash)
                << "frame " << i << " at " << run.frames[i].demoTime;
        }
    }

    // Writes bytes made from each broken file's good bytes in its place.
    template <typename Make>
    void breakFiles(Make make) {
        for (const std::string& file : brokenFiles) {
            const std::string text = support::readFile(data.file(file));
            replace(data.file(file), make(craft::Bytes(text.begin(), text.end())));
        }
    }

    support::TempDir data;
    static support::TempDir* base;
    static CaptureRun* reference;
};

support::TempDir* PictureFaults::base = nullptr;
CaptureRun* PictureFaults::reference = nullptr;

TEST_F(PictureFaults, MissingFiles) {
    for (const std::string& file : brokenFiles) ASSERT_TRUE(std::filesystem::remove(data.file(file)));
    expectFallbackFrames("No such file or directory");
}

// Things that are not files under a picture's name: refused at once (a
// pipe or a device used to block the load for ever), named in words.
TEST_F(PictureFaults, ThingsThatAreNotFiles) {
    struct Case {
        const char* what;
        void (*make)(const std::string& path);
        const char* said;
    };
    const Case cases[] = {
        {"folder", [](const std::string& p) { std::filesystem::create_directory(p); }, "it is a folder, not a file"},
        {"named pipe", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "it is a named pipe"},
        {"link to /dev/zero", [](const std::string& p) { std::filesystem::create_symlink("/dev/zero", p); },
         "it is a device, not a file"},
        {"link to a folder", [](const std::string& p) { std::filesystem::create_directory_symlink(".", p); },
         "it is a folder, not a file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& file : brokenFiles) {
            std::filesystem::remove_all(data.file(file));
            c.make(data.file(file));
        }
        expectFallbackFrames(c.said);
    }
}

// textures/ missing, or a file: one line naming it instead of one for
// each picture, and every picture missing (textures of the empty Image).
TEST_F(PictureFaults, PicturesFolderMissingOrAFile) {
    std::filesystem::remove_all(data.file("textures"));
    std::filesystem::create_directory(data.file("textures"));
    const CaptureRun allMissing = reliability::capture(data.path(), runArguments);
    ASSERT_EQ(allMissing.errLines.size(), 48u);
    for (const bool asFile : {false, true}) {
        SCOPED_TRACE(asFile ? "a file" : "missing");
        std::filesystem::remove_all(data.file("textures"));
        if (asFile) {
            ASSERT_TRUE(tools::writeFile(data.file("textures"), {1, 2, 3}));
        }
        const CaptureRun run = reliability::capture(data.path(), runArguments);
        EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
        ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
        EXPECT_EQ(run.errLines[0], std::string("salute: cannot load the pictures from \"textures/\": ") +
                                       (asFile ? "it is a file, not a folder" : "there is no such folder") +
                                       "; the presentation goes on without them");
        ASSERT_EQ(run.frames.size(), allMissing.frames.size());
        for (std::size_t i = 0; i < run.frames.size(); ++i)
            ASSERT_EQ(run.frames[i].hash, allMissing.frames[i].hash) << "frame " << i;
    }
}

TEST_F(PictureFaults, EmptyFiles) {
    breakFiles([](const craft::Bytes&) { return craft::Bytes{}; });
    expectFallbackFrames("");
}

TEST_F(PictureFaults, FilesThatAreNotJpeg) {
    breakFiles([](const craft::Bytes&) { return craft::gifHeader(); });
    expectFallbackFrames("");
}

TEST_F(PictureFaults, CmykPictures) {
    breakFiles([](const craft::Bytes&) { return craft::picture(64, 64, 4); });
    expectFallbackFrames("CMYK");
}

// A few hundred bytes that declare a picture of 60000 x 60000 pixels
// (14 GB of RGBA), and one of 16384 x 16384 (each side allowed, the whole
// not): refused from the header, before anything is allocated.
TEST_F(PictureFaults, HugeDeclaredSizes) {
    breakFiles([](const craft::Bytes& good) { return craft::withDimensions(good, 60000, 60000); });
    expectFallbackFrames("60000 x 60000");
    copyData(base->path(), data.path());
    breakFiles([](const craft::Bytes& good) { return craft::withDimensions(good, 16384, 16384); });
    expectFallbackFrames("16384 x 16384");
}

// Thousands of progressive scans would make the library work through each
// one; the loader stops at its scan limit.
TEST_F(PictureFaults, ThousandsOfProgressiveScans) {
    breakFiles([](const craft::Bytes&) { return craft::withExtraScans(craft::picture(64, 64, 3, true), 3000); });
    expectFallbackFrames("scans");
}

// A mask with fewer pixels than its leaf leaves the leaf's alpha alone
// (opaque), which is what the white mask of the expected run gives.
TEST_F(PictureFaults, MaskSmallerThanItsPicture) {
    const CaptureRun expected = reliability::capture(data.path(), runArguments);
    ASSERT_EQ(expected.result.exitCode, 0);
    ASSERT_TRUE(support::writeFlatJpeg(data.file(reliability::leafMask(0)), 32, 32, 0, 0, 0));
    const CaptureRun run = reliability::capture(data.path(), runArguments);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_TRUE(run.errLines.empty()) << run.result.err;
    ASSERT_EQ(run.frames.size(), expected.frames.size());
    for (std::size_t i = 0; i < run.frames.size(); ++i)
        ASSERT_EQ(run.frames[i].hash, expected.frames[i].hash) << "frame " << i;
}

// A file cut short is shown as far as it could be read, with one line
// saying it is damaged: photo 5 then shows its own (partial) picture, not
// photo 4's.
TEST_F(PictureFaults, TruncatedPictureIsShownAsFarAsItGoes) {
    ASSERT_TRUE(support::copyFile(data.file(reliability::photo(4)), data.file(reliability::photo(5))));
    const CaptureRun fallback = reliability::capture(data.path(), runArguments);
    ASSERT_EQ(fallback.result.exitCode, 0);

    const craft::Bytes whole = craft::picture(128, 128, 3);
    replace(data.file(reliability::photo(5)), craft::Bytes(whole.begin(), whole.begin() + whole.size() * 6 / 10));
    const CaptureRun run = reliability::capture(data.path(), runArguments);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
    EXPECT_NE(run.errLines[0].find("salute: \"" + reliability::photo(5) + "\" is damaged"), std::string::npos)
        << run.errLines[0];
    ASSERT_EQ(run.frames.size(), fallback.frames.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
        if (run.frames[i].demoTime < 12.5) {
            ASSERT_EQ(run.frames[i].hash, fallback.frames[i].hash) << "frame " << i << ": photo 5 is not up yet";
        } else if (run.frames[i].hash != fallback.frames[i].hash) {
            ++differing;
        }
    }
    EXPECT_GE(differing, 5u) << "photo 5 shows photo 4's picture instead of what it could read";
}

}  // namespace
