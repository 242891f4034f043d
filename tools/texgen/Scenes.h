// The pictures the presentation shows, each painted by its own function.
#pragma once

#include <string>
#include <vector>

#include "Paint.h"

namespace texgen {

// A photograph: paints the whole canvas (logical width = canvas aspect).
using PaintFn = void (*)(Canvas&);

struct Photo {
    const char* title;  // what the picture shows; the timeline orders the photos by it
    PaintFn paint;
};

// The 38 photographs of the cards, in timeline order, and the 4 small ones of
// the tumbling particles.
const std::vector<Photo>& cardPhotos();
const std::vector<Photo>& particlePhotos();

// Scene groups, each in its own file.
void addLandscapes(std::vector<Photo>& out);
void addWaterScenes(std::vector<Photo>& out);
void addSeaScenes(std::vector<Photo>& out);
void addCountryScenes(std::vector<Photo>& out);
void addFieldScenes(std::vector<Photo>& out);
void addTownScenes(std::vector<Photo>& out);
void addInteriorScenes(std::vector<Photo>& out);
void addNightScenes(std::vector<Photo>& out);

// An autumn leaf: kind 0 (maple), 1 (oak), 2 (birch). canvas gets the leaf,
// mask (one value per pixel, 1 inside, 0 outside) its outline.
void paintLeaf(int kind, Canvas& canvas, std::vector<float>& mask);

}  // namespace texgen
