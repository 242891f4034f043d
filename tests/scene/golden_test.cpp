// Golden frames: the real presentation, with the generated data of the build
// folder, rendered headless on llvmpipe at chosen presentation times and
// compared with reference pictures in tests/golden/.
//
// Two pictures match when at most allowedPixels pixels differ by more than
// channelLimit in any channel. On a mismatch the frame and a difference
// picture are written to golden-failures/ in the build folder.
//
// To make new references (after a deliberate change of what is shown), run
// `cmake --build <build> --target bless-golden`, or this test with
// SALUTE_BLESS_GOLDEN=1 in the environment, and look at the pictures before
// committing them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"
#include "tools/common/PngWriter.h"

namespace fs = std::filesystem;

namespace {

// The virtual clock's rate; it decides which frames exist, so the references
// hold for this rate only.
constexpr int framesPerSecond = 4;
constexpr int channelLimit = 8;
constexpr long allowedPixels = 200;  // of 307,200

// Presentation times, each with its reference tests/golden/at-TIME.png:
// leaves and the first photo just after the start; a photo in the middle of
// page 1; the turn from page 2 to page 3; after the last photo, page 4.
const char* const goldenTimes[] = {"0.1", "12.6", "50.2", "97.6"};

}  // namespace

TEST(GoldenTest, FramesMatchTheReferences) {
    const fs::path data = support::dataDir();
    ASSERT_TRUE(fs::exists(data / "textures" / "photo0.jpg"))
        << "the generated pictures are missing from " << data << " (build target salute_data)";
    // The generated pictures with a plain tone as the music: the frames do
    // not depend on the music, only on its lasting past the last of them.
    support::TempDir runData;
    std::error_code linkError;
    fs::create_directory_symlink(data / "textures", runData.file("textures"), linkError);
    ASSERT_FALSE(linkError) << linkError.message();
    ASSERT_TRUE(support::writeToneOgg(runData.file("90secver.ogg"), 100.0));

    support::TempDir out;
    std::string times;
    for (const char* time : goldenTimes) times += (times.empty() ? "" : ",") + std::string(time);
    const support::RunResult run = support::runProcess({support::capturePath(), "--data", runData.path(), "--fps",
                                                        std::to_string(framesPerSecond), "--frames-at", times, "--png",
                                                        out.path()},
                                                       "", {}, 900);
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const fs::path references = fs::path(support::sourceDir()) / "tests" / "golden";
    const fs::path failures = data / "golden-failures";
    const char* bless = std::getenv("SALUTE_BLESS_GOLDEN");
    for (std::size_t n = 0; n < std::size(goldenTimes); ++n) {
        const std::string name = std::string("at-") + goldenTimes[n] + ".png";
        SCOPED_TRACE(name);
        char frameName[32];
        std::snprintf(frameName, sizeof frameName, "%04zu.png", n + 1);
        const std::string actualPath = out.file(frameName);
        const support::Png actual = support::readPng(actualPath);
        ASSERT_TRUE(actual.ok);

        if (bless && *bless && std::string(bless) != "0") {
            fs::create_directories(references);
            ASSERT_TRUE(support::copyFile(actualPath, (references / name).string()));
            std::printf("blessed %s\n", (references / name).c_str());
            continue;
        }

        const support::Png expected = support::readPng((references / name).string());
        ASSERT_TRUE(expected.ok) << "no reference " << (references / name)
                                 << "; make it with the bless-golden target";
        ASSERT_EQ(actual.width, expected.width);
        ASSERT_EQ(actual.height, expected.height);

        long over = 0;
        int worst = 0;
        std::vector<std::uint8_t> diff(actual.rgba.size());
        for (std::size_t i = 0; i < actual.rgba.size(); i += 4) {
            int largest = 0;
            for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(actual.rgba[i + c] - expected.rgba[i + c]));
            worst = std::max(worst, largest);
            const bool bad = largest > channelLimit;
            over += bad;
            // Differences in red over a dimmed copy of the frame.
            const std::uint8_t dim = static_cast<std::uint8_t>(actual.rgba[i] / 4);
            diff[i] = bad ? 255 : dim;
            diff[i + 1] = bad ? 0 : dim;
            diff[i + 2] = bad ? 0 : dim;
            diff[i + 3] = 255;
        }
        if (over > allowedPixels) {
            fs::create_directories(failures);
            const std::string stem = (failures / fs::path(name).stem()).string();
            support::copyFile(actualPath, stem + "-actual.png");
            tools::writePng(stem + "-diff.png", diff.data(), actual.width, actual.height);
            ADD_FAILURE() << over << " pixels differ by more than " << channelLimit << " (largest difference " << worst
                          << "); see " << stem << "-actual.png and " << stem << "-diff.png";
        }
    }
}
