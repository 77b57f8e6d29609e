// The game on the synthetic ROM set in a real window under Xvfb: screenshots
// of the window while the title shows, read with the set's font. The
// screenshot that showed the title is kept in the build tree's artefacts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/picture_text.h"
#include "tests/support/romset_fixture.h"
#include "tests/support/synthetic_rom.h"
#include "tests/support/xvfb.h"

namespace fs = std::filesystem;

namespace {

using xvfb::capture;
using xvfb::field;
using xvfb::spawn;
using xvfb::wait_for;

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

  const std::string display = ":" + std::to_string(500 + getpid() % 400);
  const pid_t server = spawn({"/usr/bin/Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                           {"PATH=/usr/bin:/bin"}, dir.path(), dir / "xvfb.txt");
  wait_for("xwininfo -display " + display + " -root 2>&1", "Width:");
  // Paced at 60 frames a second, the title shows from the start for about
  // three seconds; the run ends at the presentation scene.
  const auto env = xvfb::with_sanitizer_options(
      {"DISPLAY=" + display, "SDL_AUDIODRIVER=dummy", "HOME=" + dir.path().string(),
       "XDG_DATA_HOME=" + (dir / "data").string(), "IRONBELL_ROM=" + (dir / "set").string(), "PATH=/usr/bin:/bin"});
  // A busy machine can keep the window from being found while the short run
  // lasts; the game is then started once more.
  int status = 0, shots = 0, w = -1, h = -1;
  std::string info, seen, shown_in;
  const fs::path shot = dir / "screen.png";
  for (int attempt = 0; attempt < 2 && shown_in.empty(); ++attempt) {
    const pid_t game = spawn({IRONBELL_GAME_EXE, "--frames", "420"}, env, dir.path(), dir / "game.txt");
    info = wait_for("xwininfo -display " + display + " -name 'Ironbell: The Arcade Game' 2>&1", "Width:");
    const int x = field(info, "Absolute upper-left X:"), y = field(info, "Absolute upper-left Y:");
    w = field(info, "Width:"), h = field(info, "Height:");

    // Screenshots until the game ends; the first that shows both lines is kept.
    while (waitpid(game, &status, WNOHANG) == 0 && shown_in.empty()) {
      capture("import -display " + display + " -window root " + shot.string() + " 2>&1");
      const auto picture = picture_text::parse_ppm(
          capture("convert " + shot.string() + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
                  std::to_string(x) + "+" + std::to_string(y) + " +repage ppm:- 2>/dev/null"));
      ++shots;
      if (!picture) continue;
      std::string text;
      for (const auto& l : kTitle)
        text += picture_text::text_at(*picture, l.row, l.column, int(l.text.size()), kScale) + "|";
      seen = text;
      if (text == kTitle[0].text + "|" + kTitle[1].text + "|") {
        shown_in = "window-title.png";
        const fs::path keep = fs::path(IRONBELL_ARTEFACTS) / shown_in;
        fs::create_directories(keep.parent_path());
        fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
      }
    }
    if (!shown_in.empty()) waitpid(game, &status, 0);
  }
  xvfb::stop(server);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << xvfb::read_file(dir / "game.txt");
  EXPECT_EQ(w, 320 * kScale) << info;
  EXPECT_EQ(h, 224 * kScale) << info;
  EXPECT_FALSE(shown_in.empty()) << shots << " screenshots, the last read \"" << seen << "\"";
  if (shown_in.empty() && fs::exists(shot)) {
    const fs::path keep = fs::path(IRONBELL_ARTEFACTS) / "window-last.png";
    fs::create_directories(keep.parent_path());
    fs::copy_file(shot, keep, fs::copy_options::overwrite_existing);
    ADD_FAILURE() << "last screenshot kept at " << keep;
  }
}

}  // namespace
