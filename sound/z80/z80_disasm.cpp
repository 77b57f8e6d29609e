#include "sound/z80/z80_disasm.h"

#include <array>
#include <cstdarg>
#include <cstdio>

namespace orbs {

namespace {

enum : uint8_t {
    zADC,
    zADD,
    zAND,
    zBIT,
    zCALL,
    zCCF,
    zCP,
    zCPD,
    zCPDR,
    zCPI,
    zCPIR,
    zCPL,
    zDAA,
    zDB,
    zDEC,
    zDI,
    zDJNZ,
    zEI,
    zEX,
    zEXX,
    zHALT,
    zIM,
    zIN,
    zINC,
    zIND,
    zINDR,
    zINI,
    zINIR,
    zJP,
    zJR,
    zLD,
    zLDD,
    zLDDR,
    zLDI,
    zLDIR,
    zNEG,
    zNOP,
    zOR,
    zOTDR,
    zOTIR,
    zOUT,
    zOUTD,
    zOUTI,
    zPOP,
    zPUSH,
    zRES,
    zRET,
    zRETI,
    zRETN,
    zRL,
    zRLA,
    zRLC,
    zRLCA,
    zRLD,
    zRR,
    zRRA,
    zRRC,
    zRRCA,
    zRRD,
    zRST,
    zSBC,
    zSCF,
    zSET,
    zSLA,
    zSLL,
    zSRA,
    zSRL,
    zSUB,
    zXOR,
    zSWAP,
    zMIRR,
    zTEST,
    zBSLA,
    zBSRA,
    zBSRL,
    zBSRF,
    zBRLC,
    zMUL,
    zOTIB,
    zNREG,
    zPXDN,
    zPXAD,
    zSTAE,
    zLDIX,
    zLDWS,
    zLDDX,
    zLIRX,
    zLPRX,
    zLDRX,
};

// Mnemonic texts, by number.
const char* const s_mnemonic[89] = {
    "adc",  "add",  "and",  "bit",  "call", "ccf",  "cp",   "cpd",  "cpdr", "cpi",  "cpir", "cpl",  "daa",
    "db",   "dec",  "di",   "djnz", "ei",   "ex",   "exx",  "halt", "im",   "in",   "inc",  "ind",  "indr",
    "ini",  "inir", "jp",   "jr",   "ld",   "ldd",  "lddr", "ldi",  "ldir", "neg",  "nop",  "or",   "otdr",
    "otir", "out",  "outd", "outi", "pop",  "push", "res",  "ret",  "reti", "retn", "rl",   "rla",  "rlc",
    "rlca", "rld",  "rr",   "rra",  "rrc",  "rrca", "rrd",  "rst",  "sbc",  "scf",  "set",  "sla",  "sll",
    "sra",  "srl",  "sub",  "xor ", "swap", "mirr", "test", "bsla", "bsra", "bsrl", "bsrf", "brlc", "mul",
    "otib", "nreg", "pxdn", "pxad", "stae", "ldix", "ldws", "lddx", "lirx", "lprx", "ldrx",
};

const z80_disassembler::mnemonic_entry mnemonic_main[256] = {
    {zNOP, nullptr}, {zLD, "bc,N"},   {zLD, "(bc),a"},  {zINC, "bc"},      // 00
    {zINC, "b"},     {zDEC, "b"},     {zLD, "b,B"},     {zRLCA, nullptr},  // 04
    {zEX, "af,af'"}, {zADD, "hl,bc"}, {zLD, "a,(bc)"},  {zDEC, "bc"},      // 08
    {zINC, "c"},     {zDEC, "c"},     {zLD, "c,B"},     {zRRCA, nullptr},  // 0C
    {zDJNZ, "O"},    {zLD, "de,N"},   {zLD, "(de),a"},  {zINC, "de"},      // 10
    {zINC, "d"},     {zDEC, "d"},     {zLD, "d,B"},     {zRLA, nullptr},   // 14
    {zJR, "O"},      {zADD, "hl,de"}, {zLD, "a,(de)"},  {zDEC, "de"},      // 18
    {zINC, "e"},     {zDEC, "e"},     {zLD, "e,B"},     {zRRA, nullptr},   // 1C
    {zJR, "nz,O"},   {zLD, "hl,N"},   {zLD, "(W),hl"},  {zINC, "hl"},      // 20
    {zINC, "h"},     {zDEC, "h"},     {zLD, "h,B"},     {zDAA, nullptr},   // 24
    {zJR, "z,O"},    {zADD, "hl,hl"}, {zLD, "hl,(W)"},  {zDEC, "hl"},      // 28
    {zINC, "l"},     {zDEC, "l"},     {zLD, "l,B"},     {zCPL, nullptr},   // 2C
    {zJR, "nc,O"},   {zLD, "sp,N"},   {zLD, "(W),a"},   {zINC, "sp"},      // 30
    {zINC, "(hl)"},  {zDEC, "(hl)"},  {zLD, "(hl),B"},  {zSCF, nullptr},   // 34
    {zJR, "c,O"},    {zADD, "hl,sp"}, {zLD, "a,(W)"},   {zDEC, "sp"},      // 38
    {zINC, "a"},     {zDEC, "a"},     {zLD, "a,B"},     {zCCF, nullptr},   // 3C
    {zLD, "b,b"},    {zLD, "b,c"},    {zLD, "b,d"},     {zLD, "b,e"},      // 40
    {zLD, "b,h"},    {zLD, "b,l"},    {zLD, "b,(hl)"},  {zLD, "b,a"},      // 44
    {zLD, "c,b"},    {zLD, "c,c"},    {zLD, "c,d"},     {zLD, "c,e"},      // 48
    {zLD, "c,h"},    {zLD, "c,l"},    {zLD, "c,(hl)"},  {zLD, "c,a"},      // 4C
    {zLD, "d,b"},    {zLD, "d,c"},    {zLD, "d,d"},     {zLD, "d,e"},      // 50
    {zLD, "d,h"},    {zLD, "d,l"},    {zLD, "d,(hl)"},  {zLD, "d,a"},      // 54
    {zLD, "e,b"},    {zLD, "e,c"},    {zLD, "e,d"},     {zLD, "e,e"},      // 58
    {zLD, "e,h"},    {zLD, "e,l"},    {zLD, "e,(hl)"},  {zLD, "e,a"},      // 5C
    {zLD, "h,b"},    {zLD, "h,c"},    {zLD, "h,d"},     {zLD, "h,e"},      // 60
    {zLD, "h,h"},    {zLD, "h,l"},    {zLD, "h,(hl)"},  {zLD, "h,a"},      // 64
    {zLD, "l,b"},    {zLD, "l,c"},    {zLD, "l,d"},     {zLD, "l,e"},      // 68
    {zLD, "l,h"},    {zLD, "l,l"},    {zLD, "l,(hl)"},  {zLD, "l,a"},      // 6C
    {zLD, "(hl),b"}, {zLD, "(hl),c"}, {zLD, "(hl),d"},  {zLD, "(hl),e"},   // 70
    {zLD, "(hl),h"}, {zLD, "(hl),l"}, {zHALT, nullptr}, {zLD, "(hl),a"},   // 74
    {zLD, "a,b"},    {zLD, "a,c"},    {zLD, "a,d"},     {zLD, "a,e"},      // 78
    {zLD, "a,h"},    {zLD, "a,l"},    {zLD, "a,(hl)"},  {zLD, "a,a"},      // 7C
    {zADD, "a,b"},   {zADD, "a,c"},   {zADD, "a,d"},    {zADD, "a,e"},     // 80
    {zADD, "a,h"},   {zADD, "a,l"},   {zADD, "a,(hl)"}, {zADD, "a,a"},     // 84
    {zADC, "a,b"},   {zADC, "a,c"},   {zADC, "a,d"},    {zADC, "a,e"},     // 88
    {zADC, "a,h"},   {zADC, "a,l"},   {zADC, "a,(hl)"}, {zADC, "a,a"},     // 8C
    {zSUB, "b"},     {zSUB, "c"},     {zSUB, "d"},      {zSUB, "e"},       // 90
    {zSUB, "h"},     {zSUB, "l"},     {zSUB, "(hl)"},   {zSUB, "a"},       // 94
    {zSBC, "a,b"},   {zSBC, "a,c"},   {zSBC, "a,d"},    {zSBC, "a,e"},     // 98
    {zSBC, "a,h"},   {zSBC, "a,l"},   {zSBC, "a,(hl)"}, {zSBC, "a,a"},     // 9C
    {zAND, "b"},     {zAND, "c"},     {zAND, "d"},      {zAND, "e"},       // A0
    {zAND, "h"},     {zAND, "l"},     {zAND, "(hl)"},   {zAND, "a"},       // A4
    {zXOR, "b"},     {zXOR, "c"},     {zXOR, "d"},      {zXOR, "e"},       // A8
    {zXOR, "h"},     {zXOR, "l"},     {zXOR, "(hl)"},   {zXOR, "a"},       // AC
    {zOR, "b"},      {zOR, "c"},      {zOR, "d"},       {zOR, "e"},        // B0
    {zOR, "h"},      {zOR, "l"},      {zOR, "(hl)"},    {zOR, "a"},        // B4
    {zCP, "b"},      {zCP, "c"},      {zCP, "d"},       {zCP, "e"},        // B8
    {zCP, "h"},      {zCP, "l"},      {zCP, "(hl)"},    {zCP, "a"},        // BC
    {zRET, "nz"},    {zPOP, "bc"},    {zJP, "nz,A"},    {zJP, "A"},        // C0
    {zCALL, "nz,A"}, {zPUSH, "bc"},   {zADD, "a,B"},    {zRST, "V"},       // C4
    {zRET, "z"},     {zRET, nullptr}, {zJP, "z,A"},     {zDB, "?"},        // C8
    {zCALL, "z,A"},  {zCALL, "A"},    {zADC, "a,B"},    {zRST, "V"},       // CC
    {zRET, "nc"},    {zPOP, "de"},    {zJP, "nc,A"},    {zOUT, "(P),a"},   // D0
    {zCALL, "nc,A"}, {zPUSH, "de"},   {zSUB, "B"},      {zRST, "V"},       // D4
    {zRET, "c"},     {zEXX, nullptr}, {zJP, "c,A"},     {zIN, "a,(P)"},    // D8
    {zCALL, "c,A"},  {zDB, "?"},      {zSBC, "a,B"},    {zRST, "V"},       // DC
    {zRET, "po"},    {zPOP, "hl"},    {zJP, "po,A"},    {zEX, "(sp),hl"},  // E0
    {zCALL, "po,A"}, {zPUSH, "hl"},   {zAND, "B"},      {zRST, "V"},       // E4
    {zRET, "pe"},    {zJP, "(hl)"},   {zJP, "pe,A"},    {zEX, "de,hl"},    // E8
    {zCALL, "pe,A"}, {zDB, "?"},      {zXOR, "B"},      {zRST, "V"},       // EC
    {zRET, "p"},     {zPOP, "af"},    {zJP, "p,A"},     {zDI, nullptr},    // F0
    {zCALL, "p,A"},  {zPUSH, "af"},   {zOR, "B"},       {zRST, "V"},       // F4
    {zRET, "m"},     {zLD, "sp,hl"},  {zJP, "m,A"},     {zEI, nullptr},    // F8
    {zCALL, "m,A"},  {zDB, "?"},      {zCP, "B"},       {zRST, "V"},       // FC
};

const z80_disassembler::mnemonic_entry mnemonic_cb[256] = {
    {zRLC, "b"},   {zRLC, "c"},   {zRLC, "d"},      {zRLC, "e"},    // 00
    {zRLC, "h"},   {zRLC, "l"},   {zRLC, "(hl)"},   {zRLC, "a"},    // 04
    {zRRC, "b"},   {zRRC, "c"},   {zRRC, "d"},      {zRRC, "e"},    // 08
    {zRRC, "h"},   {zRRC, "l"},   {zRRC, "(hl)"},   {zRRC, "a"},    // 0C
    {zRL, "b"},    {zRL, "c"},    {zRL, "d"},       {zRL, "e"},     // 10
    {zRL, "h"},    {zRL, "l"},    {zRL, "(hl)"},    {zRL, "a"},     // 14
    {zRR, "b"},    {zRR, "c"},    {zRR, "d"},       {zRR, "e"},     // 18
    {zRR, "h"},    {zRR, "l"},    {zRR, "(hl)"},    {zRR, "a"},     // 1C
    {zSLA, "b"},   {zSLA, "c"},   {zSLA, "d"},      {zSLA, "e"},    // 20
    {zSLA, "h"},   {zSLA, "l"},   {zSLA, "(hl)"},   {zSLA, "a"},    // 24
    {zSRA, "b"},   {zSRA, "c"},   {zSRA, "d"},      {zSRA, "e"},    // 28
    {zSRA, "h"},   {zSRA, "l"},   {zSRA, "(hl)"},   {zSRA, "a"},    // 2C
    {zSLL, "b"},   {zSLL, "c"},   {zSLL, "d"},      {zSLL, "e"},    // 30
    {zSLL, "h"},   {zSLL, "l"},   {zSLL, "(hl)"},   {zSLL, "a"},    // 34
    {zSRL, "b"},   {zSRL, "c"},   {zSRL, "d"},      {zSRL, "e"},    // 38
    {zSRL, "h"},   {zSRL, "l"},   {zSRL, "(hl)"},   {zSRL, "a"},    // 3C
    {zBIT, "0,b"}, {zBIT, "0,c"}, {zBIT, "0,d"},    {zBIT, "0,e"},  // 40
    {zBIT, "0,h"}, {zBIT, "0,l"}, {zBIT, "0,(hl)"}, {zBIT, "0,a"},  // 44
    {zBIT, "1,b"}, {zBIT, "1,c"}, {zBIT, "1,d"},    {zBIT, "1,e"},  // 48
    {zBIT, "1,h"}, {zBIT, "1,l"}, {zBIT, "1,(hl)"}, {zBIT, "1,a"},  // 4C
    {zBIT, "2,b"}, {zBIT, "2,c"}, {zBIT, "2,d"},    {zBIT, "2,e"},  // 50
    {zBIT, "2,h"}, {zBIT, "2,l"}, {zBIT, "2,(hl)"}, {zBIT, "2,a"},  // 54
    {zBIT, "3,b"}, {zBIT, "3,c"}, {zBIT, "3,d"},    {zBIT, "3,e"},  // 58
    {zBIT, "3,h"}, {zBIT, "3,l"}, {zBIT, "3,(hl)"}, {zBIT, "3,a"},  // 5C
    {zBIT, "4,b"}, {zBIT, "4,c"}, {zBIT, "4,d"},    {zBIT, "4,e"},  // 60
    {zBIT, "4,h"}, {zBIT, "4,l"}, {zBIT, "4,(hl)"}, {zBIT, "4,a"},  // 64
    {zBIT, "5,b"}, {zBIT, "5,c"}, {zBIT, "5,d"},    {zBIT, "5,e"},  // 68
    {zBIT, "5,h"}, {zBIT, "5,l"}, {zBIT, "5,(hl)"}, {zBIT, "5,a"},  // 6C
    {zBIT, "6,b"}, {zBIT, "6,c"}, {zBIT, "6,d"},    {zBIT, "6,e"},  // 70
    {zBIT, "6,h"}, {zBIT, "6,l"}, {zBIT, "6,(hl)"}, {zBIT, "6,a"},  // 74
    {zBIT, "7,b"}, {zBIT, "7,c"}, {zBIT, "7,d"},    {zBIT, "7,e"},  // 78
    {zBIT, "7,h"}, {zBIT, "7,l"}, {zBIT, "7,(hl)"}, {zBIT, "7,a"},  // 7C
    {zRES, "0,b"}, {zRES, "0,c"}, {zRES, "0,d"},    {zRES, "0,e"},  // 80
    {zRES, "0,h"}, {zRES, "0,l"}, {zRES, "0,(hl)"}, {zRES, "0,a"},  // 84
    {zRES, "1,b"}, {zRES, "1,c"}, {zRES, "1,d"},    {zRES, "1,e"},  // 88
    {zRES, "1,h"}, {zRES, "1,l"}, {zRES, "1,(hl)"}, {zRES, "1,a"},  // 8C
    {zRES, "2,b"}, {zRES, "2,c"}, {zRES, "2,d"},    {zRES, "2,e"},  // 90
    {zRES, "2,h"}, {zRES, "2,l"}, {zRES, "2,(hl)"}, {zRES, "2,a"},  // 94
    {zRES, "3,b"}, {zRES, "3,c"}, {zRES, "3,d"},    {zRES, "3,e"},  // 98
    {zRES, "3,h"}, {zRES, "3,l"}, {zRES, "3,(hl)"}, {zRES, "3,a"},  // 9C
    {zRES, "4,b"}, {zRES, "4,c"}, {zRES, "4,d"},    {zRES, "4,e"},  // A0
    {zRES, "4,h"}, {zRES, "4,l"}, {zRES, "4,(hl)"}, {zRES, "4,a"},  // A4
    {zRES, "5,b"}, {zRES, "5,c"}, {zRES, "5,d"},    {zRES, "5,e"},  // A8
    {zRES, "5,h"}, {zRES, "5,l"}, {zRES, "5,(hl)"}, {zRES, "5,a"},  // AC
    {zRES, "6,b"}, {zRES, "6,c"}, {zRES, "6,d"},    {zRES, "6,e"},  // B0
    {zRES, "6,h"}, {zRES, "6,l"}, {zRES, "6,(hl)"}, {zRES, "6,a"},  // B4
    {zRES, "7,b"}, {zRES, "7,c"}, {zRES, "7,d"},    {zRES, "7,e"},  // B8
    {zRES, "7,h"}, {zRES, "7,l"}, {zRES, "7,(hl)"}, {zRES, "7,a"},  // BC
    {zSET, "0,b"}, {zSET, "0,c"}, {zSET, "0,d"},    {zSET, "0,e"},  // C0
    {zSET, "0,h"}, {zSET, "0,l"}, {zSET, "0,(hl)"}, {zSET, "0,a"},  // C4
    {zSET, "1,b"}, {zSET, "1,c"}, {zSET, "1,d"},    {zSET, "1,e"},  // C8
    {zSET, "1,h"}, {zSET, "1,l"}, {zSET, "1,(hl)"}, {zSET, "1,a"},  // CC
    {zSET, "2,b"}, {zSET, "2,c"}, {zSET, "2,d"},    {zSET, "2,e"},  // D0
    {zSET, "2,h"}, {zSET, "2,l"}, {zSET, "2,(hl)"}, {zSET, "2,a"},  // D4
    {zSET, "3,b"}, {zSET, "3,c"}, {zSET, "3,d"},    {zSET, "3,e"},  // D8
    {zSET, "3,h"}, {zSET, "3,l"}, {zSET, "3,(hl)"}, {zSET, "3,a"},  // DC
    {zSET, "4,b"}, {zSET, "4,c"}, {zSET, "4,d"},    {zSET, "4,e"},  // E0
    {zSET, "4,h"}, {zSET, "4,l"}, {zSET, "4,(hl)"}, {zSET, "4,a"},  // E4
    {zSET, "5,b"}, {zSET, "5,c"}, {zSET, "5,d"},    {zSET, "5,e"},  // E8
    {zSET, "5,h"}, {zSET, "5,l"}, {zSET, "5,(hl)"}, {zSET, "5,a"},  // EC
    {zSET, "6,b"}, {zSET, "6,c"}, {zSET, "6,d"},    {zSET, "6,e"},  // F0
    {zSET, "6,h"}, {zSET, "6,l"}, {zSET, "6,(hl)"}, {zSET, "6,a"},  // F4
    {zSET, "7,b"}, {zSET, "7,c"}, {zSET, "7,d"},    {zSET, "7,e"},  // F8
    {zSET, "7,h"}, {zSET, "7,l"}, {zSET, "7,(hl)"}, {zSET, "7,a"},  // FC
};

const z80_disassembler::mnemonic_entry mnemonic_ed[256] = {
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 00
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 04
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 08
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 0C
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 10
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 14
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 18
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 1C
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 20
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 24
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 28
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 2C
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 30
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 34
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 38
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 3C
    {zIN, "b,(c)"},   {zOUT, "(c),b"},  {zSBC, "hl,bc"},  {zLD, "(W),bc"},   // 40
    {zNEG, nullptr},  {zRETN, nullptr}, {zIM, "0"},       {zLD, "i,a"},      // 44
    {zIN, "c,(c)"},   {zOUT, "(c),c"},  {zADC, "hl,bc"},  {zLD, "bc,(W)"},   // 48
    {zNEG, "*"},      {zRETI, nullptr}, {zIM, "0"},       {zLD, "r,a"},      // 4C
    {zIN, "d,(c)"},   {zOUT, "(c),d"},  {zSBC, "hl,de"},  {zLD, "(W),de"},   // 50
    {zNEG, "*"},      {zRETN, nullptr}, {zIM, "1"},       {zLD, "a,i"},      // 54
    {zIN, "e,(c)"},   {zOUT, "(c),e"},  {zADC, "hl,de"},  {zLD, "de,(W)"},   // 58
    {zNEG, "*"},      {zRETI, nullptr}, {zIM, "2"},       {zLD, "a,r"},      // 5C
    {zIN, "h,(c)"},   {zOUT, "(c),h"},  {zSBC, "hl,hl"},  {zLD, "(W),hl"},   // 60
    {zNEG, "*"},      {zRETN, nullptr}, {zIM, "0"},       {zRRD, "(hl)"},    // 64
    {zIN, "l,(c)"},   {zOUT, "(c),l"},  {zADC, "hl,hl"},  {zLD, "hl,(W)"},   // 68
    {zNEG, "*"},      {zRETI, nullptr}, {zIM, "0"},       {zRLD, "(hl)"},    // 6C
    {zIN, "0,(c)"},   {zOUT, "(c),0"},  {zSBC, "hl,sp"},  {zLD, "(W),sp"},   // 70
    {zNEG, "*"},      {zRETN, nullptr}, {zIM, "1"},       {zDB, "?"},        // 74
    {zIN, "a,(c)"},   {zOUT, "(c),a"},  {zADC, "hl,sp"},  {zLD, "sp,(W)"},   // 78
    {zNEG, "*"},      {zRETI, nullptr}, {zIM, "2"},       {zDB, "?"},        // 7C
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 80
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 84
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 88
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 8C
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 90
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 94
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 98
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // 9C
    {zLDI, nullptr},  {zCPI, nullptr},  {zINI, nullptr},  {zOUTI, nullptr},  // A0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // A4
    {zLDD, nullptr},  {zCPD, nullptr},  {zIND, nullptr},  {zOUTD, nullptr},  // A8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // AC
    {zLDIR, nullptr}, {zCPIR, nullptr}, {zINIR, nullptr}, {zOTIR, nullptr},  // B0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // B4
    {zLDDR, nullptr}, {zCPDR, nullptr}, {zINDR, nullptr}, {zOTDR, nullptr},  // B8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // BC
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // C0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // C4
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // C8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // CC
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // D0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // D4
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // D8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // DC
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // E0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // E4
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // E8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // EC
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // F0
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // F4
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // F8
    {zDB, "?"},       {zDB, "?"},       {zDB, "?"},       {zDB, "?"},        // FC
};

const z80_disassembler::mnemonic_entry mnemonic_xx[256] = {
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 00
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 04
    {zDB, "?"},     {zADD, "I,bc"}, {zDB, "?"},     {zDB, "?"},       // 08
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 0C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 10
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 14
    {zDB, "?"},     {zADD, "I,de"}, {zDB, "?"},     {zDB, "?"},       // 18
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 1C
    {zDB, "?"},     {zLD, "I,N"},   {zLD, "(W),I"}, {zINC, "I"},      // 20
    {zINC, "Ih"},   {zDEC, "Ih"},   {zLD, "Ih,B"},  {zDB, "?"},       // 24
    {zDB, "?"},     {zADD, "I,I"},  {zLD, "I,(W)"}, {zDEC, "I"},      // 28
    {zINC, "Il"},   {zDEC, "Il"},   {zLD, "Il,B"},  {zDB, "?"},       // 2C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 30
    {zINC, "X"},    {zDEC, "X"},    {zLD, "X,B"},   {zDB, "?"},       // 34
    {zDB, "?"},     {zADD, "I,sp"}, {zDB, "?"},     {zDB, "?"},       // 38
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 3C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 40
    {zLD, "b,Ih"},  {zLD, "b,Il"},  {zLD, "b,X"},   {zDB, "?"},       // 44
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 48
    {zLD, "c,Ih"},  {zLD, "c,Il"},  {zLD, "c,X"},   {zDB, "?"},       // 4C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 50
    {zLD, "d,Ih"},  {zLD, "d,Il"},  {zLD, "d,X"},   {zDB, "?"},       // 54
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 58
    {zLD, "e,Ih"},  {zLD, "e,Il"},  {zLD, "e,X"},   {zDB, "?"},       // 5C
    {zLD, "Ih,b"},  {zLD, "Ih,c"},  {zLD, "Ih,d"},  {zLD, "Ih,e"},    // 60
    {zLD, "Ih,Ih"}, {zLD, "Ih,Il"}, {zLD, "h,X"},   {zLD, "Ih,a"},    // 64
    {zLD, "Il,b"},  {zLD, "Il,c"},  {zLD, "Il,d"},  {zLD, "Il,e"},    // 68
    {zLD, "Il,Ih"}, {zLD, "Il,Il"}, {zLD, "l,X"},   {zLD, "Il,a"},    // 6C
    {zLD, "X,b"},   {zLD, "X,c"},   {zLD, "X,d"},   {zLD, "X,e"},     // 70
    {zLD, "X,h"},   {zLD, "X,l"},   {zDB, "?"},     {zLD, "X,a"},     // 74
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 78
    {zLD, "a,Ih"},  {zLD, "a,Il"},  {zLD, "a,X"},   {zDB, "?"},       // 7C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 80
    {zADD, "a,Ih"}, {zADD, "a,Il"}, {zADD, "a,X"},  {zDB, "?"},       // 84
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 88
    {zADC, "a,Ih"}, {zADC, "a,Il"}, {zADC, "a,X"},  {zDB, "?"},       // 8C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 90
    {zSUB, "Ih"},   {zSUB, "Il"},   {zSUB, "X"},    {zDB, "?"},       // 94
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // 98
    {zSBC, "a,Ih"}, {zSBC, "a,Il"}, {zSBC, "a,X"},  {zDB, "?"},       // 9C
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // A0
    {zAND, "Ih"},   {zAND, "Il"},   {zAND, "X"},    {zDB, "?"},       // A4
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // A8
    {zXOR, "Ih"},   {zXOR, "Il"},   {zXOR, "X"},    {zDB, "?"},       // AC
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // B0
    {zOR, "Ih"},    {zOR, "Il"},    {zOR, "X"},     {zDB, "?"},       // B4
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // B8
    {zCP, "Ih"},    {zCP, "Il"},    {zCP, "X"},     {zDB, "?"},       // BC
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // C0
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // C4
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // C8
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // CC
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // D0
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // D4
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // D8
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // DC
    {zDB, "?"},     {zPOP, "I"},    {zDB, "?"},     {zEX, "(sp),I"},  // E0
    {zDB, "?"},     {zPUSH, "I"},   {zDB, "?"},     {zDB, "?"},       // E4
    {zDB, "?"},     {zJP, "(I)"},   {zDB, "?"},     {zDB, "?"},       // E8
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // EC
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // F0
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // F4
    {zDB, "?"},     {zLD, "sp,I"},  {zDB, "?"},     {zDB, "?"},       // F8
    {zDB, "?"},     {zDB, "?"},     {zDB, "?"},     {zDB, "?"},       // FC
};

const z80_disassembler::mnemonic_entry mnemonic_xx_cb[256] = {
    {zRLC, "b=Y"},   {zRLC, "c=Y"},   {zRLC, "d=Y"},   {zRLC, "e=Y"},    // 00
    {zRLC, "h=Y"},   {zRLC, "l=Y"},   {zRLC, "Y"},     {zRLC, "a=Y"},    // 04
    {zRRC, "b=Y"},   {zRRC, "c=Y"},   {zRRC, "d=Y"},   {zRRC, "e=Y"},    // 08
    {zRRC, "h=Y"},   {zRRC, "l=Y"},   {zRRC, "Y"},     {zRRC, "a=Y"},    // 0C
    {zRL, "b=Y"},    {zRL, "c=Y"},    {zRL, "d=Y"},    {zRL, "e=Y"},     // 10
    {zRL, "h=Y"},    {zRL, "l=Y"},    {zRL, "Y"},      {zRL, "a=Y"},     // 14
    {zRR, "b=Y"},    {zRR, "c=Y"},    {zRR, "d=Y"},    {zRR, "e=Y"},     // 18
    {zRR, "h=Y"},    {zRR, "l=Y"},    {zRR, "Y"},      {zRR, "a=Y"},     // 1C
    {zSLA, "b=Y"},   {zSLA, "c=Y"},   {zSLA, "d=Y"},   {zSLA, "e=Y"},    // 20
    {zSLA, "h=Y"},   {zSLA, "l=Y"},   {zSLA, "Y"},     {zSLA, "a=Y"},    // 24
    {zSRA, "b=Y"},   {zSRA, "c=Y"},   {zSRA, "d=Y"},   {zSRA, "e=Y"},    // 28
    {zSRA, "h=Y"},   {zSRA, "l=Y"},   {zSRA, "Y"},     {zSRA, "a=Y"},    // 2C
    {zSLL, "b=Y"},   {zSLL, "c=Y"},   {zSLL, "d=Y"},   {zSLL, "e=Y"},    // 30
    {zSLL, "h=Y"},   {zSLL, "l=Y"},   {zSLL, "Y"},     {zSLL, "a=Y"},    // 34
    {zSRL, "b=Y"},   {zSRL, "c=Y"},   {zSRL, "d=Y"},   {zSRL, "e=Y"},    // 38
    {zSRL, "h=Y"},   {zSRL, "l=Y"},   {zSRL, "Y"},     {zSRL, "a=Y"},    // 3C
    {zBIT, "b=0,Y"}, {zBIT, "c=0,Y"}, {zBIT, "d=0,Y"}, {zBIT, "e=0,Y"},  // 40
    {zBIT, "h=0,Y"}, {zBIT, "l=0,Y"}, {zBIT, "0,Y"},   {zBIT, "a=0,Y"},  // 44
    {zBIT, "b=1,Y"}, {zBIT, "c=1,Y"}, {zBIT, "d=1,Y"}, {zBIT, "e=1,Y"},  // 48
    {zBIT, "h=1,Y"}, {zBIT, "l=1,Y"}, {zBIT, "1,Y"},   {zBIT, "a=1,Y"},  // 4C
    {zBIT, "b=2,Y"}, {zBIT, "c=2,Y"}, {zBIT, "d=2,Y"}, {zBIT, "e=2,Y"},  // 50
    {zBIT, "h=2,Y"}, {zBIT, "l=2,Y"}, {zBIT, "2,Y"},   {zBIT, "a=2,Y"},  // 54
    {zBIT, "b=3,Y"}, {zBIT, "c=3,Y"}, {zBIT, "d=3,Y"}, {zBIT, "e=3,Y"},  // 58
    {zBIT, "h=3,Y"}, {zBIT, "l=3,Y"}, {zBIT, "3,Y"},   {zBIT, "a=3,Y"},  // 5C
    {zBIT, "b=4,Y"}, {zBIT, "c=4,Y"}, {zBIT, "d=4,Y"}, {zBIT, "e=4,Y"},  // 60
    {zBIT, "h=4,Y"}, {zBIT, "l=4,Y"}, {zBIT, "4,Y"},   {zBIT, "a=4,Y"},  // 64
    {zBIT, "b=5,Y"}, {zBIT, "c=5,Y"}, {zBIT, "d=5,Y"}, {zBIT, "e=5,Y"},  // 68
    {zBIT, "h=5,Y"}, {zBIT, "l=5,Y"}, {zBIT, "5,Y"},   {zBIT, "a=5,Y"},  // 6C
    {zBIT, "b=6,Y"}, {zBIT, "c=6,Y"}, {zBIT, "d=6,Y"}, {zBIT, "e=6,Y"},  // 70
    {zBIT, "h=6,Y"}, {zBIT, "l=6,Y"}, {zBIT, "6,Y"},   {zBIT, "a=6,Y"},  // 74
    {zBIT, "b=7,Y"}, {zBIT, "c=7,Y"}, {zBIT, "d=7,Y"}, {zBIT, "e=7,Y"},  // 78
    {zBIT, "h=7,Y"}, {zBIT, "l=7,Y"}, {zBIT, "7,Y"},   {zBIT, "a=7,Y"},  // 7C
    {zRES, "b=0,Y"}, {zRES, "c=0,Y"}, {zRES, "d=0,Y"}, {zRES, "e=0,Y"},  // 80
    {zRES, "h=0,Y"}, {zRES, "l=0,Y"}, {zRES, "0,Y"},   {zRES, "a=0,Y"},  // 84
    {zRES, "b=1,Y"}, {zRES, "c=1,Y"}, {zRES, "d=1,Y"}, {zRES, "e=1,Y"},  // 88
    {zRES, "h=1,Y"}, {zRES, "l=1,Y"}, {zRES, "1,Y"},   {zRES, "a=1,Y"},  // 8C
    {zRES, "b=2,Y"}, {zRES, "c=2,Y"}, {zRES, "d=2,Y"}, {zRES, "e=2,Y"},  // 90
    {zRES, "h=2,Y"}, {zRES, "l=2,Y"}, {zRES, "2,Y"},   {zRES, "a=2,Y"},  // 94
    {zRES, "b=3,Y"}, {zRES, "c=3,Y"}, {zRES, "d=3,Y"}, {zRES, "e=3,Y"},  // 98
    {zRES, "h=3,Y"}, {zRES, "l=3,Y"}, {zRES, "3,Y"},   {zRES, "a=3,Y"},  // 9C
    {zRES, "b=4,Y"}, {zRES, "c=4,Y"}, {zRES, "d=4,Y"}, {zRES, "e=4,Y"},  // A0
    {zRES, "h=4,Y"}, {zRES, "l=4,Y"}, {zRES, "4,Y"},   {zRES, "a=4,Y"},  // A4
    {zRES, "b=5,Y"}, {zRES, "c=5,Y"}, {zRES, "d=5,Y"}, {zRES, "e=5,Y"},  // A8
    {zRES, "h=5,Y"}, {zRES, "l=5,Y"}, {zRES, "5,Y"},   {zRES, "a=5,Y"},  // AC
    {zRES, "b=6,Y"}, {zRES, "c=6,Y"}, {zRES, "d=6,Y"}, {zRES, "e=6,Y"},  // B0
    {zRES, "h=6,Y"}, {zRES, "l=6,Y"}, {zRES, "6,Y"},   {zRES, "a=6,Y"},  // B4
    {zRES, "b=7,Y"}, {zRES, "c=7,Y"}, {zRES, "d=7,Y"}, {zRES, "e=7,Y"},  // B8
    {zRES, "h=7,Y"}, {zRES, "l=7,Y"}, {zRES, "7,Y"},   {zRES, "a=7,Y"},  // BC
    {zSET, "b=0,Y"}, {zSET, "c=0,Y"}, {zSET, "d=0,Y"}, {zSET, "e=0,Y"},  // C0
    {zSET, "h=0,Y"}, {zSET, "l=0,Y"}, {zSET, "0,Y"},   {zSET, "a=0,Y"},  // C4
    {zSET, "b=1,Y"}, {zSET, "c=1,Y"}, {zSET, "d=1,Y"}, {zSET, "e=1,Y"},  // C8
    {zSET, "h=1,Y"}, {zSET, "l=1,Y"}, {zSET, "1,Y"},   {zSET, "a=1,Y"},  // CC
    {zSET, "b=2,Y"}, {zSET, "c=2,Y"}, {zSET, "d=2,Y"}, {zSET, "e=2,Y"},  // D0
    {zSET, "h=2,Y"}, {zSET, "l=2,Y"}, {zSET, "2,Y"},   {zSET, "a=2,Y"},  // D4
    {zSET, "b=3,Y"}, {zSET, "c=3,Y"}, {zSET, "d=3,Y"}, {zSET, "e=3,Y"},  // D8
    {zSET, "h=3,Y"}, {zSET, "l=3,Y"}, {zSET, "3,Y"},   {zSET, "a=3,Y"},  // DC
    {zSET, "b=4,Y"}, {zSET, "c=4,Y"}, {zSET, "d=4,Y"}, {zSET, "e=4,Y"},  // E0
    {zSET, "h=4,Y"}, {zSET, "l=4,Y"}, {zSET, "4,Y"},   {zSET, "a=4,Y"},  // E4
    {zSET, "b=5,Y"}, {zSET, "c=5,Y"}, {zSET, "d=5,Y"}, {zSET, "e=5,Y"},  // E8
    {zSET, "h=5,Y"}, {zSET, "l=5,Y"}, {zSET, "5,Y"},   {zSET, "a=5,Y"},  // EC
    {zSET, "b=6,Y"}, {zSET, "c=6,Y"}, {zSET, "d=6,Y"}, {zSET, "e=6,Y"},  // F0
    {zSET, "h=6,Y"}, {zSET, "l=6,Y"}, {zSET, "6,Y"},   {zSET, "a=6,Y"},  // F4
    {zSET, "b=7,Y"}, {zSET, "c=7,Y"}, {zSET, "d=7,Y"}, {zSET, "e=7,Y"},  // F8
    {zSET, "h=7,Y"}, {zSET, "l=7,Y"}, {zSET, "7,Y"},   {zSET, "a=7,Y"},  // FC
};

// Result-word bits of each mnemonic.
constexpr uint32_t STEP_OVER = 0x20000000;
constexpr uint32_t STEP_OUT = 0x40000000;
constexpr uint32_t CONDITIONAL = 0x10000000;
constexpr uint32_t SUPPORTED = 0x80000000;

constexpr uint32_t flags_of(unsigned mnemonic) {
    switch (mnemonic) {
    case zCALL:
    case zRST:
    case zHALT:
    case zLDIR:
    case zLDDR:
    case zCPIR:
    case zCPDR:
    case zINIR:
    case zINDR:
    case zOTIR:
    case zOTDR: return STEP_OVER;
    case zRET:
    case zRETI:
    case zRETN: return STEP_OUT;
    case zDJNZ: return CONDITIONAL;
    default: return 0;
    }
}

constexpr auto make_flags() {
    std::array<uint32_t, 89> flags{};
    for (unsigned k = 0; k < flags.size(); ++k) flags[k] = flags_of(k);
    return flags;
}
const std::array<uint32_t, 89> s_flags = make_flags();

// Every formatted piece goes through a 256-byte buffer.
void put(std::ostream& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
void put(std::ostream& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    out << buffer;
}

}  // namespace

const z80_disassembler::mnemonic_entry* z80_disassembler::get_mnemonic_ed(uint8_t op) {
    return &mnemonic_ed[op];
}

uint32_t z80_disassembler::disassemble(std::ostream& out, uint32_t pc, const data_buffer& opcodes,
                                       const data_buffer& params) {
    const mnemonic_entry* entry;
    const char* index_name = "";
    int8_t displacement = 0;
    uint32_t p;
    uint8_t prefix;
    uint8_t first = opcodes.r8(pc);
    switch (first) {
    case 0xCB:
        {
            uint8_t op = opcodes.r8(pc + 1);
            entry = &mnemonic_cb[op];
            p = pc + 2;
            prefix = op;
            break;
        }
    case 0xDD:
    case 0xFD:
        {
            index_name = first == 0xDD ? "ix" : "iy";
            prefix = first;
            uint8_t op = opcodes.r8(pc + 1);
            if (op == 0xCB) {
                displacement = int8_t(params.r8(pc + 2));
                entry = &mnemonic_xx_cb[params.r8(pc + 3)];
                p = pc + 4;
            } else {
                entry = &mnemonic_xx[op];
                p = entry->mnemonic == zDB ? pc + 1 : pc + 2;
            }
            break;
        }
    case 0xED:
        entry = get_mnemonic_ed(opcodes.r8(pc + 1));
        prefix = 0xED;
        p = entry->mnemonic == zDB ? pc + 1 : pc + 2;
        break;
    default:
        entry = &mnemonic_main[first];
        p = pc + 1;
        prefix = first;
        break;
    }

    const char* mnemonic = s_mnemonic[entry->mnemonic];
    uint32_t flags = s_flags[entry->mnemonic];
    if (!entry->pattern) {
        put(out, "%s", mnemonic);
        return (p - pc) | flags | SUPPORTED;
    }

    put(out, "%-4s ", mnemonic);
    const char* pattern = entry->pattern;
    auto word = [&] {
        uint16_t w = uint16_t(params.r8(p) | (params.r8(p + 1) << 8));
        p += 2;
        return w;
    };
    auto index_text = [&] {
        put(out, "(%s%c$%02x)", index_name, displacement < 0 ? '-' : '+',
            unsigned(displacement < 0 ? -int(displacement) : displacement));
    };
    for (const char* c = pattern; *c; ++c) {
        switch (*c) {
        case '?': put(out, "$%02x", prefix); break;
        case 'A':
            put(out, "$%04X", word());
            if (c != pattern) flags |= CONDITIONAL;
            break;
        case 'B':
        case 'P': put(out, "$%02X", params.r8(p++)); break;
        case 'I': put(out, "%s", index_name); break;
        case 'N':
        case 'W': put(out, "$%04X", word()); break;
        case 'O':
            {
                int8_t d = int8_t(params.r8(p++));
                put(out, "$%04X", unsigned((pc + d + 2) & 0xFFFF));
                if (c != pattern) flags |= CONDITIONAL;
                break;
            }
        case 'V': put(out, "$%02X", unsigned(first & 0x38)); break;
        case 'X':
            displacement = int8_t(params.r8(p++));
            index_text();
            break;
        case 'Y': index_text(); break;
        default: out << *c; break;
        }
    }
    if (entry->mnemonic == zRET) flags |= CONDITIONAL;
    return (p - pc) | flags | SUPPORTED;
}

}  // namespace orbs
