// The guest addresses the game names in `rom`, `var` and `hw`, checked against
// their documented values. The game, its tests and the synthetic set all read
// one name, so a slip in a name's value moves the data and its reader
// together and no behaviour test sees it; these tests hold the addresses a
// second time, written from the documentation, and compare.
//
// - Every name has its documented address: one row per name in
//   documented_rom.inc, documented_var.inc and documented_hw.inc.
// - Every address constant of the headers has a row, and every row a
//   constant: the headers are read as text.
// - No two names share a value unless the pair is listed below with its
//   reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/actors/tables.h"
#include "game/actors/vars.h"
#include "game/engine/tables.h"
#include "game/engine/vars.h"
#include "game/flow/tables.h"
#include "game/flow/vars.h"
#include "game/hardware.h"
#include "game/operator/tables.h"
#include "game/operator/vars.h"

namespace {

struct documented_row {
    const char* name;  // as written in the row, e.g. "rom::direction_map"
    uint32_t value;    // the header's value of that name
    uint32_t documented;
};

#define DOCUMENTED(name, address) {#name, name, address},
const documented_row kRows[] = {
#include "tests/game/documented_rom.inc"
#include "tests/game/documented_var.inc"
#include "tests/game/documented_hw.inc"
};
#undef DOCUMENTED

// Address constants that no documented sentence places, each with the reason;
// they take no row, so none is invented. None so far.
struct undocumented_name {
    const char* name;
    uint32_t value;
    const char* reason;
};
#define UNDOCUMENTED(name, reason) {#name, name, reason},
const std::vector<undocumented_name> kUndocumented = {
    // UNDOCUMENTED(rom::some_table, "why no documented address is known")
};
#undef UNDOCUMENTED

// Names that share one value on purpose.
struct alias_pair {
    const char* first;
    const char* second;
    const char* reason;
};
const alias_pair kAliases[] = {
    {"var::video_shadow", "var::layer_control", "the shadow's first word is the layer-control register's"},
    {"var::scroll_words", "var::nbg0_scroll_x", "the scroll words begin with NBG0's x"},
    {"var::backup_image", "var::backup_primary", "the image begins with the primary record"},
    {"var::bookkeeping_data", "var::coin_credits",
     "the data under the check value begins with the coin credits"},
    {"hw::video_regs", "hw::layer_control", "the layer-control register is the first video register"},
    {"hw::io_ports", "hw::player1_port", "player 1's port is the I/O chip's first"},
    {"hw::shared_ram_last", "var::shared_ram_flag",
     "the last byte of the shared RAM is the one the self test uses as its flag"},
    // One variable that two areas name each their own way; they are to become one name.
    {"var::player1_presses", "var::player_presses", "one variable named twice (mode machine, player slots)"},
    {"var::join_count", "var::bookkeeping_joins", "one variable named twice (operator pages, player slots)"},
    {"var::play_time", "var::total_play_time", "one variable named twice (operator pages, player slots)"},
    {"var::new_play_count", "var::bookkeeping_new_plays",
     "one variable named twice (operator pages, player slots)"},
    {"var::play_histogram", "var::play_length_bands",
     "one variable named twice (operator pages, player slots)"},
    {"var::score_overflow", "var::score_total_overflow",
     "one variable named twice (operator pages, ranking)"},
};

std::string hex6(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", value);
    return text;
}

std::string without_spaces(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') out += c;
    return out;
}

TEST(DocumentedAddresses, EveryNameHasItsDocumentedAddress) {
    for (const documented_row& row : kRows) {
        if (row.value != row.documented)
            ADD_FAILURE() << row.name << " is " << hex6(row.value) << ", the documented address is "
                          << hex6(row.documented);
    }
}

// ---- the headers read as text ----

// The headers that hold the three namespaces, from the source folder.
const char* const kHeaders[] = {
    "game/engine/tables.h",   "game/flow/tables.h",   "game/actors/tables.h",
    "game/operator/tables.h", "game/engine/vars.h",   "game/flow/vars.h",
    "game/actors/vars.h",     "game/operator/vars.h", "game/hardware.h",
};

struct declared_constant {
    std::string name;   // qualified, an array's element with its index: "rom::game_over_texts[1]"
    std::string where;  // file:line
};

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\n") - first + 1);
}

