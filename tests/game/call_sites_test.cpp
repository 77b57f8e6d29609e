// Every guest call in the translated code names where it was made and where
// it expects to come back, and those two addresses must fit the guest program:
// the call lies inside its own routine, and the return address lies after the
// call and still inside that routine. It is never a routine's entry (that
// would be a tail call) nor one of the return labels that a frame recognises
// on its own. This check reads the sources and holds every call site to it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct routine_list {
    std::map<std::string, uint32_t> address;  // by name
    std::vector<uint32_t> entries;            // ascending
};

std::string read_file(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

routine_list read_routine_list(const std::string& text) {
    routine_list list;
    const std::regex row(R"(^(?:ROUTINE|TEST_ENTRY)\((0x[0-9A-Fa-f]+), *(\w+))");
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, row)) continue;
        const uint32_t a = static_cast<uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        list.address[m[2].str()] = a;
        list.entries.push_back(a);
    }
    std::sort(list.entries.begin(), list.entries.end());
    return list;
}

// The arguments of the call whose opening parenthesis is at text[open].
std::vector<std::string> arguments(const std::string& text, std::size_t open) {
    std::vector<std::string> args(1);
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(' && depth++ == 0) continue;
        if (c == ')' && --depth == 0) break;
        if (c == ',' && depth == 1) {
            args.emplace_back();
            continue;
        }
        args.back() += c;
    }
    for (std::string& a : args) {
        a.erase(0, a.find_first_not_of(" \t\n"));
        a.erase(a.find_last_not_of(" \t\n") + 1);
    }
    return args;
}

bool literal(const std::string& s, uint32_t& value) {
    if (!std::regex_match(s, std::regex("0x[0-9A-Fa-f]+"))) return false;
    value = static_cast<uint32_t>(std::stoul(s, nullptr, 16));
    return true;
}

// The return labels that frames compare the PC with on their own.
const std::set<uint32_t> kReturnLabels = {0x000057, 0x060057, 0x06626C, 0x0662BB};

// Problems with the call sites of one source file, one line each.
std::vector<std::string> check_call_sites(const std::string& file, const std::string& text,
                                          const routine_list& list) {
    std::vector<std::string> problems;
    auto where = [&](std::size_t at) {
        return file + ":" + std::to_string(std::count(text.begin(), text.begin() + at, '\n') + 1) + ": ";
    };
    // Routine bodies: from a definition of a listed routine to the next
    // closing brace in column 0.
    struct body {
        std::size_t begin, end;
        uint32_t entry, next;
    };
    std::vector<body> bodies;
    const std::regex definition(R"(^void (\w+)\(\) \{)", std::regex::multiline);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), definition); it != std::sregex_iterator();
         ++it) {
        const auto found = list.address.find((*it)[1].str());
        if (found == list.address.end()) continue;
        const std::size_t begin = static_cast<std::size_t>(it->position());
        const std::size_t end = text.find("\n}", begin);
        const auto next = std::upper_bound(list.entries.begin(), list.entries.end(), found->second);
        bodies.push_back({begin, end == std::string::npos ? text.size() : end, found->second,
                          next == list.entries.end() ? 0x1000000u : *next});
    }
    const std::regex site(R"(\b(call|call_at)\s*\()");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), site); it != std::sregex_iterator(); ++it) {
        const std::size_t at = static_cast<std::size_t>(it->position());
        const auto args = arguments(text, at + it->length() - 1);
        const auto in = std::find_if(bodies.begin(), bodies.end(),
                                     [&](const body& b) { return at > b.begin && at < b.end; });
        if (in == bodies.end()) {
            problems.push_back(where(at) + "a guest call outside any routine's body");
            continue;
        }
        uint32_t ret = 0, from = 0;
        if (args.size() != 3 || !literal(args[1], ret) || !literal(args[2], from)) {
            problems.push_back(where(at) + "the return and call addresses must be literals");
            continue;
        }
        char range[64];
        std::snprintf(range, sizeof range, " (routine %06X to %06X)", in->entry, in->next);
        if (from < in->entry || from >= in->next)
            problems.push_back(where(at) + "the call lies outside its routine" + range);
        if (ret <= from) problems.push_back(where(at) + "the return address is not after the call");
        if (ret >= in->next)
            problems.push_back(where(at) + "the return address lies past its routine" + range);
        if (std::binary_search(list.entries.begin(), list.entries.end(), ret))
            problems.push_back(where(at) + "the return address is a routine's entry");
        if (kReturnLabels.count(ret)) problems.push_back(where(at) + "the return address is a return label");
    }
    return problems;
}

