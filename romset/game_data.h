#pragma once
// The pack file: a second way to fill the four ROM regions, from one binary
// file of data and fill records ("SSAP", version 1), followed by the fixed
// in-region copies that repeat the ROM set's mirrored halves.

// Result 0: the file was read whole and the copies applied. 1: the file cannot
// be opened or is not a regular file (the regions are untouched). 2: the
// header or a record is bad or the file ends early (the regions are then
// cleared and possibly partly filled, without the copies).
int game_data_load(const char* path);

// Applies the fixed copy table to the regions as they are.
void game_data_mirror();