// Splits at the commas outside brackets and braces.
std::vector<std::string> split_top_level(const std::string& text) {
    std::vector<std::string> parts(1);
    int depth = 0;
    for (char c : text) {
        if (c == '(' || c == '[' || c == '{') ++depth;
        if (c == ')' || c == ']' || c == '}') --depth;
        if (c == ',' && depth == 0)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The rule that tells an address from the other constants the namespaces may
// hold (a size, a count, an offset): an initialiser that is a plain number
// below 0x10000 is not an address (no table, variable or register the game
// names lies below 64 KiB: its program starts at 0x060000), nor is a
// difference of two names (the distance between two addresses). Everything
// else, a larger number, another name, a name plus or minus a number, is an
// address.
bool is_address(const std::string& initialiser) {
    static const std::regex number(R"(^(0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*$)");
    static const std::regex difference(R"([A-Za-z_][A-Za-z0-9_:]*\s*-\s*[A-Za-z_])");
    const std::string text = trimmed(initialiser);
    if (std::regex_match(text, number)) return std::stoul(text, nullptr, 0) >= 0x10000;
    return !std::regex_search(text, difference);
}

// One declaration at namespace scope: `[inline] constexpr TYPE a = x, b[2] = {y, z}`.
void read_declaration(const std::string& statement, const std::string& scope, const std::string& where,
                      std::vector<declared_constant>& out, std::vector<std::string>& problems) {
    static const std::regex head(
        R"(^\s*(?:(?:inline|static)\s+)*constexpr\s+(?:const\s+)?[A-Za-z0-9_:<>]+\s+([\s\S]*)$)");
    static const std::regex declarator(
        R"(^\s*([A-Za-z_][A-Za-z0-9_]*)\s*(?:\[\s*([0-9]*)\s*\])?\s*=\s*([\s\S]*)$)");
    std::smatch m;
    if (!std::regex_match(statement, m, head)) {
        // Not a constant (a using-declaration, a function's declaration), unless it says constexpr.
        if (statement.find("constexpr") != std::string::npos && statement.find('(') == std::string::npos)
            problems.push_back(where + ": a declaration this test cannot read");
        return;
    }
    for (const std::string& part : split_top_level(m[1].str())) {
        std::smatch d;
        if (!std::regex_match(part, d, declarator)) {
            if (part.find('(') == std::string::npos)  // a function's declaration is no constant
                problems.push_back(where + ": a declaration this test cannot read");
            continue;
        }
        const std::string name = scope + "::" + d[1].str();
        std::string init = trimmed(d[3].str());
        if (!d[2].matched) {
            if (is_address(init)) out.push_back({name, where});
            continue;
        }
        // An array: one name per element.
        if (!init.empty() && init.front() == '{') init = init.substr(1, init.size() - 2);
        const std::vector<std::string> elements = split_top_level(init);
        for (size_t i = 0; i < elements.size(); ++i)
            if (is_address(elements[i])) out.push_back({name + "[" + std::to_string(i) + "]", where});
    }
}

// The constants of `rom`, `var` and `hw` (and of namespaces inside them) that
// one header declares at namespace scope.
std::vector<declared_constant> read_header(const std::string& relative, std::vector<std::string>& problems) {
    std::ifstream file(std::string(IRONBELL_SOURCE_DIR) + "/" + relative);
    if (!file) {
        problems.push_back(relative + " cannot be read");
        return {};
    }
    std::stringstream buffer;
    buffer << file.rdbuf();
    const std::string text = buffer.str();

    std::vector<declared_constant> out;
    struct scope {
        bool is_namespace;
        std::string name;
    };
    std::vector<scope> scopes;
    std::string statement;
    int line = 1, statement_line = 1, initialiser_depth = 0;
    const auto in_our_namespaces = [&](std::string& qualified) {
        if (scopes.empty()) return false;
        qualified.clear();
        for (const scope& s : scopes) {
            if (!s.is_namespace) return false;
            qualified += (qualified.empty() ? "" : "::") + s.name;
        }
        return scopes[0].name == "rom" || scopes[0].name == "var" || scopes[0].name == "hw";
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {  // a comment to the line's end
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
            continue;
        }
        if (c == '#') {  // a preprocessor line
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
            continue;
        }
        if (c == '\n') ++line;
        if (trimmed(statement).empty() && c != ' ' && c != '\n') statement_line = line;
        if (c == '{' && initialiser_depth == 0) {
            static const std::regex opening(R"(^\s*namespace\s+([A-Za-z0-9_:]*)\s*$)");
            std::smatch m;
            if (std::regex_match(statement, m, opening)) {
                std::string names = m[1].str();
                for (size_t at; (at = names.find("::")) != std::string::npos; names = names.substr(at + 2))
                    scopes.push_back({true, names.substr(0, at)});
                scopes.push_back({true, names});
            } else if (!trimmed(statement).empty() && trimmed(statement).back() == '=') {  // `x[2] = {`
                ++initialiser_depth;
                statement += c;
                continue;
            } else {
                scopes.push_back({false, ""});
            }
            statement.clear();
            continue;
        }
        if (c == '{') ++initialiser_depth;
        if (c == '}' && initialiser_depth > 0) {
            --initialiser_depth;
            statement += c;
            continue;
        }
        if (c == '}') {
            if (!scopes.empty()) scopes.pop_back();
            statement.clear();
            continue;
        }
        if (c == ';' && initialiser_depth == 0) {
            std::string qualified;
            if (in_our_namespaces(qualified))
                read_declaration(statement, qualified, relative + ":" + std::to_string(statement_line), out,
                                 problems);
            statement.clear();
            continue;
        }
        statement += c;
    }
    return out;
}

TEST(DocumentedAddresses, EveryAddressConstantHasARowAndEveryRowAConstant) {
    std::map<std::string, std::string> declared;  // name -> where
    std::vector<std::string> problems;
    for (const char* header : kHeaders)
        for (const declared_constant& constant : read_header(header, problems))
            declared.emplace(constant.name, constant.where);
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    ASSERT_FALSE(declared.empty()) << "no address constant found in the headers";

    std::map<std::string, int> rows;
    for (const documented_row& row : kRows) ++rows[without_spaces(row.name)];
    for (const undocumented_name& name : kUndocumented) {
        if (rows.count(without_spaces(name.name)))
            ADD_FAILURE() << name.name << " has a documented row and is listed as undocumented too";
        ++rows[without_spaces(name.name)];
    }
    for (const auto& [name, count] : rows) {
        if (count > 1) ADD_FAILURE() << name << " has " << count << " rows";
        if (!declared.count(name))
            ADD_FAILURE() << "the row of " << name << " names no address constant of the headers";
    }

#ifdef IRONBELL_ROM_ROWS_TO_COME
    const bool rom_rows_to_come = true;
#else
    const bool rom_rows_to_come = false;
#endif
    int left_out = 0;
    for (const auto& [name, where] : declared) {
        if (rows.count(name)) continue;
        if (rom_rows_to_come && name.rfind("rom::", 0) == 0) {
            ++left_out;
            continue;
        }
        const std::string area = name.substr(0, name.find("::"));
        ADD_FAILURE() << name << " (" << where << ") is an address with no row in tests/game/documented_"
                      << area << ".inc";
    }
    if (left_out > 0 && !HasFailure())
        GTEST_SKIP() << left_out << " names of rom:: wait for their documented rows (documented_rom.inc)";
}

TEST(DocumentedAddresses, NoTwoNamesShareAValueUnlessListed) {
    std::map<std::string, uint32_t> values;
    for (const documented_row& row : kRows) values[without_spaces(row.name)] = row.value;
    for (const undocumented_name& name : kUndocumented) values[without_spaces(name.name)] = name.value;

    std::set<std::pair<std::string, std::string>> listed;
    for (const alias_pair& alias : kAliases) {
        const auto first = values.find(alias.first), second = values.find(alias.second);
        if (first == values.end() || second == values.end() || first->second != second->second)
            ADD_FAILURE() << alias.first << " and " << alias.second
                          << " are listed as sharing a value and do not (or one of them is gone)";
        listed.insert(std::minmax(std::string(alias.first), std::string(alias.second)));
    }

    std::map<uint32_t, std::vector<std::string>> by_value;
    for (const auto& [name, value] : values) by_value[value].push_back(name);
    for (const auto& [value, names] : by_value)
        for (size_t i = 0; i < names.size(); ++i)
            for (size_t j = i + 1; j < names.size(); ++j)
                if (!listed.count(std::minmax(names[i], names[j])))
                    ADD_FAILURE()
                        << names[i] << " and " << names[j] << " are both " << hex6(value)
                        << "; one of them is wrong, or the pair is an alias to list with its reason";
}

}  // namespace
