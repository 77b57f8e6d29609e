// Tables of the program ROM that the operator's pages read, named once by their
// guest addresses; see game/engine/tables.h for the conventions.
#pragma once
#include <cstdint>

namespace rom {

// ---- backup ----

// ---- bookkeeping ----

// ---- coins ----

// ---- self_test ----

// ---- service_menu ----

// ---- service_text ----

// ---- settings_pages ----

// ---- sound_test ----

// ---- test_pages ----

}  // namespace rom
