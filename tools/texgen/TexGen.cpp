// Paints every picture the presentation shows and writes them as JPEG files
// under OUTDIR, at the names the program's asset manifest gives (photos,
// small photos, leaves and their masks). The output depends on nothing but this program:
// fixed seeds, no clock, and each picture painted on its own, so the worker
// threads change only how long it takes.
//
// Usage: salute-texgen OUTDIR [--only NAME,...] [--threads N]
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "Scenes.h"
#include "assets/Manifest.h"
#include "tools/common/JpegWriter.h"

namespace {

constexpr int photoSize = 512;      // square, holding a 1.33 : 1 picture squeezed sideways
constexpr float cardAspect = 1.33f; // width : height of a photo card
constexpr int particlePhotoSize = 256;
constexpr int leafSize = 256;

struct Job {
    std::string name;              // the picture's file name without folder and extension
    std::function<bool(const std::string& outDir)> run;
};

// Baseline JPEG written beside its final name and renamed into place, so an
// interrupted build never leaves a half-written picture behind.
bool writeJpegFile(const std::string& path, const std::uint8_t* samples, int width, int height, int components,
                   int quality) {
    tools::JpegOptions options;
    options.quality = quality;
    const std::string temporary = path + ".part";
    if (!tools::writeFile(temporary, tools::encodeJpeg(samples, width, height, components, options))) return false;
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "salute-texgen: cannot rename %s: %s\n", temporary.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool writeRgb(const std::string& path, const texgen::Canvas& canvas, int quality) {
    const std::vector<std::uint8_t> rgb = canvas.toRgb8();
    return writeJpegFile(path, rgb.data(), canvas.width(), canvas.height(), 3, quality);
}

bool writeGrey(const std::string& path, const std::vector<float>& values, int width, int height) {
    std::vector<std::uint8_t> grey(values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
        grey[k] = static_cast<std::uint8_t>(std::lround(texgen::clamp01(values[k]) * 255.0f));
    return writeJpegFile(path, grey.data(), width, height, 1, 95);
}

// "textures/leaf2.jpg" -> "leaf2": the name --only takes.
std::string stem(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(start, path.rfind('.') - start);
}

// One job for each picture of the manifest; a leaf's job writes its mask too.
std::vector<Job> allJobs() {
    std::vector<Job> jobs;
    const auto& cards = texgen::cardPhotos();
    for (int i = 0; i < photoCount; ++i) {
        const std::string file = photoFileNames[i];
        jobs.push_back({stem(file), [i, file, &cards](const std::string& dir) {
                            texgen::Canvas canvas(photoSize, photoSize, cardAspect);
                            cards[static_cast<std::size_t>(i)].paint(canvas);
                            return writeRgb(dir + "/" + file, canvas, 90);
                        }});
    }
    const auto& small = texgen::particlePhotos();
    for (int k = 0; k < secPhotoCount; ++k) {
        const std::string file = secPhotoFileNames[k];
        jobs.push_back({stem(file), [k, file, &small](const std::string& dir) {
                            texgen::Canvas canvas(particlePhotoSize, particlePhotoSize, 1.0f);
                            small[static_cast<std::size_t>(k)].paint(canvas);
                            return writeRgb(dir + "/" + file, canvas, 90);
                        }});
    }
    for (int k = 0; k < 3; ++k) {
        const std::string file = leafFileNames[k].picture;
        const std::string maskFile = leafFileNames[k].mask;
        jobs.push_back({stem(file), [k, file, maskFile](const std::string& dir) {
                            texgen::Canvas canvas(leafSize, leafSize, 1.0f);
                            std::vector<float> mask(static_cast<std::size_t>(leafSize * leafSize), 0.0f);
                            texgen::paintLeaf(k, canvas, mask);
                            return writeRgb(dir + "/" + file, canvas, 92) &&
                                   writeGrey(dir + "/" + maskFile, mask, leafSize, leafSize);
                        }});
    }
    return jobs;
}

bool makeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
    std::fprintf(stderr, "salute-texgen: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTDIR [--only NAME,...] [--threads N]\n", argv[0]);
        return 2;
    }
    const std::string outDir = argv[1];
    std::vector<std::string> only;
    unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    for (int a = 2; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--only" && a + 1 < argc) {
            std::string list = argv[++a];
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                if (comma > start) only.push_back(list.substr(start, comma - start));
                start = comma + 1;
            }
        } else if (arg == "--threads" && a + 1 < argc) {
            threads = static_cast<unsigned>(std::max(1, std::atoi(argv[++a])));
        } else {
            std::fprintf(stderr, "salute-texgen: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (texgen::cardPhotos().size() != photoCount || texgen::particlePhotos().size() != secPhotoCount) {
        std::fprintf(stderr, "salute-texgen: %zu card photos and %zu particle photos, the manifest wants %d and %d\n",
                     texgen::cardPhotos().size(), texgen::particlePhotos().size(), photoCount, secPhotoCount);
        return 1;
    }

    if (!makeDirectory(outDir) || !makeDirectory(outDir + "/" + picturesFolder)) return 1;

    std::vector<Job> jobs = allJobs();
    if (!only.empty()) {
        jobs.erase(std::remove_if(jobs.begin(), jobs.end(),
                                  [&](const Job& j) { return std::find(only.begin(), only.end(), j.name) == only.end(); }),
                   jobs.end());
    }
    std::atomic<std::size_t> next{0};
    std::atomic<bool> ok{true};
    auto worker = [&] {
        for (std::size_t k; (k = next.fetch_add(1)) < jobs.size();) {
            if (!jobs[k].run(outDir)) ok = false;
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
    worker();
    for (std::thread& t : pool) t.join();
    return ok ? 0 : 1;
}
