// The log viewer's font rules: which point sizes a face offers and which face and size the
// viewer settles on from the user's preference. Pure; the window enumerates the fonts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One fixed-pitch face of the display and its point sizes, ascending.
struct FontFace {
  std::string name;
  std::vector<uint32_t> sizes;
};

// The sizes every scalable (TrueType) face offers.
std::vector<uint32_t> ScalableFontSizes();
// A raster size in points: (cell height - internal leading) * 72 / vertical dots per inch.
uint32_t RasterPointSize(int cellHeight, int internalLeading, int dotsPerInchY);
// Adds a raster size to a face's list, keeping it ascending without repeats (0 is no size).
void AddFontSize(std::vector<uint32_t>* sizes, uint32_t size);
// The index of the face to select: wanted when listed, else "Courier New", else "FixedSys",
// else the first (names compare without regard to case); -1 for an empty list.
int ChooseFontFace(const std::vector<FontFace>& faces, const std::string& wanted);
// The index of the size to select: wanted when listed, else the smallest not below wanted - 1,
// else the smallest; -1 for an empty list.
int ChooseFontSize(const std::vector<uint32_t>& sizes, uint32_t wanted);
