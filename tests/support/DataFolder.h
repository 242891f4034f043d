// A data folder with the manifest's names: flat colours, the masks shifted
// grey ramps (a mask used twice shows), a tone as the music.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/Manifest.h"
#include "tests/support/TestSupport.h"
#include "tools/common/JpegWriter.h"

namespace support {

using Rgb = std::array<int, 3>;
inline Rgb photoColour(int i) { return {30 + 6 * i, 230 - 5 * i, (97 * i) % 256}; }
inline Rgb secPhotoColour(int i) { return {60 * (i + 1), 30, 200 - 50 * i}; }
inline Rgb leafColour(int kind) { return {200 - 60 * kind, 120, 40 + 70 * kind}; }

// Every picture the program reads, in the order it reads them.
inline std::vector<std::string> pictureNames() {
    std::vector<std::string> names;
    for (const LeafPictures& leaf : leafFileNames) names.insert(names.end(), {leaf.picture, leaf.mask});
    names.insert(names.end(), std::begin(photoFileNames), std::end(photoFileNames));
    names.insert(names.end(), std::begin(secPhotoFileNames), std::end(secPhotoFileNames));
    return names;
}

inline bool writeDataFolder(const std::string& dir, double musicSeconds) {
    std::filesystem::create_directories(dir + "/" + picturesFolder);
    bool ok = writeToneOgg(dir + "/90secver.ogg", musicSeconds);
    const auto flat = [&](const char* name, int size, const Rgb& c) {
        ok = ok && writeFlatJpeg(dir + "/" + name, size, size, c[0], c[1], c[2]);
    };
    for (int kind = 0; kind < 3; ++kind) {
        flat(leafFileNames[kind].picture, 64, leafColour(kind));
        std::vector<std::uint8_t> ramp(64 * 64);
        for (std::size_t k = 0; k < ramp.size(); ++k) ramp[k] = static_cast<std::uint8_t>((k + 21 * kind) % 64 * 255 / 63);
        ok = ok && tools::writeJpeg(dir + "/" + leafFileNames[kind].mask, ramp.data(), 64, 64, 1, tools::JpegOptions{});
    }
    for (int i = 0; i < photoCount; ++i) flat(photoFileNames[i], 64, photoColour(i));
    for (int i = 0; i < secPhotoCount; ++i) flat(secPhotoFileNames[i], 32, secPhotoColour(i));
    return ok;
}

}  // namespace support
