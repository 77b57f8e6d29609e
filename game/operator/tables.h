// Tables of the program ROM that the operator's pages read, named once by their
// guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- backup ----
inline constexpr uint32_t backup_default_record = 0x0895F4;  // ROM: a whole 64-byte record
inline constexpr uint32_t backup_default_settings = 0x089604;  // ROM: its +0x10..+0x3B

// ---- bookkeeping ----
inline constexpr uint32_t bookkeeping_defaults = 0x061126;  // ROM image of the 124 data bytes

// ---- coins ----

// ---- self_test ----

// ---- service_menu ----

// ---- service_text ----

// ---- settings_pages ----

// ---- sound_test ----

// ---- test_pages ----

}  // namespace rom
