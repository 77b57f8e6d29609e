#include "host/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

std::vector<std::string> reports;
void capture(const char* text) { reports.emplace_back(text); }

const std::string kScaleComment = "; the window's size, in times the game's picture\n";
const std::string kFullScreenEntry =
    "; yes: full screen (F11 or Alt+Enter change it)\nfull_screen = no\n";
const std::string kSmoothEntry =
    "; yes: smooth pixels; no: sharp ones (F3 changes it)\nsmooth = no\n";
const std::string kSoundSection =
    "\n[sound]\n; the game's sound, from 0 (none) to 2 (twice as loud)\nvolume = 1\n";

class SettingsFile : public TempFolder {
protected:
    std::string path;

    void SetUp() override {
        TempFolder::SetUp();
        path = file("irnbell.ini");
        settings = SETTINGS_DEFAULTS;
        reports.clear();
        settings_set_log(capture);
    }
    void TearDown() override {
        settings_set_log(nullptr);
        settings = SETTINGS_DEFAULTS;
        TempFolder::TearDown();
    }

    // Writes text as the file and opens it.
    void open_with(const std::string& text) {
        write(path, text);
        settings_open(path.c_str());
    }
    std::string at(int line) const { return path + ":" + std::to_string(line) + ": "; }
};

TEST_F(SettingsFile, MissingFileIsCreatedWithEveryKeyAndItsComment) {
    settings_open(path.c_str());
    EXPECT_EQ(read(path),
              "; Comet Runner: the settings of the game's window.\n"
              "; Read when the game starts, and again whenever this file is saved while the "
              "game runs.\n"
              "\n"
              "[video]\n" +
                  kScaleComment + "scale = 3\n" + kFullScreenEntry + kSmoothEntry +
                  kSoundSection);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_FALSE(settings_reread());
}

TEST_F(SettingsFile, EmptyFileIsWrittenAsANewOne) {
    write(path, "");
    settings_open(path.c_str());
    settings_save();
    std::string text = read(path);
    EXPECT_EQ(text.rfind("; Comet Runner", 0), 0u);
    EXPECT_NE(text.find("scale = 3\n"), std::string::npos);
}

TEST_F(SettingsFile, SaveKeepsUserLinesAndAddsMissingKeysWhereTheirSectionEnds) {
    open_with("[Video]\n  SCALE = 2,5 ; big\n\n[other]\nx=1\n");
    EXPECT_EQ(settings.scale, 2.5);
    EXPECT_EQ(reports, std::vector<std::string>{at(5) + "[other] has no setting 'x'"});

    settings_save();
    const std::string expected = "[Video]\nscale = 2.5 ; big\n" + kFullScreenEntry + kSmoothEntry +
                                 "\n[other]\nx=1\n" + kSoundSection;
    EXPECT_EQ(read(path), expected);
    settings_save();
    EXPECT_EQ(read(path), expected);
}

TEST_F(SettingsFile, BlankLinesAtTheEndOfASectionStayAfterTheAddedKeys) {
    open_with("; mine\n[video]\nscale=2\n\n\n[sound]\n\nVolume=0,5 # half\n\n");
    settings.full_screen = 1;
    settings_save();
    EXPECT_EQ(read(path), "; mine\n[video]\nscale = 2\n"
                          "; yes: full screen (F11 or Alt+Enter change it)\nfull_screen = yes\n" +
                              kSmoothEntry + "\n\n[sound]\n\nvolume = 0.5 # half\n\n");
    EXPECT_EQ(settings.volume, 0.5);
}

TEST_F(SettingsFile, EveryMatchingKeyLineIsReplacedAndTheLastReadWins) {
    open_with("[video]\nscale = 2\n[sound]\nvolume=2\n[video]\n\tscale = 4 ;x\nfull_screen=on\n"
              "smooth = TRUE\n");
    EXPECT_EQ(settings.scale, 4.0);
    EXPECT_EQ(settings.full_screen, 1);
    EXPECT_EQ(settings.smooth, 1);
    settings.scale = 1.23456;
    settings_save();
    EXPECT_EQ(read(path), "[video]\nscale = 1.235\n[sound]\nvolume = 2\n[video]\n"
                          "scale = 1.235 ;x\nfull_screen = yes\nsmooth = yes\n");
}

