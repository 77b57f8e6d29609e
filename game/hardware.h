// The board's hardware addresses that game code touches, named once: the I/O
// chip, the interrupt controller and timers, the video and mixer registers,
// sprite RAM and the sound board's side of the shared RAM.
#pragma once
#include <cstdint>

namespace hw {

// ---- program ROM, video and sprite RAM ----
constexpr uint32_t video_ram = 0x300000;
constexpr uint32_t text_page = 0x310000;      // the high half of every text cell's address
constexpr uint32_t text_patterns = 0x31C000;  // the text layer's character patterns
constexpr uint32_t text_layer = 0x31F000;     // text cells, row × 64 + column halfwords
constexpr uint32_t video_regs = 0x31FF00;     // 128 halfwords, the last 256 bytes of video RAM
constexpr uint32_t layer_control = 0x31FF00;  // bit 9 flips the picture
constexpr uint32_t sprite_ram = 0x400000;
constexpr uint32_t sprite_list_select = 0x400010;
constexpr uint32_t sprite_list_b = 0x410020;  // the second list's first entry (list A's is at 0x400020)
constexpr uint32_t sprite_block = 0x408000;
constexpr uint32_t sprite_control = 0x500000;  // registers at even bytes
constexpr uint32_t palette = 0x600000;         // stored layout
constexpr uint32_t palette_alternate = 0x608000;
constexpr uint32_t mixer_regs = 0x610000;

// ---- shared RAM with the sound board ----
constexpr uint32_t sound_command = 0x700000;
constexpr uint32_t sound_command_b = 0x700010;
constexpr uint32_t music_level = 0x700012;  // 0xFF full level
constexpr uint32_t shared_ram_last = 0x701FFF;

// ---- I/O chip: input ports at even bytes, outputs, control ----
constexpr uint32_t io_ports = 0xC00000;
constexpr uint32_t player1_port = 0xC00000;
constexpr uint32_t player2_port = 0xC00002;
constexpr uint32_t port_d = 0xC00006;       // outputs: coin meters, lamps
constexpr uint32_t system_port = 0xC00008;  // service, test, coins, starts 1 and 2
constexpr uint32_t port_f = 0xC0000A;       // DIP switches; bit 7 the EEPROM's data out
constexpr uint32_t port_g = 0xC0000C;
constexpr uint32_t port_h = 0xC0000E;
constexpr uint32_t io_control = 0xC0001C;    // bit 1: display on, bit 2: sound board runs
constexpr uint32_t io_direction = 0xC0001E;  // bit n set: port n is an output
constexpr uint32_t player3_port = 0xC00060;
constexpr uint32_t player4_port = 0xC00062;
constexpr uint32_t start34_port = 0xC00064;  // starts 3 and 4, coins 3 and 4
constexpr uint32_t group_control = 0xC00066;
constexpr uint32_t io_unused = 0xC00074;  // a register the board ignores

// ---- interrupt controller and timers ----
constexpr uint32_t int_controller = 0xD00000;
constexpr uint32_t int_byte5 = 0xD00005;
constexpr uint32_t int_pending = 0xD00007;  // acknowledge: write the source's bit as 0
constexpr uint32_t timer0_count = 0xD00008;
constexpr uint32_t timer1_count = 0xD0000A;

constexpr uint32_t random_port = 0xD80000;  // every read steps the board's generator

constexpr uint32_t no_device = 0xE00000;  // nothing answers here

}  // namespace hw
