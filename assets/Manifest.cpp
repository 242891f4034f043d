#include "assets/Manifest.h"

const LeafPictures leafFileNames[3] = {
    {"textures/leaf.jpg", "textures/leaf_a.jpg"},
    {"textures/leaf2.jpg", "textures/leaf2_a.jpg"},
    {"textures/leaf3.jpg", "textures/leaf3_a.jpg"},
};

const char* const photoFileNames[photoCount] = {
    "textures/photo0.jpg", "textures/photo1.jpg", "textures/photo2.jpg", "textures/photo3.jpg",
    "textures/photo4.jpg", "textures/photo5.jpg", "textures/photo6.jpg", "textures/photo7.jpg",
    "textures/photo8.jpg", "textures/photo9.jpg", "textures/photo10.jpg", "textures/photo11.jpg",
    "textures/photo12.jpg", "textures/photo13.jpg", "textures/photo14.jpg", "textures/photo15.jpg",
    "textures/photo16.jpg", "textures/photo17.jpg", "textures/photo18.jpg", "textures/photo19.jpg",
    "textures/photo20.jpg", "textures/photo21.jpg", "textures/photo22.jpg", "textures/photo23.jpg",
    "textures/photo24.jpg", "textures/photo25.jpg", "textures/photo26.jpg", "textures/photo27.jpg",
    "textures/photo28.jpg", "textures/photo29.jpg", "textures/photo30.jpg", "textures/photo31.jpg",
    "textures/photo32.jpg", "textures/photo33.jpg", "textures/photo34.jpg", "textures/photo35.jpg",
    "textures/photo36.jpg", "textures/photo37.jpg",
};

const char* const secPhotoFileNames[secPhotoCount] = {
    "textures/secPhoto1.jpg", "textures/secPhoto2.jpg", "textures/secPhoto3.jpg", "textures/secPhoto4.jpg",
};