TEST_F(SettingsFile, KeysOutsideTheirSectionAreReportedOnEveryReadAndKeptOnEverySave) {
    const std::string text = "scale = 5\n[ sound ]\nfull_screen = yes\n[Sound\nvolume = 0\n";
    open_with(text);
    const std::vector<std::string> expected = {at(1) + "[] has no setting 'scale'",
                                               at(3) + "[sound] has no setting 'full_screen'"};
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_EQ(settings.full_screen, 0);
    EXPECT_EQ(settings.volume, 0.0);  // "[Sound" without its bracket is still the sound section

    settings_save();
    std::string saved = read(path);
    EXPECT_EQ(saved.rfind(text, 0), 0u) << saved;
    reports.clear();
    settings_open(path.c_str());
    EXPECT_EQ(reports, expected);
}

struct rejected_case {
    const char* line;
    const char* report;  // after "path:2: "
};

TEST_F(SettingsFile, RejectedValuesAreReportedAndChangeNothing) {
    const rejected_case cases[] = {
        {"scale = 0.5", "'0.5' is not a value of scale"},
        {"scale = 11", "'11' is not a value of scale"},
        {"Scale = nan", "'nan' is not a value of Scale"},
        {"scale =", "'' is not a value of scale"},
        {"scale = ; nothing", "'' is not a value of scale"},
        {"scale = 2x", "'2x' is not a value of scale"},
        {"scale = 2,5,1", "'2.5.1' is not a value of scale"},
        {"scale = inf", "'inf' is not a value of scale"},
        {"full_screen = 2", "'2' is not a value of full_screen"},
        {"smooth = yess", "'yess' is not a value of smooth"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        settings = SETTINGS_DEFAULTS;
        reports.clear();
        open_with(std::string("[video]\n") + c.line + "\n");
        EXPECT_EQ(reports, std::vector<std::string>{at(2) + c.report});
        EXPECT_EQ(settings.scale, 3.0);
        EXPECT_EQ(settings.full_screen, 0);
        EXPECT_EQ(settings.smooth, 0);
    }
}

TEST_F(SettingsFile, AcceptedValuesAtTheLimitsAndInEveryWord) {
    struct accepted_case {
        const char* line;
        double scale;
        uint8_t full_screen;
    };
    const accepted_case cases[] = {
        {"scale = 1", 1, 0},       {"scale = 10", 10, 0},  {"scale=1e1", 10, 0},
        {"full_screen = On", 3, 1}, {"full_screen=TRUE", 3, 1}, {"full_screen = 1", 3, 1},
        {"full_screen = Off", 3, 0}, {"full_screen = no", 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        settings = SETTINGS_DEFAULTS;
        // A word has to change the flag to pass.
        if (std::string(c.line).rfind("full", 0) == 0) settings.full_screen = !c.full_screen;
        reports.clear();
        open_with(std::string("[VIDEO]\n") + c.line + "\n");
        EXPECT_TRUE(reports.empty());
        EXPECT_EQ(settings.scale, c.scale);
        EXPECT_EQ(settings.full_screen, c.full_screen);
    }
}

TEST_F(SettingsFile, KeysTheFileDoesNotMentionKeepTheirValues) {
    settings.volume = 0.25;
    open_with("[video]\nsmooth = yes\n");
    EXPECT_EQ(settings.volume, 0.25);
    EXPECT_EQ(settings.smooth, 1);
}

TEST_F(SettingsFile, RereadFollowsSizeAndModificationTime) {
    open_with("[video]\nscale = 2\n");
    EXPECT_FALSE(settings_reread());

    write(path, "[video]\nscale = 4\n");  // same size, so only the time can tell
    set_mtime(path, 1'000'000'000);
    EXPECT_TRUE(settings_reread());
    EXPECT_EQ(settings.scale, 4.0);
    EXPECT_FALSE(settings_reread());

    write(path, "[video]\nscale = 5 \n");
    set_mtime(path, 1'000'000'000);  // same time, other size
    EXPECT_TRUE(settings_reread());
    EXPECT_EQ(settings.scale, 5.0);

    set_mtime(path, 1'000'000'001);  // touched, unchanged
    EXPECT_TRUE(settings_reread());

    settings.smooth = 1;
    settings_save();
    EXPECT_FALSE(settings_reread());

    std::filesystem::remove(path);
    EXPECT_FALSE(settings_reread());
}

TEST_F(SettingsFile, LongLinesStayWholeWhenSaved) {
    // Lines are parsed in pieces of 511 characters: the tail of this comment
    // reads as its own line (a key line of [video]), and the line after it is
    // line 4.
    const std::string long_comment = "; " + std::string(509, 'c') + "bogus = 1";
    const std::string long_key = "SCALE=2 ;" + std::string(600, 'k');
    const std::string full_piece = "; " + std::string(509, 'p');  // one line, not two
    open_with("[video]\n" + long_comment + "\n" + long_key + "\n" + full_piece + "\nwrong = 1");
    EXPECT_EQ(reports, (std::vector<std::string>{at(3) + "[video] has no setting 'bogus'",
                                                 at(7) + "[video] has no setting 'wrong'"}));
    EXPECT_EQ(settings.scale, 2.0);

    settings.scale = 4;
    settings_save();
    const std::string expected = "[video]\n" + long_comment + "\nscale = 4 ;" +
                                 std::string(600, 'k') + "\n" + full_piece + "\nwrong = 1\n" +
                                 kFullScreenEntry +
                                 kSmoothEntry + kSoundSection;
    EXPECT_EQ(read(path), expected);
    settings_save();
    EXPECT_EQ(read(path), expected);
}

TEST_F(SettingsFile, LongKeyLineKeepsItsCommentAndTheTextItsPieceDidNotHold) {
    struct long_case {
        std::string line;
        std::string saved;
    };
    const long_case cases[] = {
        // Blanks before the comment shrink to one, as on a short line.
        {"volume=0" + std::string(600, ' ') + "; far", "volume = 2 ; far"},
        // The value ends with the first piece; the text after it reads as a
        // line of its own and stays byte for byte.
        {"volume=0" + std::string(503, ' ') + "xyz", "volume = 2" + std::string(503, ' ') + "xyz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        settings = SETTINGS_DEFAULTS;
        open_with("[sound]\n" + c.line + "\n");
        EXPECT_EQ(settings.volume, 0.0);
        settings.volume = 2;
        settings_save();
        std::string saved = read(path);
        EXPECT_EQ(saved.rfind("[sound]\n" + c.saved + "\n", 0), 0u);
        settings_save();
        EXPECT_EQ(read(path), saved);
    }
}

TEST_F(SettingsFile, UnwritableFileIsReportedAndTheDefaultsStay) {
    const std::string nowhere = file("no-such-folder/irnbell.ini");
    settings_open(nowhere.c_str());
    EXPECT_EQ(reports, std::vector<std::string>{nowhere + ": the settings cannot be written"});
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_FALSE(settings_reread());
}

TEST_F(SettingsFile, CarriageReturnsAreTrimmedAndLinesWithoutSenseAreKept) {
    open_with("[video]\r\nscale = 6\r\njust words\r\n[broken\r\n");
    EXPECT_EQ(settings.scale, 6.0);
    EXPECT_TRUE(reports.empty());
    settings_save();
    std::string saved = read(path);
    EXPECT_EQ(saved.rfind("[video]\r\nscale = 6\njust words\r\n" + kFullScreenEntry +
                              kSmoothEntry + "[broken\r\n",
                          0),
              0u)
        << saved;
}

}  // namespace
