// The pictures the presentation reads, relative to its working folder.
#pragma once

#include "scene/Scene.h"

// The folder that holds them all.
constexpr const char* picturesFolder = "textures";

struct LeafPictures {
    const char* picture;
    const char* mask;  // grey-scale: white opaque, black transparent
};

// leaf, leaf2, leaf3, in the order they are loaded.
extern const LeafPictures leafFileNames[3];
// "textures/photo0.jpg" .. "textures/photo37.jpg": the timeline's photos.
extern const char* const photoFileNames[photoCount];
// "textures/secPhoto1.jpg" .. "textures/secPhoto4.jpg": the small drifting photos.
extern const char* const secPhotoFileNames[secPhotoCount];
