// The EEPROM file: exactly 128 bytes, the 64 words each low byte first.
#pragma once
#include <cstdint>
#include <string>

// Fills words from the file when it is a regular file of exactly 128 bytes
// that reads whole; otherwise leaves words as they are and returns false,
// with ignored saying why when there is a file (or something else) at path
// that was not used. A FIFO or a device is never opened for reading in a way
// that could wait, and nothing larger than 128 bytes is read.
bool host_eeprom_load(const char* path, uint16_t words[64], std::string& ignored);
// Writes the 128 bytes to a temporary file beside path, flushes it to the
// disk and renames it into place, so that a crash or a power cut leaves the
// old or the new contents whole. False, with the reason, when any step failed.
bool host_eeprom_save(const char* path, const uint16_t words[64], std::string& reason);
