#pragma once

#include "tools/resgen/Canvas.h"
#include "tools/resgen/Text.h"

#include <string>
#include <vector>

// The generator's pieces: each writes its files into `dir`, failing the run
// (see fail()) when it cannot.
namespace resgen {

void writeSpriteSheet(const std::string& dir);
void writeScenery(Fonts& fonts, const std::string& dir);
void writeParticleTextures(const std::string& dir);
void writeBitmapFonts(Fonts& fonts, const std::string& dir);
void writeSounds(const std::string& dir);
// "fonts/NebularkPixel.ttf": the pixel font the game ships.
void writePixelFont(Fonts& fonts, const std::string& dir);
// The engine's extras demo: "maps/" (the tile sheet and the tile maps) and
// "streak.png".
void writeExtrasArt(const std::string& dir);
// The house ads: "ad-NAME.png" banners, "ad-text.html" and "ad-page.html".
void writeHouseAds(Fonts& fonts, const std::string& dir);
// The desktop icon: "icon-N.png" for each of kIconSizes and "icon.svg".
constexpr int kIconSizes[] = {48, 128, 256};
void writeIcons(const std::string& dir);

// Picture pieces shared between files.
// Stars over a deep-blue gradient with faint nebula clouds.
void drawStarfield(Canvas& canvas, uint64_t seed, double nebula);
// The player's ship, nose up, in the box (x, y, w, h).
void drawPlayerShip(cairo_t* cr, double x, double y, double w, double h);

// Writes `bytes` to `path` or fails.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);

} // namespace resgen
