// skingen: writes every skin bitmap and icon of the program from the text
// pixel-art definitions beside it. The output is byte-for-byte the same on
// every run, so the files under resources/ can be committed and checked.
//
//   skingen <art folder> <resources folder>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "skin_art.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen <art folder> <resources folder>\n");
        return 2;
    }
    const std::string art_dir = argv[1], out = argv[2];
    try {
        ArtBook art;
        art.load(art_dir + "/title_font.txt");
        art.load(art_dir + "/sprite_glyphs.txt");
        std::filesystem::create_directories(out + "/skin");
        std::filesystem::create_directories(out + "/icons");

        bool ok = true;
        auto bmp = [&](const char* name, const Image& image) { ok &= write_bmp24(out + "/skin/" + name, image); };
        bmp("main.bmp", make_main(art));
        bmp("shade.bmp", make_shade(art));
        ok &= write_bmp8(out + "/skin/sprites.bmp", make_sprites(art));
        bmp("digits.bmp", make_digits(art));
        bmp("font.bmp", make_font(art));
        bmp("buttons.bmp", make_buttons(art));
        bmp("slider.bmp", make_slider());
        bmp("tracks.bmp", make_tracks(art));
        bmp("menu_banner.bmp", make_menu_banner(art));
        bmp("logo.bmp", make_logo(art));
        bmp("about.bmp", make_about(art));

        const struct {
            int id;
            const char* name;
        } icons[] = {{136, "brd"},         {176, "library"},    {177, "category"}, {178, "disc"},
                     {180, "playing"},     {181, "paused"},     {183, "category_open"}};
        for (const auto& icon : icons) ok &= write_ico(out + "/icons/" + icon.name + ".ico", make_icon(icon.id));
        if (!ok) {
            std::fprintf(stderr, "skingen: cannot write under %s\n", out.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
    return 0;
}
