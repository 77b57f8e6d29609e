// A real window: the host shell over the test guest under Xvfb, a screenshot
// of the screen, and the window's picture checked at the settings' scale.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/romset_fixture.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

using xvfb::capture;
using xvfb::field;
using xvfb::spawn;

TEST(RealWindow, ShowsTheGuestPictureAtTheSettingsScale) {
    if (!fs::exists("/usr/bin/Xvfb") || !fs::exists("/usr/bin/import") ||
        !fs::exists("/usr/bin/xwininfo"))
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

    const std::string display = ":" + std::to_string(90 + getpid() % 400);
    const pid_t server = spawn({"/usr/bin/Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                             {"PATH=/usr/bin:/bin"}, dir.path(), dir / "xvfb.txt");
    // Wait for the server, then for the window: a loaded machine may take
    // seconds for either, so poll rather than sleep a fixed time.
    using xvfb::wait_for;
    wait_for("xwininfo -display " + display + " -root 2>&1", "Width:");
    const auto env = xvfb::with_sanitizer_options(
        {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy", "HOME=" + dir.path().string(),
         "XDG_DATA_HOME=" + (dir / "data").string(), "IRONBELL_ROM=" + set.string(), "PATH=/usr/bin:/bin"});
    // A busy machine can keep the window from being found while the run
    // lasts; the game is then started once more. What the server held when
    // the window was missed goes into the report.
    pid_t game = -1;
    std::string info, missed;
    for (int attempt = 0; attempt < 2 && field(info, "Width:") < 0; ++attempt) {
        if (game > 0) {
            missed += "attempt " + std::to_string(attempt) + ": " +
                      capture("xwininfo -display " + display + " -root -tree 2>&1") +
                      xvfb::read_file(dir / "game.txt");
            waitpid(game, nullptr, 0);
        }
        game = spawn({IRONBELL_GUEST_EXE, "--frames", "600"}, env, dir.path(), dir / "game.txt");
        info = wait_for("xwininfo -display " + display + " -name 'Ironbell: The Arcade Game' 2>&1", "Width:");
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));  // a few frames drawn
    const std::string shot = (dir / "screen.png").string();
    capture("import -display " + display + " -window root " + shot + " 2>&1");
    int status = 0;
    waitpid(game, &status, 0);
    xvfb::stop(server);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << xvfb::read_file(dir / "game.txt");
    const int x = field(info, "Absolute upper-left X:"), y = field(info, "Absolute upper-left Y:");
    const int w = field(info, "Width:"), h = field(info, "Height:");
    EXPECT_EQ(w, 640) << info << missed;
    EXPECT_EQ(h, 448) << info << missed;
    // The mean colour of the window's area: the guest's green, not black.
    const std::string mean =
        capture("convert " + shot + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
                std::to_string(x) + "+" + std::to_string(y) +
                " -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:");
    double r = -1, g = -1, b = -1;
    std::istringstream(mean) >> r >> g >> b;
    const bool green = g > 0.9 && r < 0.1 && b < 0.1;
    EXPECT_TRUE(green) << "mean colour " << mean << " of the window at " << x << "," << y;
    if (!green || HasFailure()) {
        const fs::path keep = fs::path(IRONBELL_ARTEFACTS) / "real_window.png";
        fs::create_directories(keep.parent_path());
        fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
        ADD_FAILURE() << "screenshot kept at " << keep;
    }
}

}  // namespace
