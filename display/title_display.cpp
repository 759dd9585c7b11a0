#include "display/title_display.h"

#include <algorithm>

#include "display/skin_draw.h"

namespace {

constexpr int kLineHeight = 11;
constexpr int kFrameWidth = 195;  // the wider of the two views
constexpr POINT kNormalPlace[2] = {{13, 68}, {13, 94}};
constexpr POINT kShadePlace{109, 4};

class Held {
    std::binary_semaphore& lock_;

public:
    explicit Held(std::binary_semaphore& lock) : lock_(lock) { lock_.acquire(); }
    ~Held() { lock_.release(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

}  // namespace

TitleDisplay::TitleDisplay(HWND window, const Skin& skin, const std::atomic<int32_t>& shade_line, int tick_ms)
    : window_(window), skin_(skin), shade_line_(shade_line), tick_ms_(tick_ms) {}

TitleDisplay::~TitleDisplay() { Stop(); }

void TitleDisplay::Stop() {
    stopping_ = true;
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

void TitleDisplay::Start() {
    if (stopping_) return;
    for (int line = 0; line < 2; ++line)
        if (!workers_[line].joinable()) workers_[line] = std::thread([this, line] { Run(line); });
}

void TitleDisplay::SetDiscLine(const Text& text) { SetLine(0, text); }
void TitleDisplay::SetTrackLine(const Text& text) { SetLine(1, text); }

void TitleDisplay::RequestRedraw() {
    lines_[0].redraw = true;
    lines_[1].redraw = true;
}

void TitleDisplay::SetLine(int index, const Text& text) {
    Line& line = lines_[index];
    Held held(LockOf(index));
    if (line_text_changed(line.text, text)) line.changed = true;
    line.text.reset();
    if (!text) return;
    line.text = *text;
    RenderStrip(line);
}

void TitleDisplay::RenderStrip(Line& line) {
    line.strip.reset();
    line.width = 0;
    const bool shade = skin_.Shaded();
    line.strip_shade = shade;
    const TitleFont font = title_font(shade);
    const int length = static_cast<int>(line.text->size());
    if (length == 0) return;
    {
        WindowDC window(window_);
        HDC like = window.get() ? window.get() : GetDC(nullptr);
        line.strip = std::make_unique<MemorySurface>(like, (font.glyph_width + 2) * length, font.glyph_height);
        if (!window.get()) ReleaseDC(nullptr, like);
    }
    if (!*line.strip) {
        line.strip.reset();
        return;
    }
    line.strip_height = font.glyph_height;
    HDC strip = line.strip->dc();
    PatBlt(strip, 0, 0, (font.glyph_width + 2) * length, font.glyph_height, BLACKNESS);
    int x = 0;
    for (char ch : *line.text) {
        const auto c = static_cast<unsigned char>(ch);
        const Glyph g = GlyphFor(c, shade);
        if (g.kind == kGlyphFont) {
            BlitCopy(strip, x, 0, font.glyph_width, font.glyph_height, g.src_x, g.src_y, skin_.Font.get());
        } else if (g.kind == kGlyphDigit) {
            // The LCD digits sit one row lower in their cells than the letters.
            if (shade) BlitCopy(strip, x, 0, 5, 8, g.src_x, g.src_y, skin_.Digits.get());
            else BlitCopy(strip, x, -1, 7, 12, g.src_x, g.src_y, skin_.Digits.get());
        }
        x += glyph_advance(c, shade);
    }
    line.width = x;
}

void TitleDisplay::Run(int index) {
    Worker worker;
    {
        WindowDC window(window_);
        if (!window.get()) return;
        worker.frame = std::make_unique<MemorySurface>(window.get(), kFrameWidth, kLineHeight);
        if (!*worker.frame) return;
    }
    while (!stopping_) {
        if (!Tick(index, worker)) return;
        Sleep(static_cast<DWORD>(tick_ms_));
    }
}

bool TitleDisplay::Tick(int index, Worker& worker) {
    Line& line = lines_[index];
    Held held(LockOf(index));
    const bool shade = skin_.Shaded();
    const TitleFont font = title_font(shade);
    const int view = font.view_width;
    if (worker.view_width != view) {
        worker.view_width = view;
        line.redraw = true;
        // A text rendered in the other mode's font is rendered again.
        if (line.text && line.strip_shade != shade) RenderStrip(line);
        if (line.width <= view) worker.scroll.offset = 0;
    }
    const POINT place = shade ? kShadePlace : kNormalPlace[index];
    const POINT background = kNormalPlace[index];
    const bool slot_taken = shade && !owns_shade_slot(index == 1, shade_line_);

    if (!line.text || slot_taken) {
        if (worker.cleared) return true;
        WindowDC window(window_);
        if (!window.get()) return false;
        BlitCopy(window.get(), place.x, place.y, view, kLineHeight, background.x, background.y, skin_.Main.get());
        if (slot_taken) lines_[1 - index].redraw = true;
        worker.cleared = true;
        return true;
    }
    if (!line.redraw && !line.changed && line.width <= view) return true;
    if (line.changed) {
        worker.scroll = ScrollState{};
        line.changed = false;
    }
    line.redraw = false;
    worker.cleared = false;

    HDC frame = worker.frame->dc();
    BlitCopy(frame, 0, 0, view, kLineHeight, background.x, background.y, skin_.Main.get());
    if (line.strip) {
        const int offset = worker.scroll.offset;
        const int visible = std::min(line.width - offset, view);
        if (visible > 0) BitBlt(frame, 0, 0, visible, line.strip_height, line.strip->dc(), offset, 0, SRCPAINT);
        const int x2 = repeat_copy_x(line.width, offset, view, scroll_style_, font.gap);
        if (x2 >= 0 && x2 < view)
            BitBlt(frame, x2, 0, std::min(view - x2, line.width), line.strip_height, line.strip->dc(), 0, 0, SRCPAINT);
    }
    {
        WindowDC window(window_);
        if (!window.get()) return false;
        BitBlt(window.get(), place.x, place.y, view, kLineHeight, frame, 0, 0, SRCCOPY);
    }
    advance_scroll(worker.scroll, line.width, view, scroll_style_, font.gap);
    return true;
}
