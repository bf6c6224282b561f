// The fixed-pitch fonts of the display with the point sizes each offers, for the log viewer's
// font lists.
#pragma once
#include <vector>

#include "logview/font_choice.h"

// Every fixed-pitch family once, in the order the system enumerates them: scalable faces with
// the standard sizes, raster faces with the sizes they come in.
std::vector<FontFace> EnumerateFixedPitchFaces();
