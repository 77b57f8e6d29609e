// Video and mixer set-up: video RAM cleared, the text layer's patterns, the
// default video registers with their shadow and the camera records, the mixer
// defaults, the I/O chip and a sprite RAM block at boot; and the switch of the
// two zoomable tile layers into and out of the centred mode of area changes.
#include "game/routines.h"
#include "game/engine/common.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/hardware.h"
#include "game/operator/vars.h"
#include "runtime/guest.h"

using namespace guest;

namespace {

constexpr uint32_t kMixerWords = 40;
constexpr uint32_t kDefaultMapHeader = 0x060AA6;
constexpr uint32_t kLayerControl = 0x060AAA;  // halfword
constexpr uint32_t kVideoDefaultWords = 71;
constexpr uint32_t kSpriteBlockCount = 0x060B3A;  // 32-bit, the halfwords follow
constexpr uint32_t kTextPatternWords = 6144;

constexpr uint32_t kVideoRamEnd = hw::video_regs;  // the clear stops below the registers
constexpr uint32_t kBlock = 1024;

constexpr uint16_t kScreenFlip = 1u << 9;
constexpr uint16_t kUpperLayersOff = 3u << 12;  // NBG2 and NBG3 switched off
constexpr uint16_t kLayerModeBits = 0xF000;
constexpr uint16_t kCentreX = 160, kCentreY = 112;  // the middle of the 320 × 224 screen
constexpr uint16_t kZoomOne = 0x200, kZoomHalf = 0x100;
constexpr uint8_t kZoomSound = 0x9E;

void or16(uint32_t address, uint16_t bits) {
    orb_write16(address, logic<uint16_t>(orb_read16(address) | bits));
}

void and16(uint32_t address, uint16_t bits) {
    orb_write16(address, logic<uint16_t>(orb_read16(address) & bits));
}

void set_centres(uint16_t x, uint16_t y) {
    orb_write16(var::layer_centres, x);
    orb_write16(var::layer_centres + 2, y);
    orb_write16(var::layer_centres + 4, x);
    orb_write16(var::layer_centres + 6, y);
}

void set_zoom(uint16_t zoom) {
    orb_write16(var::nbg0_zoom, zoom);
    orb_write16(var::nbg1_zoom, zoom);
}

uint32_t camera(uint32_t k, uint32_t field) { return var::camera_records + camera_record::size * k + field; }

// A scroll word from a camera position in quarter pixels, offset by the centre.
// The sum is not masked again.
uint16_t centred(uint32_t position, uint16_t centre) {
    return static_cast<uint16_t>(((orb_read16(position) >> 2) & 0x1FF) + centre);
}

uint16_t uncentred(uint32_t scroll, uint16_t centre) {
    return static_cast<uint16_t>((orb_read16(scroll) - centre) & 0x1FF);
}

}  // namespace

// Full layer reset: video RAM cleared, the text patterns loaded, the layer
// control word from ROM (flipped when the operator setting says so) in the
// register and its shadow, then the video-shadow reset.
void sub_0608A8() {
    ROUTINE_ENTRY(0x0608A8);
    if (!call(sub_060931, 0x0608AB, 0x0608A8)) return;
    if (!call(sub_08893E, 0x0608AE, 0x0608AB)) return;
    const uint16_t control = orb_read16(kLayerControl);
    orb_write16(hw::video_regs, control);
    orb_write16(var::layer_control, control);
    test<uint8_t>(orb_read8(var::backup_image + backup_record::flip_screen));
    if (ne()) {
        or16(hw::video_regs, kScreenFlip);
        or16(var::layer_control, kScreenFlip);
    }
    sub_0608DF();
}

