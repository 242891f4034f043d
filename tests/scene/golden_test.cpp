// Golden frames: the real data rendered headless at chosen times against
// tests/golden/; a mismatch keeps the frame in golden-failures/. New
// references: the bless-golden target (SALUTE_BLESS_GOLDEN=1); look at them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The references hold for this virtual frame rate only.
constexpr int framesPerSecond = 4;
constexpr int channelLimit = 8;
constexpr long allowedPixels = 200;  // of 307,200

// Leaves and the first photo; a photo on page 1; the turn to page 3; page 4.
const char* const goldenTimes[] = {"0.1", "12.6", "50.2", "97.6"};

}  // namespace

TEST(GoldenTest, FramesMatchTheReferences) {
    const fs::path data = support::dataDir();
    ASSERT_TRUE(fs::exists(data / "textures" / "photo0.jpg"))
        << "the generated pictures are missing from " << data << " (build target salute_data)";
    // A tone as the music: the frames depend only on its length.
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
        const support::Picture actual = support::readPng(actualPath);
        ASSERT_FALSE(actual.pixels.empty());

        if (bless && *bless && std::string(bless) != "0") {
            fs::create_directories(references);
            fs::copy_file(actualPath, (references / name).string(), fs::copy_options::overwrite_existing);
            std::printf("blessed %s\n", (references / name).c_str());
            continue;
        }

        const support::Picture expected = support::readPng((references / name).string());
        ASSERT_FALSE(expected.pixels.empty()) << "no reference " << (references / name)
                                 << "; make it with the bless-golden target";
        ASSERT_EQ(actual.width, expected.width);
        ASSERT_EQ(actual.height, expected.height);

        long over = 0;
        int worst = 0;
        for (std::size_t i = 0; i < actual.pixels.size(); i += 3) {
            int largest = 0;
            for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(actual.pixels[i + c] - expected.pixels[i + c]));
            worst = std::max(worst, largest);
            over += largest > channelLimit;
        }
        if (over > allowedPixels) {
            fs::create_directories(failures);
            const std::string kept = (failures / name).string();
            fs::copy_file(actualPath, kept, fs::copy_options::overwrite_existing);
            ADD_FAILURE() << over << " pixels differ by more than " << channelLimit << " (largest difference " << worst
                          << "); see " << kept;
        }
    }
}
