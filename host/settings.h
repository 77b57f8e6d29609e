// The host's four user settings and the text file irnbell.ini that keeps
// them. The file may be edited while the game runs: it is read at start,
// written back by the hot keys, and read again whenever it changes on disk.
#pragma once
#include <cstdint>

struct settings_record {
    double scale;         // window size in times the picture, 1 to 10
    uint8_t full_screen;  // 0 or 1
    uint8_t smooth;       // 0 nearest, 1 linear scaling
    double volume;        // 0 to 2
};

inline constexpr settings_record SETTINGS_DEFAULTS{3.0, 0, 0, 1.0};

extern settings_record settings;

// Where the reports of bad lines and failed writes go, one text per report
// (the host passes SDL's log). Without one they go to standard error.
using settings_log_fn = void (*)(const char* text);
void settings_set_log(settings_log_fn log);

// Remembers the path and reads the file. A missing or empty file is written
// anew with every setting; one that exists but cannot be read (a folder, a
// FIFO, no read permission, larger than 16 MB) is reported and left as it is,
// and the defaults stay. Without a path (no preferences folder) the defaults
// stay and nothing is ever written.
void settings_open(const char* path);

// Writes the current values into the file, keeping the user's own lines. The
// file is replaced whole, so a failed write leaves the old one; a file that
// cannot be read is never written over.
void settings_save();

// True when the file changed on disk since it was last read or written here,
// and was read again.
bool settings_reread();