// Video-shadow reset: every camera record back to the default map header at
// position 0, the layer control word's mode bits 12-15 cleared in the
// register and the shadow, and the other 71 video registers and their shadow
// from ROM.
void sub_0608DF() {
    ROUTINE_ENTRY(0x0608DF);
    for (uint32_t k = 0; k < 4; ++k) {
        orb_write32(camera(k, camera_record::map_header), kDefaultMapHeader);
        orb_write32(camera(k, 4), 0);
        orb_write32(camera(k, 8), 0);
        orb_write32(camera(k, 12), 0);
    }
    and16(hw::video_regs, static_cast<uint16_t>(~kLayerModeBits));
    and16(var::layer_control, static_cast<uint16_t>(~kLayerModeBits));
    move_halfwords(rom::video_defaults, hw::video_regs + 2, kVideoDefaultWords);
    move_halfwords(rom::video_defaults, var::video_shadow + 2, kVideoDefaultWords);
    ret();
}

// Clears video RAM 0x300000-0x31FEFF, 16 bytes a step; the video registers
// above it keep their values.
void sub_060931() {
    ROUTINE_ENTRY(0x060931);
    engine::clear_words(hw::video_ram, kVideoRamEnd);
    ret();
}

// Clears 1 KB blocks of video RAM from 0x300000 + R9's low half down: the
// block there, then one 1,024 bytes lower each time while the offset is at
// least 1,024 (signed 16-bit). In: R9. Out: R9's low half at the last block.
void sub_060953() {
    ROUTINE_ENTRY(0x060953);
    for (;;) {
        if (!call(sub_060964, 0x060956, 0x060953)) return;
        cmp<uint16_t>(cpu.reg[9], kBlock);
        if (less()) break;
        set16(cpu.reg[9], sub<uint16_t>(cpu.reg[9], kBlock));
    }
    ret();
}

// Clears the 1 KB block of video RAM at 0x300000 + R9's low half.
void sub_060964() {
    ROUTINE_ENTRY(0x060964);
    const uint32_t block = hw::video_ram + (cpu.reg[9] & 0xFFFF);
    engine::clear_words(block, block + kBlock);
    ret();
}

// Mixer defaults from ROM into the mixer registers (last word first), the
// mixer shadow and the pending mixer image.
void sub_0609D3() {
    ROUTINE_ENTRY(0x0609D3);
    for (uint32_t i = kMixerWords; i-- > 0;) {
        const uint16_t w = orb_read16(rom::mixer_defaults + 2 * i);
        orb_write16(hw::mixer_regs + 2 * i, w);
        orb_write16(var::mixer_shadow + 2 * i, w);
        orb_write16(var::mixer_pending + 2 * i, w);
    }
    ret();
}

// I/O chip set-up: the sound board running with the display off, ports D, G
// and H outputs, port D's lines high, G and H cleared, the second group set.
void sub_0609F3() {
    ROUTINE_ENTRY(0x0609F3);
    orb_write8(hw::io_control, 0x84);
    orb_write8(hw::io_direction, 0xC8);
    orb_write8(hw::port_d, 0xF0);
    orb_write8(hw::port_g, 0);
    orb_write8(hw::port_h, 0);
    orb_write8(hw::group_control, 0x93);
    ret();
}

// The ROM's block of halfwords for sprite RAM 0x408000 (its count first).
void sub_060A1D() {
    ROUTINE_ENTRY(0x060A1D);
    move_halfwords(kSpriteBlockCount + 4, hw::sprite_block, orb_read32(kSpriteBlockCount));
    ret();
}

// Zooms the playfield out: both zoom words to half, the zoom sound, then the
// centred mode with the page words of the area before the previous one
// (R9 = 2).
void sub_088626() {
    ROUTINE_ENTRY(0x088626);
    set_zoom(kZoomHalf);
    set8(cpu.reg[0], kZoomSound);
    if (!call(sub_088F98, 0x088634, 0x088631)) return;
    cpu.reg[9] = 2;
    sub_0886E1();
}

