#pragma once
// The text pixel-art definitions: named sets of equally sized glyphs, each a
// grid of characters ('.' empty, '+' half lit, any other character lit).
//
//   glyphs large 7 11
//   = A
//   ..###..
//   ...          (11 rows of 7)
//   end
#include <map>
#include <string>
#include <vector>

#include "image.h"

struct Mask {
    int width = 0, height = 0;
    std::vector<std::string> rows;

    // 0 empty, 1 half, 2 full.
    int level(int x, int y) const {
        const char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
        return c == '.' ? 0 : c == '+' ? 1 : 2;
    }
    // The width up to and including the rightmost lit column.
    int inked_width() const;
};

class ArtBook {
    std::map<std::string, std::map<std::string, Mask>> sets_;

public:
    // Reads one definitions file; throws std::runtime_error with the line
    // number on anything malformed.
    void load(const std::string& path);
    const Mask& glyph(const std::string& set, const std::string& key) const;
    bool has(const std::string& set, const std::string& key) const;
};

// Draws a mask at (x, y): full pixels in `ink`, half pixels between `paper`
// and `ink`. With `glow`, empty pixels next to a lit one inside the clip
// rectangle get a faint halo, as light bleeding under LCD glass.
struct Clip {
    int x, y, w, h;
};
void stamp(Image& image, const Mask& mask, int x, int y, Rgb ink, Rgb paper, bool glow, Clip clip);
