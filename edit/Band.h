#pragma once
// The crop's rubber band: outlines inverted straight into the picture's pixels by a 1-pixel pen in
// R2_NOT mode (each pixel it touches becomes its bitwise complement), so drawing an outline again
// restores the picture. No copy of the picture is made.

#include <initializer_list>

#include "edit/CropGeometry.h"
#include "host/Roles.h"

namespace edit {

// Inverts the outlines one after the other into the current picture and shows the pixels that
// changed.
void DrawBands(host::PictureHost& picture, std::initializer_list<BandPath> outlines);

}  // namespace edit