// Zoom back to 1:1: the NBG0 and NBG1 scroll words un-centred, then the
// centred mode left.
void sub_08865E() {
    ROUTINE_ENTRY(0x08865E);
    set_zoom(kZoomOne);
    orb_write16(var::nbg0_scroll_x, uncentred(var::nbg0_scroll_x, kCentreX));
    orb_write16(var::nbg0_scroll_y, uncentred(var::nbg0_scroll_y, kCentreY));
    orb_write16(var::nbg1_scroll_x, uncentred(var::nbg1_scroll_x, kCentreX));
    orb_write16(var::nbg1_scroll_y, uncentred(var::nbg1_scroll_y, kCentreY));
    sub_08879F();
}

// Enters the centred layer mode: NBG2 and NBG3 off, NBG0 and NBG1 scrolled
// from camera records 0 and 1 about the screen's centre, the page words of
// the stage and area, and a full video-register upload asked for.
// In: R9 = areas back, for sub_0887E6.
void sub_0886E1() {
    ROUTINE_ENTRY(0x0886E1);
    or16(var::layer_control, kUpperLayersOff);
    orb_write16(var::nbg0_scroll_x, centred(camera(0, camera_record::x), kCentreX));
    orb_write16(var::nbg0_scroll_y, centred(camera(0, camera_record::y), kCentreY));
    orb_write16(var::nbg1_scroll_x, centred(camera(1, camera_record::x), kCentreX));
    orb_write16(var::nbg1_scroll_y, centred(camera(1, camera_record::y), kCentreY));
    set_centres(kCentreX, kCentreY);
    if (!call(sub_0887E6, 0x088781, 0x08877E)) return;
    set_bit(var::game_flags, game_flag::area_change);
    set_bit(var::system_flags, system_flag::video_upload_all);
    ret();
}

// Zoom words back to 1:1, then the centred mode left.
void sub_08878F() {
    ROUTINE_ENTRY(0x08878F);
    set_zoom(kZoomOne);
    sub_08879F();
}

// Leaves the centred layer mode: NBG2 and NBG3 on, centre words 0, a full
// video-register upload asked for, the area-change and area-won bits cleared.
void sub_08879F() {
    ROUTINE_ENTRY(0x08879F);
    and16(var::layer_control, static_cast<uint16_t>(~kUpperLayersOff));
    set_centres(0, 0);
    set_bit(var::system_flags, system_flag::video_upload_all);
    clear_bit(var::game_flags, game_flag::area_change);
    clear_bit(var::system_flags, system_flag::area_won);
    ret();
}

// At stage 4, area 3, moves camera record 0 back by 1,024 quarter pixels.
void sub_0887CF() {
    ROUTINE_ENTRY(0x0887CF);
    cmp<uint8_t>(orb_read8(var::stage), 4);
    if (eq()) {
        cmp<uint8_t>(orb_read8(var::area), 3);
        if (eq()) {
            const uint32_t x = camera(0, camera_record::x);
            orb_write16(x, sub<uint16_t>(orb_read16(x), kBlock));
        }
    }
    ret();
}

// Page words of NBG0 and NBG1 for the current stage and area, R9 areas back:
// the entry d = (stage − 1) × 5 + area − R9, a signed byte, of the ROM table.
// In: R9.
void sub_0887E6() {
    ROUTINE_ENTRY(0x0887E6);
    const uint8_t d =
        static_cast<uint8_t>((orb_read8(var::stage) - 1) * 5 + orb_read8(var::area) - cpu.reg[9]);
    const uint32_t entry = rom::area_page_words + 8 * sx8(d);
    orb_write32(var::page_picks, orb_read32(entry));
    orb_write32(var::page_picks + 4, orb_read32(entry + 4));
    ret();
}

// Text-layer character patterns from ROM into video RAM 0x31C000-0x31EFFF.
void sub_08893E() {
    ROUTINE_ENTRY(0x08893E);
    move_halfwords(rom::text_patterns, hw::text_patterns, kTextPatternWords);
    ret();
}
