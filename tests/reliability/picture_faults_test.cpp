// Broken pictures: each named in one line, the one loaded before shown, frame
// for frame as when the broken files are copies of those.
#include <sys/stat.h>

#include <filesystem>

#include "tests/assets/JpegCraft.h"
#include "tests/reliability/Faults.h"

namespace {

namespace fs = std::filesystem;
using craft::Bytes;

// Long enough for photo 5 (from 12.5 s) to fly through the view.
const std::vector<std::string> runArguments = {"--to", "16", "--fps", "2"};

// One broken file of each kind, with the file loaded just before it.
const std::pair<std::string, std::string> brokenFiles[] = {{leafFileNames[1].picture, leafFileNames[0].picture},
                                                           {leafFileNames[2].mask, leafFileNames[1].mask},
                                                           {photoFileNames[5], photoFileNames[4]},
                                                           {secPhotoFileNames[1], secPhotoFileNames[0]}};

void expectSameFrames(const faults::Outcome& run, const faults::Outcome& expected) {
    EXPECT_FALSE(run.result.timedOut);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_EQ(run.frames.size(), expected.frames.size());
    for (std::size_t i = 0; i < run.frames.size(); ++i)
        ASSERT_EQ(run.frames[i].hash, expected.frames[i].hash) << "frame " << i << " at " << run.frames[i].demoTime;
}

struct Fault {
    const char* name;
    void (*make)(const std::string& path, const Bytes& good);
    const char* said;
};

class PictureFaultsTest : public faults::DataFolderTest<30, testing::TestWithParam<Fault>> {
protected:
    static void SetUpTestSuite() {
        DataFolderTest::SetUpTestSuite();
        // A white first mask looks the same as one too small to use.
        ASSERT_TRUE(support::writeFlatJpeg(base->file(leafFileNames[0].mask), 64, 64, 255));
        support::TempDir expected;
        fs::copy(base->path(), expected.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        for (const auto& [file, previous] : brokenFiles)
            fs::copy_file(expected.file(previous), expected.file(file), fs::copy_options::overwrite_existing);
        reference = new faults::Outcome(faults::capture(expected.path(), runArguments));
    }
    static void TearDownTestSuite() {
        delete reference;
        DataFolderTest::TearDownTestSuite();
    }
    void SetUp() override {
        ASSERT_EQ(reference->result.exitCode, 0) << reference->result.err;
        ASSERT_TRUE(reference->errLines.empty()) << reference->result.err;
        DataFolderTest::SetUp();
    }
    static inline faults::Outcome* reference = nullptr;
};

TEST_P(PictureFaultsTest, FallsBackToThePreviousPicture) {
    for (const auto& [file, previous] : brokenFiles) {
        const std::string good = support::readFile(data.file(file));
        fs::remove(data.file(file));
        GetParam().make(data.file(file), Bytes(good.begin(), good.end()));
    }
    // A short limit: a blocked load fails the test rather than hangs it.
    const faults::Outcome run = faults::capture(data.path(), runArguments, {}, 90);
    EXPECT_EQ(run.errLines.size(), std::size(brokenFiles)) << run.result.err;
    for (const auto& [file, previous] : brokenFiles)
        EXPECT_EQ(support::errorLinesAbout(run.result.err, "salute: cannot load \"" + file + "\": ").size(), 1u) << run.result.err;
    EXPECT_EQ(support::errorLinesAbout(run.result.err, GetParam().said).size(), std::size(brokenFiles)) << run.result.err;
    expectSameFrames(run, *reference);
}

void write(const std::string& path, const Bytes& bytes) { ASSERT_TRUE(tools::writeFile(path, bytes) || bytes.empty()); }

// Huge sizes are refused from the header (60000 x 60000 is 14 GB of RGBA);
// things that are not files before reading (a pipe used to hang the load).
const Fault pictureFaults[] = {
    {"MissingFiles", [](const std::string&, const Bytes&) {}, "No such file or directory"},
    {"EmptyFiles", [](const std::string& p, const Bytes&) { std::fclose(std::fopen(p.c_str(), "wb")); }, "Empty input file"},
    {"FilesThatAreNotJpeg", [](const std::string& p, const Bytes&) { write(p, craft::gifHeader()); }, "Not a JPEG file"},
    {"CmykPictures", [](const std::string& p, const Bytes&) { write(p, craft::picture(64, 64, 4)); }, "CMYK"},
    {"HugeDeclaredSizes", [](const std::string& p, const Bytes& good) { write(p, craft::withDimensions(good, 60000, 60000)); },
     "60000 x 60000"},
    {"TooManyPixels", [](const std::string& p, const Bytes& good) { write(p, craft::withDimensions(good, 16384, 16384)); },
     "16384 x 16384"},
    {"ThousandsOfProgressiveScans",
     [](const std::string& p, const Bytes&) { write(p, craft::withExtraScans(craft::picture(64, 64, 3, true), 3000)); }, "scans"},
    {"Folder", [](const std::string& p, const Bytes&) { fs::create_directory(p); }, "it is a folder, not a file"},
    {"NamedPipe", [](const std::string& p, const Bytes&) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "it is a named pipe"},
    {"LinkToDevZero", [](const std::string& p, const Bytes&) { fs::create_symlink("/dev/zero", p); }, "it is a device, not a file"},
    {"LinkToFolder", [](const std::string& p, const Bytes&) { fs::create_directory_symlink(".", p); }, "it is a folder, not a file"},
};
INSTANTIATE_TEST_SUITE_P(Broken, PictureFaultsTest, testing::ValuesIn(pictureFaults),
                         [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

// textures/ missing or a file: one line; empty: every picture named, in order.
TEST_F(PictureFaultsTest, PicturesFolderMissingOrAFile) {
    fs::remove_all(data.file("textures"));
    fs::create_directory(data.file("textures"));
    const faults::Outcome allMissing = faults::capture(data.path(), runArguments);
    const std::vector<std::string> names = support::pictureNames();
    ASSERT_EQ(allMissing.errLines.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(allMissing.errLines[i], "salute: cannot load \"" + names[i] + "\": No such file or directory");
    for (const bool asFile : {false, true}) {
        SCOPED_TRACE(asFile ? "a file" : "missing");
        fs::remove_all(data.file("textures"));
        if (asFile) {
            ASSERT_TRUE(tools::writeFile(data.file("textures"), {1, 2, 3}));
        }
        const faults::Outcome run = faults::capture(data.path(), runArguments);
        ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
        EXPECT_EQ(run.errLines[0], std::string("salute: cannot load the pictures from \"textures/\": ") +
                                       (asFile ? "it is a file, not a folder" : "there is no such folder") +
                                       "; the presentation goes on without them");
        expectSameFrames(run, allMissing);
    }
}

// A mask smaller than its leaf leaves the leaf opaque, as a white mask does.
TEST_F(PictureFaultsTest, MaskSmallerThanItsPicture) {
    ASSERT_TRUE(support::writeFlatJpeg(data.file(leafFileNames[0].mask), 64, 64, 255));
    const faults::Outcome expected = faults::capture(data.path(), runArguments);
    ASSERT_TRUE(support::writeFlatJpeg(data.file(leafFileNames[0].mask), 32, 32, 0));
    const faults::Outcome run = faults::capture(data.path(), runArguments);
    EXPECT_TRUE(run.errLines.empty()) << run.result.err;
    expectSameFrames(run, expected);
}

// A file cut short is shown as far as it goes, not as photo 4.
TEST_F(PictureFaultsTest, TruncatedPictureIsShownAsFarAsItGoes) {
    fs::copy_file(data.file(photoFileNames[4]), data.file(photoFileNames[5]), fs::copy_options::overwrite_existing);
    const faults::Outcome fallback = faults::capture(data.path(), runArguments);
    const Bytes whole = craft::picture(128, 128, 3);
    write(data.file(photoFileNames[5]), Bytes(whole.begin(), whole.begin() + whole.size() * 6 / 10));
    const faults::Outcome run = faults::capture(data.path(), runArguments);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    ASSERT_EQ(run.errLines.size(), 1u) << run.result.err;
    EXPECT_EQ(run.errLines[0].rfind(std::string("salute: \"") + photoFileNames[5] + "\" is damaged", 0), 0u) << run.errLines[0];
    ASSERT_EQ(run.frames.size(), fallback.frames.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
        ASSERT_TRUE(run.frames[i].demoTime >= 12.5 || run.frames[i].hash == fallback.frames[i].hash)
            << "frame " << i << ": photo 5 is not up yet";
        differing += run.frames[i].hash != fallback.frames[i].hash;
    }
    EXPECT_GE(differing, 5u) << "photo 5 shows photo 4's picture instead of what it could read";
}

}  // namespace
