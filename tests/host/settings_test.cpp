#include "host/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "tests/support/bad_files.h"

namespace {

std::vector<std::string> reports;
void capture(const char* text) { reports.emplace_back(text); }

const std::string kScaleComment = "; the window's size, in times the game's picture\n";
const std::string kFullScreenEntry = "; yes: full screen (F11 or Alt+Enter change it)\nfull_screen = no\n";
const std::string kSmoothEntry = "; yes: smooth pixels; no: sharp ones (F3 changes it)\nsmooth = no\n";
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
              "; Ironbell: the settings of the game's window.\n"
              "; Read when the game starts, and again whenever this file is saved while the "
              "game runs.\n"
              "\n"
              "[video]\n" +
                  kScaleComment + "scale = 3\n" + kFullScreenEntry + kSmoothEntry + kSoundSection);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_FALSE(settings_reread());
}

TEST_F(SettingsFile, EmptyFileIsWrittenAsANewOne) {
    // A save cut short by a full disk leaves such a file: it gets the defaults
    // at the next start, as a missing one does.
    write(path, "");
    settings_open(path.c_str());
    std::string text = read(path);
    EXPECT_EQ(text.rfind("; Ironbell: the settings", 0), 0u) << text;
    EXPECT_NE(text.find("scale = 3\n"), std::string::npos);
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(settings_reread());
}

TEST_F(SettingsFile, SaveKeepsUserLinesAndAddsMissingKeysWhereTheirSectionEnds) {
    open_with("[Video]\n  SCALE = 2,5 ; big\n\n[other]\nx=1\n");
    EXPECT_EQ(settings.scale, 2.5);
    EXPECT_EQ(reports, std::vector<std::string>{at(5) + "[other] has no setting 'x'"});

    settings_save();
    const std::string expected =
        "[Video]\nscale = 2.5 ; big\n" + kFullScreenEntry + kSmoothEntry + "\n[other]\nx=1\n" + kSoundSection;
    EXPECT_EQ(read(path), expected);
    settings_save();
    EXPECT_EQ(read(path), expected);
}

TEST_F(SettingsFile, BlankLinesAtTheEndOfASectionStayAfterTheAddedKeys) {
    open_with("; mine\n[video]\nscale=2\n\n\n[sound]\n\nVolume=0,5 # half\n\n");
    settings.full_screen = 1;
    settings_save();
    EXPECT_EQ(read(path),
              "; mine\n[video]\nscale = 2\n"
              "; yes: full screen (F11 or Alt+Enter change it)\nfull_screen = yes\n" +
                  kSmoothEntry + "\n\n[sound]\n\nvolume = 0.5 # half\n\n");
    EXPECT_EQ(settings.volume, 0.5);
}

