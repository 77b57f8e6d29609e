// Synthetic ROM data: the operator's service mode (menus, pages, texts, coin
// presets) and the defaults of the backup record and the bookkeeping block.
#include <cstdio>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/support/synthetic/service_layout.h"
#include "tests/support/synthetic_rom.h"

namespace synthetic {

namespace {

using namespace service_layout;

// A text list as the service pages print it: entries of a cell (low half of
// the text-layer address, or an offset from a base for a relative list), then
// bytes up to a 0; a byte 0x80-0xFF sets the colour to its complement; a cell
// of 0 ends the list.
class text_list {
 public:
  text_list& at(int row, int col) {
    close();
    put16(cell(row, col));
    open_ = true;
    return *this;
  }
  text_list& colour(uint8_t attribute) {
    data_.push_back(uint8_t(~attribute));
    return *this;
  }
  text_list& text(std::string_view s) {
    for (char c : s) data_.push_back(uint8_t(c));
    return *this;
  }
  // Writes the list at `address`; it must end before `limit` (the next table).
  void plant(rom_builder& rom, uint32_t address, uint32_t limit, const char* what) {
    close();
    put16(0);
    if (address + data_.size() > limit) {
      char msg[160];
      std::snprintf(msg, sizeof msg, "%s: %zu bytes at %06X run past %06X", what, data_.size(), address, limit);
      throw std::logic_error(msg);
    }
    rom.put_bytes(address, data_, what);
  }
  size_t size() const { return data_.size() + (open_ ? 1 : 0) + 2; }

