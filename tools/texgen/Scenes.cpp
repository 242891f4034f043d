#include "Scenes.h"

#include <cstdio>
#include <cstring>

namespace texgen {

// The order in which the cards show them: a day from dawn to the night,
// closing on a candle.
const char* const timeline[] = {
    "dawn hills", "meadow tree", "harbour", "country road", "snow peaks", "orchard", "sailboat", "sunflowers",
    "stone bridge", "garden", "tulips", "beach", "vineyard", "workshop", "mountain lake", "desert buttes",
    "winding road", "window view", "lighthouse", "rocky coast", "autumn forest", "coffee table", "misty pier",
    "railway", "wheat sunset", "dunes", "sea sunset", "evening pier", "harbour night", "city night",
    "rainy street", "winter village", "fireworks", "moonlit sea", "aurora", "campfire", "starry night", "candle",
};

const std::vector<Photo>& cardPhotos() {
    static const std::vector<Photo> photos = [] {
        std::vector<Photo> all;
        addLandscapes(all);
        addWaterScenes(all);
        addSeaScenes(all);
        addCountryScenes(all);
        addFieldScenes(all);
        addTownScenes(all);
        addInteriorScenes(all);
        addNightScenes(all);
        std::vector<Photo> ordered;
        for (const char* title : timeline) {
            for (const Photo& p : all)
                if (std::strcmp(p.title, title) == 0) ordered.push_back(p);
        }
        if (ordered.size() != all.size())
            std::fprintf(stderr, "salute-texgen: the timeline names %zu of %zu scenes\n", ordered.size(), all.size());
        return ordered;
    }();
    return photos;
}

}  // namespace texgen
