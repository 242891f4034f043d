// The JPEG fuzzer's seeds, well-formed and damaged, into the folder given.
#include <cstdio>
#include <string>

#include "tests/assets/JpegCraft.h"
#include "tools/common/JpegWriter.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    using craft::Bytes;

    const Bytes rgb = craft::picture(17, 13, 3);
    const Bytes progressive = craft::picture(24, 16, 3, true);
    const Bytes progressiveGrey = craft::picture(16, 9, 1, true);
    Bytes mask = craft::picture(17, 13, 1, false, 4);
    if (mask.size() % 2 == 0) mask.push_back(0);  // odd sizes land in the mask
    const std::pair<const char*, Bytes> seeds[] = {
        {"grey.jpg", craft::picture(16, 8, 1)},
        {"rgb.jpg", rgb},
        {"one.jpg", craft::picture(1, 1, 3)},
        {"tall.jpg", craft::picture(2, 31, 1, false, 3)},
        {"progressive.jpg", progressive},
        {"progressive-grey.jpg", progressiveGrey},
        {"cmyk.jpg", craft::picture(8, 8, 4)},
        {"tables.jpg", craft::tablesOnly()},
        {"cut.jpg", Bytes(rgb.begin(), rgb.begin() + std::ptrdiff_t(rgb.size() * 2 / 3))},
        {"cut-progressive.jpg", Bytes(progressive.begin(), progressive.begin() + std::ptrdiff_t(progressive.size() / 2))},
        {"extra-scans.jpg", craft::withExtraScans(progressiveGrey, 12)},
        {"gif.jpg", craft::gifHeader()},
        {"rgb-mask.jpg", mask},
    };
    for (const auto& [name, bytes] : seeds)
        if (!tools::writeFile(dir + "/" + name, bytes)) return 1;
    return 0;
}
