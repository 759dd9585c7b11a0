#include "image_files.h"

#include <cstdio>
#include <map>
#include <stdexcept>

namespace {

class Bytes {
public:
    std::vector<uint8_t> data;
    void u8(unsigned v) { data.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) {
        u8(v & 0xff);
        u8((v >> 8) & 0xff);
    }
    void u32(uint32_t v) {
        u16(v & 0xffff);
        u16(v >> 16);
    }
};

bool save(const std::string& path, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

int row_stride(int width, int bits) { return ((width * bits + 31) / 32) * 4; }

void info_header(Bytes& b, int width, int height, int bits, uint32_t image_size, uint32_t colours) {
    b.u32(40);
    b.u32(static_cast<uint32_t>(width));
    b.u32(static_cast<uint32_t>(height));
    b.u16(1);
    b.u16(static_cast<unsigned>(bits));
    b.u32(0);  // BI_RGB
    b.u32(image_size);
    b.u32(2835);  // 72 dpi
    b.u32(2835);
    b.u32(colours);
    b.u32(0);
}

void file_header(Bytes& b, uint32_t file_size, uint32_t pixel_offset) {
    b.u8('B');
    b.u8('M');
    b.u32(file_size);
    b.u32(0);
    b.u32(pixel_offset);
}

// Rows bottom-up, each padded to four bytes, as a DIB stores them.
void pixels24(Bytes& b, const Image& image) {
    const int pad = row_stride(image.width, 24) - image.width * 3;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.at(x, y);
            b.u8(blue(c));
            b.u8(green(c));
            b.u8(red(c));
        }
        for (int i = 0; i < pad; ++i) b.u8(0);
    }
}

}  // namespace

bool write_bmp24(const std::string& path, const Image& image) {
    const uint32_t size = static_cast<uint32_t>(row_stride(image.width, 24) * image.height);
    Bytes b;
    file_header(b, 54 + size, 54);
    info_header(b, image.width, image.height, 24, size, 0);
    pixels24(b, image);
    return save(path, b.data);
}

bool write_bmp8(const std::string& path, const Image& image) {
    // Palette in order of first appearance, scanning top-down, so the bytes
    // depend only on the picture.
    std::map<Rgb, int> index;
    std::vector<Rgb> palette;
    for (Rgb c : image.pixels)
        if (index.emplace(c, static_cast<int>(palette.size())).second) palette.push_back(c);
    if (palette.size() > 256) throw std::runtime_error(path + ": more than 256 colours");

    const uint32_t size = static_cast<uint32_t>(row_stride(image.width, 8) * image.height);
    const uint32_t offset = 54 + 4 * static_cast<uint32_t>(palette.size());
    Bytes b;
    file_header(b, offset + size, offset);
    info_header(b, image.width, image.height, 8, size, static_cast<uint32_t>(palette.size()));
    for (Rgb c : palette) {
        b.u8(blue(c));
        b.u8(green(c));
        b.u8(red(c));
        b.u8(0);
    }
    const int pad = row_stride(image.width, 8) - image.width;
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) b.u8(static_cast<unsigned>(index[image.at(x, y)]));
        for (int i = 0; i < pad; ++i) b.u8(0);
    }
    return save(path, b.data);
}

bool write_ico(const std::string& path, const std::vector<IconImage>& images) {
    std::vector<Bytes> entries;
    for (const IconImage& icon : images) {
        const Image& img = icon.colour;
        const int mask_stride = row_stride(img.width, 1);
        Bytes e;
        // An icon's DIB header counts the colour and the mask rows together.
        info_header(e, img.width, img.height * 2, 32,
                    static_cast<uint32_t>((img.width * 4 + mask_stride) * img.height), 0);
        for (int y = img.height - 1; y >= 0; --y)
            for (int x = 0; x < img.width; ++x) {
                const Rgb c = img.at(x, y);
                const uint8_t a = icon.alpha[static_cast<size_t>(y) * img.width + x];
                e.u8(a ? blue(c) : 0);
                e.u8(a ? green(c) : 0);
                e.u8(a ? red(c) : 0);
                e.u8(a);
            }
        for (int y = img.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(static_cast<size_t>(mask_stride), 0);
            for (int x = 0; x < img.width; ++x)
                if (icon.alpha[static_cast<size_t>(y) * img.width + x] < 128)
                    row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            for (uint8_t v : row) e.u8(v);
        }
        entries.push_back(e);
    }
    Bytes b;
    b.u16(0);
    b.u16(1);
    b.u16(static_cast<unsigned>(images.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        b.u8(static_cast<unsigned>(images[i].colour.width));
        b.u8(static_cast<unsigned>(images[i].colour.height));
        b.u8(0);
        b.u8(0);
        b.u16(1);
        b.u16(32);
        b.u32(static_cast<uint32_t>(entries[i].data.size()));
        b.u32(offset);
        offset += static_cast<uint32_t>(entries[i].data.size());
    }
    for (const Bytes& e : entries) b.data.insert(b.data.end(), e.data.begin(), e.data.end());
    return save(path, b.data);
}
