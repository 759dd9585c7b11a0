#pragma once
// The skin's parts, each built to the size and sprite layout the drawing
// code expects. Colours shared by the parts live here.
#include <string>
#include <vector>

#include "art.h"
#include "image.h"
#include "image_files.h"

namespace palette {
inline constexpr Rgb kGlass = rgb(10, 23, 20);        // unlit LCD glass
inline constexpr Rgb kLit = rgb(120, 246, 214);       // a lit segment
inline constexpr Rgb kDim = rgb(48, 108, 93);         // a dim segment, still legible
inline constexpr Rgb kAmber = rgb(255, 180, 76);      // status words
inline constexpr Rgb kAmberSoft = rgb(214, 146, 58);  // line labels
inline constexpr Rgb kRed = rgb(255, 64, 52);         // the exclusion cross
inline constexpr Rgb kMetalTop = rgb(122, 130, 142);
inline constexpr Rgb kMetalBottom = rgb(72, 78, 88);
inline constexpr Rgb kHighlight = rgb(196, 204, 214);
inline constexpr Rgb kShadow = rgb(28, 31, 36);
inline constexpr Rgb kCaption = rgb(34, 38, 44);
}  // namespace palette

// lcd_art.cpp
Image make_digits(const ArtBook& art);
Image make_font(const ArtBook& art);
Image make_sprites(const ArtBook& art);
// The 5-pixel word font: width of a text and drawing it.
int word_width(const ArtBook& art, const std::string& text);
void draw_word(Image& image, const ArtBook& art, const std::string& text, int x, int y, Rgb ink, Rgb paper,
               bool glow);
// A large title-font text (as the title lines show it), for the About picture.
void draw_title_text(Image& image, const ArtBook& art, const std::string& text, int x, int y, Rgb ink,
                     Rgb paper, int zoom);

// case_art.cpp
Image make_buttons(const ArtBook& art);
Image make_slider();
Image make_tracks(const ArtBook& art);
Image make_main(const ArtBook& art);
Image make_shade(const ArtBook& art);
Image make_menu_banner(const ArtBook& art);
// Brushed metal with a light top edge, the case of every window.
void metal(Image& image, int x, int y, int w, int h, Rgb top, Rgb bottom, uint32_t seed);
// A frame sunk into the case (dark above and left, light below and right).
void bevel(Image& image, int x, int y, int w, int h, bool sunken);

// picture_art.cpp
Image make_logo(const ArtBook& art);
Image make_about(const ArtBook& art);
std::vector<IconImage> make_icon(int id);
