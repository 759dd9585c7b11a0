#include "art.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

int Mask::inked_width() const {
    int w = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (level(x, y)) w = std::max(w, x + 1);
    return w;
}

void ArtBook::load(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::string line, set, key;
    int width = 0, height = 0, number = 0;
    Mask* current = nullptr;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error(path + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (current && static_cast<int>(current->rows.size()) < height) {
            if (static_cast<int>(line.size()) != width) fail("row is not " + std::to_string(width) + " wide");
            current->rows.push_back(line);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "glyphs") {
            if (!(words >> set >> width >> height) || width <= 0 || height <= 0) fail("bad glyphs header");
        } else if (word == "=") {
            if (set.empty()) fail("glyph outside a glyphs block");
            if (!(words >> key)) fail("glyph without a name");
            Mask& m = sets_[set][key];
            if (m.width) fail("glyph " + key + " defined twice");
            m = Mask{width, height, {}};
            current = &m;
        } else if (word == "end") {
            set.clear();
            current = nullptr;
        } else {
            fail("unexpected line");
        }
    }
    if (current && static_cast<int>(current->rows.size()) < height) fail("glyph cut short");
}

const Mask& ArtBook::glyph(const std::string& set, const std::string& key) const {
    auto s = sets_.find(set);
    if (s == sets_.end()) throw std::runtime_error("no glyph set " + set);
    auto g = s->second.find(key);
    if (g == s->second.end()) throw std::runtime_error("no glyph " + key + " in " + set);
    return g->second;
}

bool ArtBook::has(const std::string& set, const std::string& key) const {
    auto s = sets_.find(set);
    return s != sets_.end() && s->second.count(key);
}

void stamp(Image& image, const Mask& mask, int x, int y, Rgb ink, Rgb paper, bool glow, Clip clip) {
    auto in_clip = [&](int px, int py) {
        return px >= clip.x && py >= clip.y && px < clip.x + clip.w && py < clip.y + clip.h;
    };
    if (glow) {
        const Rgb halo = mix(paper, ink, 0.22);
        for (int j = -1; j <= mask.height; ++j)
            for (int i = -1; i <= mask.width; ++i) {
                auto lit = [&](int a, int b) {
                    return a >= 0 && b >= 0 && a < mask.width && b < mask.height && mask.level(a, b) == 2;
                };
                if (lit(i, j)) continue;
                if (!(lit(i - 1, j) || lit(i + 1, j) || lit(i, j - 1) || lit(i, j + 1))) continue;
                if (i >= 0 && j >= 0 && i < mask.width && j < mask.height && mask.level(i, j)) continue;
                if (in_clip(x + i, y + j)) image.set(x + i, y + j, halo);
            }
    }
    for (int j = 0; j < mask.height; ++j)
        for (int i = 0; i < mask.width; ++i) {
            const int level = mask.level(i, j);
            if (!level || !in_clip(x + i, y + j)) continue;
            image.set(x + i, y + j, level == 2 ? ink : mix(paper, ink, 0.5));
        }
}
