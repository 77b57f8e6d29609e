// Guest addresses of the routines of other areas that boot, the main loop,
// the interrupt handlers and the service mode's entry and menu call; the tests plant stand-ins there while
// those routines are not written.
#pragma once
#include <cstdint>

namespace callee {
enum : uint32_t {
    kIoSetUp = 0x0609F3,
    kBackupData = 0x089389,
    kMixerSetUp = 0x0609D3,
    kFixedPalettes = 0x089674,
    kSpriteHeader = 0x060978,
    kLayers = 0x0608A8,
    kBookkeepingCheck = 0x061077,
    kSettings = 0x060CCE,
    kRankingTables = 0x08A1F2,
    kSoundRings = 0x088F58,
    kPlayerRecords = 0x063402,
    kPlayerInputs = 0x0604CF,
    kSystemInputs = 0x060480,
    kModeMachine = 0x060148,
    kPlayerSlots = 0x0633C0,
    kSpriteList = 0x062121,
    kSoundHandOff = 0x09F6E2,
    kCoins = 0x060D76,
    kBookkeepingVerify = 0x0610E1,
    kCheckValueStore = 0x0610CF,
    kFadeStep = 0x08973C,
    kPaletteDrain = 0x0896CB,
    kSpriteListReset = 0x0609AA,
    kTextClear = 0x060942,
    kPaletteBlock = 0x0896F1,
    kSoundA = 0x088F98,
    kDecompressStep = 0x087660,
    kServiceEnter = 0x08AFB4,
    kServiceScreen = 0x08B046,
};
}  // namespace callee