TEST_F(SettingsFile, EveryMatchingKeyLineIsReplacedAndTheLastReadWins) {
    open_with(
        "[video]\nscale = 2\n[sound]\nvolume=2\n[video]\n\tscale = 4 ;x\nfull_screen=on\n"
        "smooth = TRUE\n");
    EXPECT_EQ(settings.scale, 4.0);
    EXPECT_EQ(settings.full_screen, 1);
    EXPECT_EQ(settings.smooth, 1);
    settings.scale = 1.23456;
    settings_save();
    EXPECT_EQ(read(path),
              "[video]\nscale = 1.235\n[sound]\nvolume = 2\n[video]\n"
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
        {"scale = 1", 1, 0},         {"scale = 10", 10, 0},      {"scale=1e1", 10, 0},
        {"full_screen = On", 3, 1},  {"full_screen=TRUE", 3, 1}, {"full_screen = 1", 3, 1},
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

// Two saves within one second that keep the size: the second is seen too,
// as is a file put in place by renaming another of the same time and size.
TEST_F(SettingsFile, RereadSeesEverySaveWithinOneSecond) {
    write(path, "[video]\nscale = 3\n");
    set_mtime(path, 1'700'000'000, 100'000'000);
    settings_open(path.c_str());
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_FALSE(settings_reread());

    write(path, "[video]\nscale = 2\n");
    set_mtime(path, 1'700'000'000, 950'000'000);  // 0.85 s later
    EXPECT_TRUE(settings_reread());
    EXPECT_EQ(settings.scale, 2.0);
    EXPECT_FALSE(settings_reread());

    const std::string other = file("other.ini");
    write(other, "[video]\nscale = 4\n");
    set_mtime(other, 1'700'000'000, 950'000'000);
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_TRUE(settings_reread());
    EXPECT_EQ(settings.scale, 4.0);
    EXPECT_FALSE(settings_reread());
}

// A line that is no comment, no section header and no key line does nothing,
// so the user is told where it is; it stays in the file as written.
TEST_F(SettingsFile, LinesThatAreNotSettingLinesAreReportedAndKept) {
    const std::string text =
        "; comment\n# comment\n\n  \t\n[video]\nscale = 2\nfull_screen = no\nsmooth = no\nscale 5\n"
        "  this line is nonsense  \n[broken\n\x01\xFE\xFF\r\n[sound]\nvolume = 1\n";
    open_with(text);
    const std::vector<std::string> expected = {
        at(9) + "'scale 5' is not a setting line: write key = value",
        at(10) + "'this line is nonsense' is not a setting line: write key = value",
        at(12) + "'\\x01\\xFE\\xFF' is not a setting line: write key = value",
    };
    EXPECT_EQ(reports, expected);
    EXPECT_EQ(settings.scale, 2.0);

    settings_save();
    std::string kept = text;
    kept.replace(kept.find("  \t\n"), 4, "\n");  // a blank line is written bare
    EXPECT_EQ(read(path), kept);
    reports.clear();
    EXPECT_FALSE(settings_reread());
    settings_open(path.c_str());
    EXPECT_EQ(reports, expected) << "said again at every read";
}

// What a report quotes from the file cannot change the terminal or fill it:
// control bytes and bytes of 0x80 and above are escaped, and a quote is cut
// after 60 characters.
TEST_F(SettingsFile, ReportsEscapeAndCutWhatTheyQuote) {
    const std::string long_key(200'000, 'k');
    const struct {
        std::string line;
        std::string report;  // after "path:2: "
    } cases[] = {
        {"full_screen = \x1B[31mred", "'\\x1B[31mred' is not a value of full_screen"},
        {"Sc\xC3\xA4le = 2", "[video] has no setting 'Sc\\xC3\\xA4le'"},
        {"scale = 2\x7F", "'2\\x7F' is not a value of scale"},
        {long_key + " = 1", "[video] has no setting '" + std::string(60, 'k') + "…'"},
        {"scale = " + std::string(59, '9') + "\x1B",
         "'" + std::string(59, '9') + "…' is not a value of scale"},
        {"smooth = " + std::string(60, 'y'), "'" + std::string(60, 'y') + "' is not a value of smooth"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.report);
        reports.clear();
        open_with("[video]\n" + c.line + "\n");
        EXPECT_EQ(reports, std::vector<std::string>{at(2) + c.report});
    }
    reports.clear();
    open_with("[\x1B]c]\nscale = 1\n");
    EXPECT_EQ(reports, std::vector<std::string>{at(2) + "[\\x1B] has no setting 'scale'"});
}

TEST_F(SettingsFile, LongLinesAreReadAndSavedWhole) {
    // A comment line is a comment whatever its length, also when its tail
    // looks like a key line; line numbers count the file's lines.
    const std::string long_comment = "; " + std::string(5000, 'c') + " scale = 10";
    const std::string long_key = "SCALE=2 ;" + std::string(600, 'k');
    const std::string long_unknown = std::string(700, 'u') + " = 1";
    open_with("[video]\n" + long_comment + "\n" + long_key + "\n" + long_unknown + "\nwrong = 1");
    EXPECT_EQ(reports,
              (std::vector<std::string>{at(4) + "[video] has no setting '" + std::string(60, 'u') + "…'",
                                        at(5) + "[video] has no setting 'wrong'"}));
    EXPECT_EQ(settings.scale, 2.0);

    settings.scale = 4;
    settings_save();
    const std::string expected = "[video]\n" + long_comment + "\nscale = 4 ;" + std::string(600, 'k') + "\n" +
                                 long_unknown + "\nwrong = 1\n" + kFullScreenEntry + kSmoothEntry +
                                 kSoundSection;
    EXPECT_EQ(read(path), expected);
    settings_save();
    EXPECT_EQ(read(path), expected);
}

TEST_F(SettingsFile, LongKeyLineKeepsItsCommentAndAValueWithTextAfterItIsRejected) {
    open_with("[sound]\nvolume=0" + std::string(600, ' ') + "; far\n");
    EXPECT_EQ(settings.volume, 0.0);
    settings.volume = 2;
    settings_save();
    EXPECT_EQ(read(path).rfind("[sound]\nvolume = 2 ; far\n", 0), 0u);

    reports.clear();
    settings = SETTINGS_DEFAULTS;
    const std::string value = "0" + std::string(600, ' ') + "xyz";
    open_with("[sound]\nvolume=" + value + "\n");
    EXPECT_EQ(settings.volume, 1.0);
    EXPECT_EQ(reports,
              std::vector<std::string>{at(2) + "'" + value.substr(0, 60) + "…' is not a value of volume"});
}

TEST_F(SettingsFile, UnwritableFileIsReportedAndTheDefaultsStay) {
    const std::string nowhere = file("no-such-folder/irnbell.ini");
    settings_open(nowhere.c_str());
    EXPECT_EQ(reports, std::vector<std::string>{nowhere + ": the settings cannot be written\n" + nowhere +
                                                ".new: No such file or directory"});
    EXPECT_EQ(settings.scale, 3.0);
    EXPECT_FALSE(settings_reread());
}

// Something that is not a readable settings file: reported with its reason,
// the defaults stay, and neither the start nor a later save (a hot key)
// writes over it.
TEST_F(SettingsFile, AFileThatCannotBeReadIsReportedAndNeverWrittenOver) {
    namespace fs = std::filesystem;
    for (const auto& c : bad_files::text_file_refusals) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        ASSERT_TRUE(c.make(path));
        const auto kind = fs::status(path).type();
        reports.clear();
        settings = SETTINGS_DEFAULTS;
        settings.scale = 5;
        settings_open(path.c_str());  // returns: a FIFO does not block
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], path + ": cannot be read\n" + c.reason +
                                  "; the settings are the defaults, and the file is left as it is");
        EXPECT_EQ(settings.scale, 5.0) << "the values from before stay";
        settings_save();
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[1], path + ": the settings cannot be written\nthe file cannot be read (" +
                                  c.reason + "), so it is left as it is");
        EXPECT_EQ(fs::status(path).type(), kind);
        EXPECT_FALSE(fs::exists(path + ".new"));
        EXPECT_FALSE(settings_reread());
        EXPECT_EQ(reports.size(), 2u) << "the 30-frame re-read does not say it again";
    }
    EXPECT_EQ(fs::file_size(path), (16u << 20) + 1);
}

// A file its owner may write but not read (mode 0200) keeps its lines.
TEST_F(SettingsFile, AWriteOnlyFileKeepsTheUsersLines) {
    const std::string text = "[video]\nscale = 7 ; mine\n";
    const int result = bad_files::as_ordinary_user(folder, [&] {
        write(path, text);
        std::filesystem::permissions(path, std::filesystem::perms::owner_write);
        settings_open(path.c_str());
        settings_save();
        if (settings.scale != 3.0) return 1;
        if (reports.size() != 2 || reports[0].rfind(path + ": cannot be read\nPermission denied", 0) != 0)
            return 2;
        std::filesystem::permissions(
            path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        return read(path) == text ? 0 : 3;
    });
    EXPECT_EQ(result, 0) << "1: not the defaults, 2: not reported, 3: the file was written over";
}

TEST_F(SettingsFile, CarriageReturnsAreTrimmedAndLinesWithoutSenseAreKept) {
    open_with("[video]\r\nscale = 6\r\njust words\r\n[broken\r\n");
    EXPECT_EQ(settings.scale, 6.0);
    EXPECT_EQ(reports,
              std::vector<std::string>{at(3) + "'just words' is not a setting line: write key = value"});
    settings_save();
    std::string saved = read(path);
    EXPECT_EQ(
        saved.rfind("[video]\r\nscale = 6\njust words\r\n" + kFullScreenEntry + kSmoothEntry + "[broken\r\n",
                    0),
        0u)
        << saved;
}

}  // namespace
