// Clip windows: five rectangles in the video registers that show a tile or
// bitmap layer only inside their union, or hide it there. For each request the
// windows are turned into run sets: per row a list of x edges whose runs the
// layer alternately draws and blanks.
#include <algorithm>
#include <iterator>

#include "video/record.h"

namespace {

constexpr int WINDOW_COUNT = 5;

// A window in screen space, half-open. x1 may be below x0 (a backward window)
// or negative under screen flip; it is kept as the hardware's 16-bit edge.
struct window_range {
    int32_t x0, x1, y0, y1;
};

// Maps inclusive register edges to screen space and clamps them to the shown
// rectangle. Under screen flip both axes mirror.
void map_x(uint32_t left, uint32_t right, bool flip, int32_t& x0, int32_t& x1) {
    const clip_rect& c = video.clip;
    if (flip) {
        x0 = c.x_max - static_cast<int32_t>(right);
        x1 = c.x_max + 1 - static_cast<int32_t>(left);
    } else {
        x0 = static_cast<int32_t>(left);
        x1 = static_cast<int32_t>(right) + 1;
    }
    x0 = std::max(x0, c.x_min);
    x1 = std::min(x1, c.x_max + 1);
}

window_range read_window(int r, bool flip) {
    const clip_rect& c = video.clip;
    const uint32_t base = 0x60 + 8 * r;
    window_range w{};
    map_x(video_reg(base) & 0x1FF, video_reg(base + 4) & 0x1FF, flip, w.x0, w.x1);
    const int32_t top = video_reg(base + 2) & 0xFF;
    const int32_t bottom = video_reg(base + 6) & 0xFF;
    if (flip) {
        w.y0 = c.y_max - bottom;
        w.y1 = c.y_max + 1 - top;
    } else {
        w.y0 = top;
        w.y1 = bottom + 1;
    }
    w.y0 = std::max(w.y0, c.y_min);
    w.y1 = std::min(w.y1, c.y_max + 1);
    return w;
}

// Window numbers ordered by x0, ties in window order.
void order_by_x0(const window_range* w, int* order) {
    for (int i = 0; i < WINDOW_COUNT; ++i) order[i] = i;
    std::stable_sort(order, order + WINDOW_COUNT, [w](int a, int b) { return w[a].x0 < w[b].x0; });
}

// Builds the edges of the union of the windows in `combo` into `set`. Edges
// compare as 16-bit values, so a wrapped right edge absorbs every window after
// it.
void build_set(int set, const window_range* w, const int* order, unsigned combo) {
    clip_run_sets& runs = video.clip_runs;
    uint16_t* e = runs.edges[set];
    int n = 0;
    e[n++] = static_cast<uint16_t>(video.clip.x_min);
    bool open = false;
    uint16_t end = 0;
    for (int i = 0; i < WINDOW_COUNT; ++i) {
        const int r = order[i];
        if (!(combo & (1u << r))) continue;
        const auto x0 = static_cast<uint16_t>(w[r].x0);
        const auto x1 = static_cast<uint16_t>(w[r].x1);
        if (open && x0 <= end) {
            end = std::max(end, x1);
            continue;
        }
        if (open) e[n++] = end;
        e[n++] = x0;
        end = x1;
        open = true;
    }
    if (open) e[n++] = end;
    e[n++] = static_cast<uint16_t>(video.clip.x_max + 1);
    runs.edge_count[set] = static_cast<uint8_t>(n);
}

void whole_width_set(int set) {
    clip_run_sets& runs = video.clip_runs;
    runs.edges[set][0] = static_cast<uint16_t>(video.clip.x_min);
    runs.edges[set][1] = static_cast<uint16_t>(video.clip.x_max + 1);
    runs.edge_count[set] = 2;
}

// Windows 2 and 3 can take their x edges per row from the line tables. Returns
// false when the table switches the window off for that row.
bool per_line_window(int r, uint32_t block, int row, bool flip, window_range& w) {
    const uint32_t table = r == 2 ? 0 : 256;
    const uint16_t left = vram_word(((block * 1024 + table + row) & 0xFFFF) * 2);
    const uint16_t right = vram_word(((block * 1024 + table + 512 + row) & 0xFFFF) * 2);
    if (left == 0xFFFF || right == 0xFFFF) return false;
    map_x(left & 0x1FF, right & 0x1FF, flip, w.x0, w.x1);
    return w.x1 > w.x0;
}

}  // namespace

int find_clip_runs(bool enable, int outside, unsigned selection) {
    clip_run_sets& runs = video.clip_runs;
    std::fill(std::begin(runs.set_of_row), std::end(runs.set_of_row), uint8_t{0});
    std::fill(std::begin(runs.edge_count), std::end(runs.edge_count), uint8_t{0});
    whole_width_set(0);
    runs.set_count = 1;
    if (!enable) return 1;

    const clip_rect& c = video.clip;
    const bool flip = (video_reg(0x00) >> 9) & 1;
    selection &= 0x1F;
    window_range w[WINDOW_COUNT];
    for (int r = 0; r < WINDOW_COUNT; ++r) w[r] = read_window(r, flip);
    int order[WINDOW_COUNT];
    order_by_x0(w, order);
    for (unsigned combo = 1; combo < 32; ++combo)
        if (combo & selection) build_set(static_cast<int>(combo), w, order, combo);
    runs.set_count = 32;

    const uint16_t line_reg = video_reg(0x04);
    const bool per_line = (line_reg & 0x30) != 0;
    const uint32_t block = line_reg >> 10;
    for (int y = c.y_min; y <= c.y_max; ++y) {
        unsigned covering = 0;
        for (int r = 0; r < WINDOW_COUNT; ++r)
            if ((selection & (1u << r)) && y >= w[r].y0 && y < w[r].y1) covering |= 1u << r;
        if (!per_line) {
            runs.set_of_row[y] = static_cast<uint8_t>(covering);
            continue;
        }
        window_range row_w[WINDOW_COUNT];
        std::copy(w, w + WINDOW_COUNT, row_w);
        const int table_row = flip ? c.y_max - y : y;
        for (int r = 2; r <= 3; ++r) {
            if (!(line_reg & (0x10 << (r - 2)))) continue;
            if (!per_line_window(r, block, table_row, flip, row_w[r])) covering &= ~(1u << r);
        }
        const int set = CLIP_ROW_SETS + y;
        if (covering) {
            int row_order[WINDOW_COUNT];
            order_by_x0(row_w, row_order);
            build_set(set, row_w, row_order, covering);
        } else {
            whole_width_set(set);
        }
        runs.set_of_row[y] = static_cast<uint8_t>(set);
        runs.set_count = static_cast<uint32_t>(set + 1);
    }
    return outside & 1;
}