 private:
  void close() {
    if (open_) data_.push_back(0);
    open_ = false;
  }
  void put16(uint16_t v) {
    data_.push_back(uint8_t(v));
    data_.push_back(uint8_t(v >> 8));
  }
  bytes data_;
  bool open_ = false;
};

// Cell offsets of a page's cursor lines, as its cursor-line table holds them
// (offsets from the text layer's first cell).
void plant_cursor_lines(rom_builder& rom, uint32_t address, std::initializer_list<int> rows, const char* what) {
  uint32_t a = address;
  for (int row : rows) {
    rom.put16(a, uint16_t(cell(row, kCursorColumn) - 0xF000), what);
    a += 2;
  }
}

// A page's line table: the routine run when the test switch is pressed on
// each line.
void plant_routines(rom_builder& rom, uint32_t address, std::initializer_list<uint32_t> routines, const char* what) {
  uint32_t a = address;
  for (uint32_t r : routines) {
    rom.put32(a, r, what);
    a += 4;
  }
}

// A list of `backup_record` byte offsets, ended by 0.
void plant_offsets(rom_builder& rom, uint32_t address, std::initializer_list<uint8_t> offsets, const char* what) {
  uint32_t a = address;
  for (uint8_t o : offsets) rom.put8(a++, o, what);
  rom.put8(a, 0, what);
}

void plant_backup_defaults(rom_builder& rom) {
  // Whole-record default of the backup data (signature, version, revision,
  // then the settings); its +0x10..+0x3B are the settings default read on
  // their own at 0x089604. The CRC and the save count start at 0: the first
  // save stores the CRC.
  bytes r(64, 0);
  r[0] = 'K';
  r[1] = 'O';
  r[2] = 'T';
  r[3] = 'A';
  r[4] = 0x01;  // version 0x8101
  r[5] = 0x81;
  r[6] = 1;  // revision
  for (size_t i = 0; i < sizeof kDefaultSettings; ++i) r[0x10 + i] = kDefaultSettings[i];
  rom.put_bytes(kBackupDefault, r, "backup record default");

  // Bookkeeping block default (+0x02..+0x7D): every counter 0, the shortest
  // play and the lowest score empty (their top bits set).
  bytes b(124, 0);
  b[0x28 - 2] = 0x80;
  b[0x3B - 2] = 0x80;
  rom.put_bytes(kBookkeepingDefault, b, "bookkeeping block default");

  // Player-input masks by the player-count setting (2, 3, 4 players): the
  // bytes of the absent players are cleared.
  rom.put32(0x06060F, 0x0000FFFF, "player input mask, 2 players");
  rom.put32(0x060613, 0x00FFFFFF, "player input mask, 3 players");
  rom.put32(0x060617, 0xFFFFFFFF, "player input mask, 4 players");
}

// Main menu: ten lines, the cursor in column 10 of rows 4, 6, ... 22, the
// texts from column 12; line 0 (auto-run) in colour 2.
void plant_main_menu(rom_builder& rom) {
  plant_routines(rom, 0x08B101,
                 {0x08B129, 0x08B159, 0x08B47C, 0x08B5B7, 0x08B6EC, 0x08B8AE, 0x08BA9A, 0x08BF92, 0x08C2BF,
                  0x08C35C},
                 "service menu lines");
  text_list menu;
  menu.at(1, 16).colour(0x00).text("SERVICE");
  for (int i = 0; i < 10; ++i) {
    menu.at(4 + 2 * i, 12);
    if (i == 0) menu.colour(0x02);
    if (i == 1) menu.colour(0x00);
    menu.text(kMenuLines[i]);
  }
  menu.plant(rom, 0x08C822, 0x08C8B8, "service menu text");
  // The auto-run state, printed after line 0's text so that it joins its run.
  rom.put32(0x08C8B8, 0x08C8C0, "auto-run off text pointer");
  rom.put32(0x08C8BC, 0x08C8CA, "auto-run on text pointer");
  text_list off, on;
  off.at(4, 20).colour(0x02).text(" OFF");
  on.at(4, 20).colour(0x02).text(" ON ");
  off.plant(rom, 0x08C8C0, 0x08C8CA, "auto-run off text");
  on.plant(rom, 0x08C8CA, 0x08C8E6, "auto-run on text");

  // Footer of the menu and the settings pages; the bookkeeping reset erases
  // its first line.
  text_list footer;
  footer.at(26, 4).colour(0x00).text("SERVICE SWITCH: NEXT LINE");
  footer.at(27, 4).text("TEST SWITCH: SELECT");
  footer.plant(rom, 0x08DBD8, 0x08DC1F, "service footer");
  // The blinking message of the test and bookkeeping pages, plain and auto-run.
  rom.put32(0x08DC1F, 0x08DC27, "page message pointer");
  rom.put32(0x08DC23, 0x08DC40, "auto-run page message pointer");
  text_list msg, auto_msg;
  msg.at(25, 12).colour(0x0A).text("PRESS TEST SWITCH");
  auto_msg.at(25, 12).colour(0x0A).text("AUTO RUN: PRESS TEST");
  msg.plant(rom, 0x08DC27, 0x08DC40, "page message");
  auto_msg.plant(rom, 0x08DC40, 0x08DC79, "auto-run page message");
  // Label of the save count shown while the service switch is held.
  text_list saves;
  saves.at(26, 20).colour(0x00).text("SAVES");
  saves.plant(rom, 0x08DC79, 0x08DC92, "save count label");

  // Service palette block: eight 16-colour palettes from palette 224 in the
  // alternate-layout view, one per text colour code 0, 2, ... 14: colour 0
  // black, the rest a tint of the code.
  bytes pal;
  auto put16 = [&](uint16_t v) {
    pal.push_back(uint8_t(v));
    pal.push_back(uint8_t(v >> 8));
  };
  put16(0x9C00);
  put16(8 * 16);
  for (int p = 0; p < 8; ++p)
    for (int c = 0; c < 16; ++c) put16(c == 0 ? 0 : uint16_t(0x7FFF ^ (p << 2) ^ (c << 7)));
  rom.put_bytes(0x08DC92, pal, "service palette block");
}

// Sound test: three lines of sound codes and a leave line, cursor in column
// 14 of rows 10, 12, 14, 16.
void plant_sound_test(rom_builder& rom) {
  plant_routines(rom, 0x08B690, {0x08B6A0, 0x08B6A0, 0x08B6A0, 0x08B6DA}, "sound test lines");
  text_list page;
  page.at(4, 14).colour(0x00).text("SOUND TEST");
  page.at(10, 16).text("MUSIC");
  page.at(12, 16).text("EFFECT");
  page.at(14, 16).text("VOICE");
  page.at(16, 16).text("EXIT");
  page.plant(rom, 0x08CC96, 0x08CCD4, "sound test text");
  // Per line, its sound codes ended by 0: 0x80 and above go to ring A,
  // below 0x80 to ring B as their complement.
  rom.put32(0x08CCD4, 0x08CCE0, "sound test list pointer");
  rom.put32(0x08CCD8, 0x08CCE3, "sound test list pointer");
  rom.put32(0x08CCDC, 0x08CCE7, "sound test list pointer");
  const uint8_t lists[] = {0x81, 0x82, 0, 0xA5, 0xAD, 0xA0, 0, 0x10, 0x11, 0};
  rom.put_bytes(0x08CCE0, lists, "sound test lists");
}

// Game settings: seven lines, values on the right, two bars.
void plant_game_settings(rom_builder& rom) {
  plant_routines(rom, 0x08B9E8, {0x08BA04, 0x08BA16, 0x08BA34, 0x08BA3E, 0x08BA52, 0x08BA69, 0x08BA73},
                 "game settings lines");
  plant_cursor_lines(rom, 0x08CE72, {kGameRows[0], kGameRows[1], kGameRows[2], kGameRows[3], kGameRows[4],
                                     kGameRows[5], kGameRows[6]},
                     "game settings cursor lines");
  text_list page;
  page.at(1, 14).colour(0x00).text("GAME OPTIONS");
  const char* labels[] = {"DIFFICULTY", "ENERGY", "DEMO SOUND", "FLIP SCREEN", "PLAYERS", "JOIN IN", "EXIT"};
  for (int i = 0; i < 7; ++i) page.at(kGameRows[i], kCursorColumn + 2).text(labels[i]);
  page.at(7, 17).text(std::string(16, '='));  // difficulty bar
  page.at(11, 15).text(std::string(16, '='));  // energy bar
  page.plant(rom, 0x08CDA2, 0x08CE72, "game settings text");
  // Off/on texts of demo sound, screen flip and join option.
  const int rows[3] = {kGameRows[2], kGameRows[3], kGameRows[5]};
  uint32_t text = 0x08CE98;
  for (int k = 0; k < 3; ++k) {
    for (int on = 0; on < 2; ++on) {
      rom.put32(0x08CE80 + 8 * k + 4 * on, text, "off/on text pointer");
      text_list t;
      t.at(rows[k], 26).colour(0x00).text(on ? "ON " : "OFF");
      t.plant(rom, text, text + 9, "off/on text");
      text += 9;
    }
  }
  // Fields whose change sets the changed bit on leaving.
  plant_offsets(rom, 0x08CEDC, {0x0A, 0x10, 0x16, 0x1A, 0x20, 0x22, 0x23}, "game settings compare list");
}

// Coin and credit page, its coin settings page, the coin presets and their
// descriptions.
void plant_coin_settings(rom_builder& rom) {
  plant_routines(rom, 0x08BBF4, {0x08BC08, 0x08BC32, 0x08BC3B, 0x08BCB6, 0x08BF65}, "coin and credit lines");
  plant_cursor_lines(rom, 0x08D0B0,
                     {kCreditRows[0], kCreditRows[1], kCreditRows[2], kCreditRows[3], kCreditRows[4]},
                     "coin and credit cursor lines");
  text_list credit;
  credit.at(kCreditRows[0], 4).colour(0x00).text("CHUTES");
  credit.at(kCreditRows[1], 4).text("TO START");
  credit.at(6, 26).text(" CREDIT");
  credit.at(kCreditRows[2], 4).text("PRESET");
  credit.at(9, 15).text("A:");
  credit.at(14, 4).text("CHUTE B");
  credit.at(kCreditRows[3], 4).text("DETAILS");
  credit.at(kCreditRows[4], 4).text("EXIT");
  credit.plant(rom, 0x08CEE4, 0x08CF7C, "coin and credit text");
  // Shared chutes / one chute per player.
  rom.put32(0x08D0C4, 0x08D0CC, "shared chutes text pointer");
  rom.put32(0x08D0C8, 0x08D0DC, "chute per player text pointer");
  text_list shared, own;
  shared.at(kCreditRows[0], 20).colour(0x00).text("SHARED    ");
  own.at(kCreditRows[0], 20).colour(0x00).text("PER PLAYER");
  shared.plant(rom, 0x08D0CC, 0x08D0DC, "shared chutes text");
  own.plant(rom, 0x08D0DC, 0x08D0EC, "chute per player text");

  plant_routines(rom, 0x08BEE0, {0x08BEF4, 0x08BF1D, 0x08BF4A, 0x08BF50, 0x08BF56}, "coin settings lines");
  plant_cursor_lines(rom, 0x08D0BA, {kCoinRows[0], kCoinRows[1], kCoinRows[2], kCoinRows[3], kCoinRows[4]},
                     "coin settings cursor lines");
  text_list coin;
  coin.at(1, 14).colour(0x00).text("COIN DETAILS");
  coin.at(kCoinRows[0], 4).text("ONE CREDIT");
  coin.at(6, 24).text(" COIN");
  coin.at(kCoinRows[1], 4).text("BONUS");
  coin.at(kCoinRows[2], 4).text("CHUTE A");
  coin.at(11, 33).text(" UNIT");
  coin.at(12, 3).text("COINS:  1   2   3   4   5   6   7   8   9");
  coin.at(16, 3).text("CHUTE B");
  coin.at(17, 2).text("B UNITS");
  coin.at(17, 15).text("PER COIN");
  coin.at(17, 33).text(" UNIT");
  coin.at(18, 4).text("COINS");
  coin.at(20, 2).text("CREDITS");
  coin.at(kCoinRows[4], 4).text("BACK");
  coin.plant(rom, 0x08CF7C, 0x08D0B0, "coin settings text");
  // Bonus texts: none, the free-play marker, and the words after a period.
  text_list none, free, after;
  none.at(8, 12).colour(0x00).text("    NONE     ");
  free.at(8, 12).colour(0x00).text("  FREE PLAY  ");
  after.at(8, 12).colour(0x00).text("  ");
  after.at(8, 16).text(" UNITS +1");
  none.plant(rom, 0x08D867, 0x08D886, "no bonus text");
  free.plant(rom, 0x08D886, 0x08D8A5, "free-play bonus text");
  after.plant(rom, 0x08D8A5, 0x08D8C2, "bonus period text");

  // Presets: coins per credit, bonus period, chute-1 units, chute-2 units.
  // Their descriptions have one more pointer, for item 26 (no preset), which
  // the page prints once a coin field was edited by hand.
  uint32_t description = 0x08D158;
  rom.put32(0x08D154, description, "custom coin settings description pointer");
  {
    text_list d;
    d.at(9, 19).colour(0x00).text("CUSTOM");
    const uint32_t end = description + uint32_t(d.size());
    d.plant(rom, description, 0x08D867, "custom coin settings description");
    description = end;
  }
  for (int k = 0; k < kPresetCount; ++k) {
    const auto& p = kPresets[k];
    const uint32_t at = 0x08D8C2 + 4 * uint32_t(k);
    rom.put32(0x08D0EC + 4 * uint32_t(k), description, "coin preset description pointer");
    text_list d;
    if (p[0] & 0x80) {
      rom.put8(at, p[0], "coin preset (free play)");
      d.at(9, 19).colour(0x00).text("FREE PLAY");
    } else {
      rom.put_bytes(at, p, "coin preset");
      char line[40];
      std::snprintf(line, sizeof line, "%d UNIT, %d PER CREDIT", p[2], p[0]);
      d.at(9, 19).colour(0x00).text(line);
      if (p[1]) {
        std::snprintf(line, sizeof line, "BONUS EVERY %d", p[1]);
        d.at(10, 19).text(line);
      }
      std::snprintf(line, sizeof line, "%d UNIT", p[3]);
      d.at(14, 19).text(line);
    }
    const uint32_t end = description + uint32_t(d.size());
    d.plant(rom, description, 0x08D867, "coin preset description");
    description = end;
  }
  // Fields whose change sets the changed bit (and drops the saved credits).
  plant_offsets(rom, 0x08D927, {0x11, 0x12, 0x13, 0x14, 0x15, 0x17, 0x19, 0x1B}, "coin settings compare list");
}

// Bookkeeping pages and the bookkeeping reset.
void plant_bookkeeping(rom_builder& rom) {
  text_list p1;
  p1.at(1, 14).colour(0x00).text("BOOKKEEPING");
  // Chute lines: greyed from column 12 when the chute is not in use.
  const char* chutes[] = {"CHUTE 1 COIN", "CHUTE 2 COIN", "CHUTE 3 COIN", "CHUTE 4 COIN", "  TOTAL COIN"};
  for (int i = 0; i < 5; ++i) p1.at(5 + i, 12).text(chutes[i]);
  p1.at(11, 13).text("COIN CREDIT");
  p1.at(12, 10).text("SERVICE CREDIT");
  p1.at(13, 12).text("TOTAL CREDIT");
  p1.at(15, 20).text("JOIN");
  p1.at(17, 4).text("POWER ON");
  p1.at(18, 4).text("PLAYING");
  p1.at(19, 4).text("AVERAGE PLAY");
  p1.at(20, 4).text("LONGEST PLAY");
  p1.at(21, 4).text("SHORTEST PLAY");
  p1.at(22, 4).text("GAME SHARE");
  p1.at(22, 31).text("%");
  p1.plant(rom, 0x08D930, 0x08DAA8, "bookkeeping page 1 text");

  text_list p2;
  p2.at(1, 14).colour(0x00).text("PLAY LENGTHS");
  for (int i = 0; i < 12; ++i) {
    char band[8];
    if (i < 10)
      std::snprintf(band, sizeof band, "%d:%02d", i / 2, 30 * (i % 2));
    else
      std::snprintf(band, sizeof band, "%s", i == 10 ? "5:00" : "10:00");
    p2.at(6 + i, 4).text(band);
  }
  p2.at(20, 4).text("AVERAGE SCORE");
  p2.at(21, 4).text("BEST SCORE");
  p2.at(22, 4).text("LOWEST SCORE");
  p2.plant(rom, 0x08DAA8, 0x08DBA6, "bookkeeping page 2 text");

  text_list reset, done;
  reset.at(8, 10).colour(0x00).text("CLEAR BOOKKEEPING");
  reset.at(12, 19).text("NO");
  reset.at(18, 19).text("YES");
  done.at(20, 16).colour(0x0A).text("CLEARED");
  reset.plant(rom, 0x08DBA6, 0x08DBC9, "bookkeeping reset text");
  done.plant(rom, 0x08DBC9, 0x08DBD8, "bookkeeping cleared text");
}

}  // namespace

void plant_service(rom_builder& rom) {
  plant_backup_defaults(rom);
  plant_main_menu(rom);
  plant_sound_test(rom);
  plant_game_settings(rom);
  plant_coin_settings(rom);
  plant_bookkeeping(rom);
}

}  // namespace synthetic
