#include "display/title_display.h"

#include <algorithm>
#include <vector>

#include "display/skin_draw.h"

namespace {

constexpr int kLineHeight = 11;
constexpr int kFrameWidth = 195;  // the wider of the two views
constexpr int kStripWidth = 4 * kFrameWidth;
constexpr POINT kNormalPlace[2] = {{13, 68}, {13, 94}};
constexpr POINT kShadePlace{109, 4};
// A line standing still is drawn again at once when told of a change, and
// looks this often for a display mode or shade line changed without telling.
constexpr DWORD kStillCheckMs = 250;

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
    WakeWorkers();
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
    WakeWorkers();
}

void TitleDisplay::SetScrollStyle(int32_t style) {
    scroll_style_ = style;
    WakeWorkers();
}

void TitleDisplay::WakeWorkers() {
    for (const OwnedHandle& wake : wakes_) SetEvent(wake.get());
}

void TitleDisplay::SetLine(int index, const Text& text) {
    Line& line = lines_[index];
    Held held(LockOf(index));
    if (line_text_changed(line.text, text)) line.changed = true;
    line.text = text;
    SetEvent(wakes_[index].get());
}

void TitleDisplay::Measure(const Line& line, Worker& worker, bool shade) {
    worker.width = line.text ? text_width(*line.text, shade) : 0;
    for (Strip& strip : worker.strips) strip.valid = false, strip.first = {};
}

void TitleDisplay::RenderStrip(Strip& strip, const std::string& text, bool shade, int column) {
    if (!strip.surface) {
        WindowDC window(window_);
        if (!window.get()) return;
        strip.surface = std::make_unique<MemorySurface>(window.get(), kStripWidth, kLineHeight);
    }
    if (!*strip.surface) return;
    const HDC dc = strip.surface->dc();
    PatBlt(dc, 0, 0, kStripWidth, kLineHeight, BLACKNESS);
    strip.first = place_of_column(text, shade, strip.first, column);
    strip.valid = true;
    const TitleFont font = title_font(shade);
    // The character before the first reaches into its cell when it is narrow.
    TextPlace at = strip.first;
    if (at.index > 0) at.x -= glyph_advance(static_cast<unsigned char>(text[--at.index]), shade);
    // Letters first, then digits: a digit overwrites what a narrow character
    // before it spills, as it would drawn in text order.
    std::vector<SpriteBlit> letters, digits;
    for (; at.index < text.size() && at.x < strip.first.x + kStripWidth; ++at.index) {
        const auto c = static_cast<unsigned char>(text[at.index]);
        const int x = at.x - strip.first.x;
        const Glyph g = GlyphFor(c, shade);
        // The LCD digits sit one row lower in their cells than the letters.
        if (g.kind == kGlyphFont) letters.push_back({x, 0, font.glyph_width, font.glyph_height, g.src_x, g.src_y});
        if (g.kind == kGlyphDigit && shade) digits.push_back({x, 0, 5, 8, g.src_x, g.src_y});
        if (g.kind == kGlyphDigit && !shade) digits.push_back({x, -1, 7, 12, g.src_x, g.src_y});
        at.x += glyph_advance(c, shade);
    }
    BlitCopyEach(dc, skin_.Font.get(), letters);
    BlitCopyEach(dc, skin_.Digits.get(), digits);
}

void TitleDisplay::PaintColumns(HDC frame, Strip& strip, const std::string& text, bool shade, int from, int count,
                                int x) {
    if (!strip.valid || from < strip.first.x || from + count > strip.first.x + kStripWidth)
        // Room on both sides, so a view moving either way goes on a while.
        RenderStrip(strip, text, shade, from - (kStripWidth - count) / 2);
    if (!strip.valid || !*strip.surface) return;
    BitBlt(frame, x, 0, count, title_font(shade).glyph_height, strip.surface->dc(), from - strip.first.x, 0, SRCPAINT);
}

void TitleDisplay::Run(int index) {
    Worker worker;
    worker.window = std::make_unique<WindowDC>(window_);
    const HDC window = worker.window->get();
    if (!window) return;
    worker.frame = std::make_unique<MemorySurface>(window, kFrameWidth, kLineHeight);
    worker.background = std::make_unique<MemorySurface>(window, kFrameWidth, kLineHeight);
    if (!*worker.frame || !*worker.background) return;
    while (!stopping_ && IsWindow(window_)) {
        const bool moving = Tick(index, worker);
        WaitForSingleObject(wakes_[index].get(), moving ? static_cast<DWORD>(tick_ms_) : kStillCheckMs);
    }
}

bool TitleDisplay::Tick(int index, Worker& worker) {
    Line& line = lines_[index];
    Held held(LockOf(index));
    const bool shade = skin_.Shaded();
    const TitleFont font = title_font(shade);
    const int view = font.view_width;
    const POINT place = shade ? kShadePlace : kNormalPlace[index];
    const HDC window = worker.window->get();
    const HDC background = worker.background->dc();
    if (worker.view_width != view) {
        worker.view_width = view;
        line.redraw = true;
        Measure(line, worker, shade);  // the other mode's font has other widths
        if (worker.width <= view) worker.scroll.offset = 0;
        BlitCopy(background, 0, 0, view, kLineHeight, kNormalPlace[index].x, kNormalPlace[index].y, skin_.Main.get());
    }
    const bool slot_taken = shade && !owns_shade_slot(index == 1, shade_line_);

    if (!line.text || slot_taken) {
        if (worker.cleared) return false;
        BitBlt(window, place.x, place.y, view, kLineHeight, background, 0, 0, SRCCOPY);
        if (slot_taken) {
            lines_[1 - index].redraw = true;
            SetEvent(wakes_[1 - index].get());
        }
        worker.cleared = true;
        return false;
    }
    if (!line.redraw && !line.changed && worker.width <= view) return false;
    if (line.changed) {
        Measure(line, worker, shade);
        worker.scroll = ScrollState{};
        line.changed = false;
    }
    line.redraw = false;
    worker.cleared = false;

    HDC frame = worker.frame->dc();
    BitBlt(frame, 0, 0, view, kLineHeight, background, 0, 0, SRCCOPY);
    const int offset = worker.scroll.offset;
    const int visible = std::min(worker.width - offset, view);
    if (visible > 0) PaintColumns(frame, worker.strips[0], *line.text, shade, offset, visible, 0);
    const int x2 = repeat_copy_x(worker.width, offset, view, scroll_style_, font.gap);
    if (x2 >= 0 && x2 < view)
        PaintColumns(frame, worker.strips[1], *line.text, shade, 0, std::min(view - x2, worker.width), x2);
    BitBlt(window, place.x, place.y, view, kLineHeight, frame, 0, 0, SRCCOPY);
    advance_scroll(worker.scroll, worker.width, view, scroll_style_, font.gap);
    return worker.width > view;
}
