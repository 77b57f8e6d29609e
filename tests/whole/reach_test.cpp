// How much of the game the whole runs reach: every run the run test files
// list is made again (one time slice), and the routines they enter together
// are compared with the routine list less the exceptions below. The test
// prints "whole runs enter N of 742 routines" and, by game area and file,
// the routines no run entered that are no exception, and fails when there
// are any: planted data or a new run has to reach them.
//
// The runs on damaged program regions are left out: what they enter is
// decided by bytes no game holds, not by the game's own paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/routines.h"
#include "tests/support/whole_run.h"
#include "tests/whole/reach_runs.h"

namespace whole_reach {

namespace {
std::vector<listed_run>& runs() {
    static std::vector<listed_run> all;
    return all;
}
}  // namespace

const std::vector<listed_run>& listed_runs() { return runs(); }

listed::listed(std::string name, std::function<whole_run::options()> options) {
    runs().push_back({std::move(name), [options](whole_run::runner& r) {
                          return std::vector<whole_run::outcome>{r.run(options())};
                      }});
}

listed::listed(std::string name, maker make) { runs().push_back({std::move(name), std::move(make)}); }

}  // namespace whole_reach

namespace {

namespace fs = std::filesystem;

// The game's own rows of the routine list.
constexpr uint32_t kListed[] = {
#define ROUTINE(address, name) address,
#define TEST_ENTRY(address, name)
#include "game/routines.def"
#undef ROUTINE
#undef TEST_ENTRY
};
constexpr size_t kListedCount = std::size(kListed);

// The fewest routines the runs may enter: what they enter now, every routine
// but the exceptions below. Raise it with what new runs reach; never lower it
// to make a change pass.
constexpr size_t kReachFloor = 727;

// Why a routine is not expected to be entered by any whole run.
enum class why {
    // On a path that ends the run: its continuation has no translated routine.
    ends_the_run,
    // Nothing translated calls it, jumps to it or installs its address.
    no_caller,
    // Behind a branch that no synthetic data can take (the row says why).
    out_of_reach,
};

struct exception_row {
    uint32_t address;
    why kind;
    const char* reason;
};

// No row may stand here for want of planted data: data the game reads from
// the ROM set is ours to plant.
const std::vector<exception_row> kExceptions = {
    // Paths that end the run.
    {entry::sub_0781EE, why::ends_the_run,
     "the sweep's score check, in the sweep's states 2 and 3: an attack object's first run ends "
     "in state 1, and its second run calls the stored type routine, which has no translated entry"},
    // No translated caller: nothing in game/ calls these, jumps to them or
    // stores their address, and no ROM table is read for them.
    {entry::sub_000000, why::no_caller,
     "the reset code's twin at the bottom of ROM: nothing calls it; only a routine address or "
     "vector of 0 in damaged data would enter it"},
    {entry::sub_060A1D, why::no_caller, "the sprite RAM copy that the boot routine makes inline"},
    {entry::sub_0695E6, why::no_caller,
     "the difficulty factor: every enemy set-up and the spawn attempt read the factor table "
     "0x0699CD themselves; no translated routine calls it and no ROM table names it"},
    {entry::sub_062B70, why::no_caller,
     "queues the character select's palette block; the in-game flow queues it itself"},
    {entry::sub_06350B, why::no_caller,
     "a second entry of the join routine (continue at 0x0635B4); the join check enters at 0x063536"},
    {entry::sub_081A33, why::no_caller,
     "faces a prop away from an unmirrored last attacker: a subroutine of the prop routines 0x081654, "
     "0x0816BA and 0x0816EB, which have no translated code (the prop dispatcher runs only their "
     "first frame, the shared set-up, and takes no other routine from its ROM table)"},
    {entry::sub_082E5D, why::no_caller, "an empty routine next to the child effects"},
    {entry::sub_08784E, why::no_caller,
     "the terrain map's row width and base, which the terrain routines work out inline"},
    {entry::sub_089548, why::no_caller,
     "the CRC of the primary settings record; the backup code calls the CRC routine 0x08954D itself"},
    {entry::sub_08C3FB, why::no_caller, "prints the menu pages' common footer; each page prints it itself"},
    {entry::sub_08C482, why::no_caller,
     "unmarks the current menu line with colour 0; the menu loops carry the same steps inline"},
    {entry::sub_08C485, why::no_caller, "the same with the colour in R0: entered only from 0x08C482"},
    // Branches no synthetic data can take.
    {entry::int_default, why::out_of_reach,
     "the default interrupt handler, for vectors no source raises: the controller's five sources "
     "each have a handler of their own, and the board raises no other interrupt"},
    {entry::int_nmi, why::out_of_reach,
     "the non-maskable interrupt's handler: the board wires no NMI, and the runtime takes only the "
     "controller's maskable line"},
};

bool listed(uint32_t address) { return std::binary_search(std::begin(kListed), std::end(kListed), address); }

// The file of game/ that defines each routine, by its entry hook.
std::map<uint32_t, std::string> defining_files() {
    std::map<uint32_t, std::string> files;
    const fs::path game = fs::path(IRONBELL_SOURCE_DIR) / "game";
    for (const auto& item : fs::recursive_directory_iterator(game)) {
        if (item.path().extension() != ".cpp") continue;
        std::ifstream in(item.path());
        const std::string key = "ROUTINE_ENTRY(0x";
        for (std::string line; std::getline(in, line);) {
            const size_t at = line.find(key);
            if (at == std::string::npos) continue;
            files[uint32_t(std::stoul(line.substr(at + key.size(), 6), nullptr, 16))] =
                fs::relative(item.path(), game).string();
        }
    }
    return files;
}

TEST(WholeReach, ExceptionRowsNameRoutinesOfTheListOnceEach) {
    std::set<uint32_t> seen;
    for (const auto& row : kExceptions) {
        EXPECT_TRUE(listed(row.address)) << std::hex << row.address << " starts no row of the routine list";
        EXPECT_TRUE(seen.insert(row.address).second) << std::hex << row.address << " is excepted twice";
        EXPECT_GT(std::string(row.reason).size(), 10u) << std::hex << row.address << " gives no reason";
    }
}

TEST(WholeReach, TheRunsEnterEveryRoutineButTheExceptions) {
    ASSERT_EQ(kListedCount, 742u);
    const auto& runs = whole_reach::listed_runs();
    ASSERT_FALSE(runs.empty()) << "no run test file listed a run";

    // Each listed run on a thread of its own: the test takes as long as the
    // longest of them.
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<std::vector<whole_run::outcome>>> made;
    for (const auto& run : runs)
        made.push_back(std::async(std::launch::async, [&run] {
            whole_run::runner r(IRONBELL_PROBE_EXE);
            return run.make(r);
        }));
    std::set<uint32_t> entered;
    for (size_t k = 0; k < runs.size(); ++k) {
        const auto& run = runs[k];
        const auto outcomes = made[k].get();
        ASSERT_FALSE(outcomes.empty()) << run.name;
        for (size_t i = 0; i < outcomes.size(); ++i) {
            const auto& out = outcomes[i];
            // A probe killed by a signal writes no entered routines: that run's
            // own test says why; here it would only lower the count.
            ASSERT_FALSE(out.entered.empty()) << run.name << " #" << i + 1 << " wrote no entered routines\n"
                                              << out.err;
            for (uint32_t address : out.entered) {
                EXPECT_TRUE(listed(address))
                    << run.name << " entered " << std::hex << address << ", no row of the routine list";
                entered.insert(address);
            }
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("whole runs enter %zu of %zu routines\n", entered.size(), kListedCount);
    RecordProperty("entered", static_cast<int>(entered.size()));
    std::printf("(%zu runs listed, made in %.1f s)\n", runs.size(), seconds);

    // A row for a routine the runs enter is stale: the reason no longer holds.
    std::string stale;
    for (const auto& row : kExceptions)
        if (entered.count(row.address)) {
            char line[200];
            std::snprintf(line, sizeof line, "  %06X: %s\n", row.address, row.reason);
            stale += line;
        }
    if (!stale.empty()) ADD_FAILURE() << "excepted, but entered by a run:\n" << stale;

    // What is left to reach, by area and file.
    std::set<uint32_t> excepted;
    for (const auto& row : kExceptions) excepted.insert(row.address);
    const auto files = defining_files();
    std::map<std::string, std::vector<uint32_t>> left;
    size_t left_count = 0;
    for (uint32_t address : kListed) {
        if (entered.count(address) || excepted.count(address)) continue;
        const auto f = files.find(address);
        left[f == files.end() ? std::string("(no file)") : f->second].push_back(address);
        ++left_count;
    }
    std::printf("%zu excepted; %zu neither entered nor excepted:\n", excepted.size(), left_count);
    for (const auto& [file, addresses] : left) {
        std::string line = "  " + file + " (" + std::to_string(addresses.size()) + "):";
        for (uint32_t a : addresses) {
            char item[12];
            std::snprintf(item, sizeof item, " %06X", a);
            line += item;
        }
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);

    EXPECT_GE(entered.size(), kReachFloor) << "the runs reach fewer routines than they did";
    // Every routine is entered or excepted with its reason: a routine a change
    // leaves unreached is either reached again or given a row that says why.
    EXPECT_EQ(left_count, 0u) << "routines neither entered nor excepted (listed above)";
}

}  // namespace