const fs::path kSource = IRONBELL_SOURCE_DIR;

routine_list game_routines() { return read_routine_list(read_file(kSource / "game/routines.def")); }

TEST(CallSites, EverySiteOfTheTranslatedCodeFitsItsRoutine) {
    const routine_list list = game_routines();
    ASSERT_GT(list.entries.size(), 742u);
    const std::regex site(R"(\bcall(_at)?\s*\()");
    int sites = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / "game")) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string text = read_file(entry.path());
        sites += static_cast<int>(
            std::distance(std::sregex_iterator(text.begin(), text.end(), site), std::sregex_iterator()));
        for (const std::string& p :
             check_call_sites(entry.path().lexically_relative(kSource).string(), text, list))
            ADD_FAILURE() << p;
    }
    std::printf("call sites checked: %d\n", sites);
    EXPECT_GT(sites, 0) << "the scan found the translated code";
}

// The check on planted sources: each bad site is named with its line.
TEST(CallSites, APlantedBadSiteIsReported) {
    const routine_list list = read_routine_list(
        "ROUTINE(0x060100, sub_060100)\nROUTINE(0x060200, sub_060200)\n"
        "ROUTINE(0x06626C, sub_06626C)\nROUTINE(0x066300, sub_066300)\n");
    const struct {
        const char* name;
        const char* site;
        const char* problem;  // empty: no problem
    } cases[] = {
        {"good", "if (!call(sub_060200, 0x060107, 0x060104)) return;", ""},
        {"good computed", "if (!call_at(orb_read32(cpu.reg[20] + 4),\n 0x060107, 0x060104)) return;", ""},
        {"return before the call", "call(sub_060200, 0x060104, 0x060107);", "not after the call"},
        {"return past the routine", "call(sub_060200, 0x060203, 0x0601FE);", "past its routine"},
        {"return at the next entry", "call(sub_060200, 0x060200, 0x0601FD);", "a routine's entry"},
        {"call outside the routine", "call(sub_060200, 0x060103, 0x060000);", "outside its routine"},
        {"computed address", "call(sub_060200, base + 3, base);", "must be literals"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = std::string("// planted\nvoid sub_060100() {\n    ") + c.site + "\n}\n";
        const auto problems = check_call_sites("planted.cpp", text, list);
        if (*c.problem == 0) {
            EXPECT_TRUE(problems.empty()) << problems.front();
            continue;
        }
        ASSERT_FALSE(problems.empty());
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(), [&](const std::string& p) {
            return p.find(c.problem) != std::string::npos;
        })) << problems[0];
        for (const std::string& p : problems) EXPECT_EQ(p.rfind("planted.cpp:3: ", 0), 0u) << p;
    }
    const std::string label =
        "void sub_066300() {}\nvoid sub_06626C() {\n  call(sub_060100, 0x06626C, 0x066269);\n}\n";
    const auto at_entry = check_call_sites("label.cpp", label, list);
    ASSERT_FALSE(at_entry.empty());
    EXPECT_NE(at_entry.back().find("return label"), std::string::npos);
    const auto helper =
        check_call_sites("helper.cpp", "bool go() { return call(sub_060100, 0x1, 0x0); }\n", list);
    ASSERT_EQ(helper.size(), 1u);
    EXPECT_NE(helper[0].find("outside any routine"), std::string::npos);
}

}  // namespace
