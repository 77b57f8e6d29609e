// The EEPROM file: exactly 128 bytes, the 64 words each low byte first.
#pragma once
#include <cstdint>

// Fills words from the file when it is exactly 128 bytes long and reads whole;
// otherwise leaves words as they are and returns false.
bool host_eeprom_load(const char* path, uint16_t words[64]);
// Writes the 128 bytes to a temporary file beside path, then renames it into
// place, so a short write never leaves a damaged file. False when any step failed.
bool host_eeprom_save(const char* path, const uint16_t words[64]);
