// A real window: the host shell over the test guest under Xvfb, screenshots
// of the screen, and the window's picture checked at the settings' scale.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/romset_fixture.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

using xvfb::capture;

TEST(RealWindow, ShowsTheGuestPictureAtTheSettingsScale) {
    if (!fs::exists("/usr/bin/Xvfb") || !fs::exists("/usr/bin/import") || !fs::exists("/usr/bin/xwininfo"))
        GTEST_SKIP() << "Xvfb, ImageMagick or xwininfo is not installed";
    romset_fixture::temp_dir dir;
    const fs::path prefs = dir / "data" / "IronBell";
    fs::create_directories(prefs);
    std::ofstream(prefs / "irnbell.ini") << "[video]\nscale = 2\n";
    const fs::path set = dir / "set";
    fs::create_directories(set);
    const auto& members = romset_fixture::standard_set();
    for (size_t i = 0; i < rom_member_count; ++i)
        romset_fixture::write_file(set / game_rom_members[i].name, members[i]);

    const xvfb::server x(dir.path());
    ASSERT_FALSE(x.display().empty()) << x.problem();
    // The guest runs until the test has seen its picture, moved on frame by
    // frame by the test, then is stopped; its frame count only bounds a run
    // that never shows the picture.
    xvfb::held_game game({IRONBELL_GUEST_EXE, "--frames", "600"}, x.display(), set, dir.path());
    const std::string info = xvfb::mapped_window(x.display(), "Ironbell: The Arcade Game", game);
    ASSERT_FALSE(info.empty()) << "no window of the guest was mapped\n"
                               << xvfb::window_tree(x.display()) << game.err();
    const xvfb::window_area window(info);
    EXPECT_EQ(window.w, 640) << info;
    EXPECT_EQ(window.h, 448) << info;
    // The mean colour of the window's area: the guest's green, not black
    // (the window is black until the guest's first frame is shown).
    const fs::path shot = dir / "screen.png";
    std::string mean;
    int shots = 0;
    const bool green = xvfb::shoot_until(x.display(), shot, game, 10, shots, [&] {
        mean = capture("convert " + shot.string() + window.crop() +
                       " -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:");
        double r = -1, g = -1, b = -1;
        std::istringstream(mean) >> r >> g >> b;
        return g > 0.9 && r < 0.1 && b < 0.1;
    });
    game.finish();
    EXPECT_TRUE(game.ended_cleanly()) << game.err();
    EXPECT_TRUE(green) << shots << " screenshots, the last of mean colour " << mean << " in the window at "
                       << window.x << "," << window.y;
    if (!green || HasFailure()) {
        const fs::path keep = fs::path(IRONBELL_ARTEFACTS) / "real_window.png";
        fs::create_directories(keep.parent_path());
        fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
        ADD_FAILURE() << "screenshot kept at " << keep;
    }
}

}  // namespace
