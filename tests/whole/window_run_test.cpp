// The game on the synthetic ROM set in a real window under Xvfb: screenshots
// of the window while the title shows, read with the set's font. The
// screenshot that showed the title is kept in the build tree's artefacts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/picture_text.h"
#include "tests/support/romset_fixture.h"
#include "tests/support/synthetic_rom.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

using xvfb::capture;

// The title's two lines, where the synthetic set prints them (text rows and
// columns of the game's picture).
struct line {
    int row, column;
    std::string text;
};
const line kTitle[] = {{8, 12, "SYNTHETIC TITLE"}, {20, 10, "NO GAME DATA INSIDE"}};

TEST(RealWindowRun, ShowsTheTitleTextOfTheSyntheticSet) {
    for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/import", "/usr/bin/xwininfo", "/usr/bin/convert"})
        if (!fs::exists(tool)) GTEST_SKIP() << tool << " is not installed";
    romset_fixture::temp_dir dir;
    const fs::path prefs = dir / "data" / "IronBell";
    fs::create_directories(prefs);
    constexpr int kScale = 2;
    std::ofstream(prefs / "irnbell.ini") << "[video]\nscale = " << kScale << "\n";
    synthetic::synthetic_set().write_folder(dir / "set");

    const xvfb::server x(dir.path());
    ASSERT_FALSE(x.display().empty()) << x.problem();
    // The title shows from the start for some 150 frames; the test moves the
    // game on ten frames after each screenshot that does not show it, so the
    // title is looked at several times however long a screenshot takes. The
    // run's 420 frames, up to the presentation scene, bound a run that never
    // shows it.
    xvfb::held_game game({IRONBELL_GAME_EXE, "--frames", "420"}, x.display(), dir / "set", dir.path());
    const std::string info = xvfb::mapped_window(x.display(), "Ironbell: The Arcade Game", game);
    ASSERT_FALSE(info.empty()) << "no window of the game was mapped\n"
                               << xvfb::window_tree(x.display()) << game.err();
    const xvfb::window_area window(info);
    EXPECT_EQ(window.w, 320 * kScale) << info;
    EXPECT_EQ(window.h, 224 * kScale) << info;

    // The first screenshot that shows both lines is kept.
    const fs::path shot = dir / "screen.png";
    std::string seen;
    int shots = 0;
    const bool shown = xvfb::shoot_until(x.display(), shot, game, 10, shots, [&] {
        const auto picture = picture_text::parse_ppm(
            capture("convert " + shot.string() + window.crop() + " ppm:- 2>/dev/null"));
        if (!picture) return false;
        seen.clear();
        for (const auto& l : kTitle)
            seen += picture_text::text_at(*picture, l.row, l.column, int(l.text.size()), kScale) + "|";
        return seen == kTitle[0].text + "|" + kTitle[1].text + "|";
    });
    game.finish();
    EXPECT_TRUE(game.ended_cleanly()) << game.err();
    EXPECT_TRUE(shown) << shots << " screenshots, the last read \"" << seen << "\"";
    if (fs::exists(shot)) {
        const fs::path keep = fs::path(IRONBELL_ARTEFACTS) / (shown ? "window-title.png" : "window-last.png");
        fs::create_directories(keep.parent_path());
        fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
        if (!shown) ADD_FAILURE() << "last screenshot kept at " << keep;
    }
}

}  // namespace
