#include "saves/savefile.h"

#include <array>
#include <charconv>
#include <cstring>

#include "items/weight.h"
#include "platform/files.h"
#include "saves/newgame.h"
#include "world/level.h"

namespace {

// The 28 numbers of a record, in their file order, with the live variable
// each one copies.
struct NumberField {
    int SaveSlot::*slot;
    int GameState::*live;
};
constexpr NumberField NUMBERS[SLOT_NUMBERS] = {
    {&SaveSlot::currentWeapon, &GameState::currentWeapon},
    {&SaveSlot::shield, &GameState::shield},
    {&SaveSlot::favoriteBlue, &GameState::favoriteBlue},
    {&SaveSlot::favoriteRed, &GameState::favoriteRed},
    {&SaveSlot::favoriteGreen, &GameState::favoriteGreen},
    {&SaveSlot::tutoSkills, &GameState::tutoSkills},
    {&SaveSlot::tutoShop, &GameState::tutoShop},
    {&SaveSlot::tutoKnight, &GameState::tutoKnight},
    {&SaveSlot::tutoChest, &GameState::tutoChest},
    {&SaveSlot::tutoFirstFight, &GameState::tutoFirstFight},
    {&SaveSlot::tutoGuard, &GameState::tutoGuard},
    {&SaveSlot::tutoGhoul, &GameState::tutoGhoul},
    {&SaveSlot::tutoInventory, &GameState::tutoInventory},
    {&SaveSlot::tutoSpare2, &GameState::tutoSpare2},
    {&SaveSlot::tutoSave, &GameState::tutoSave},
    {&SaveSlot::tutoSpare1, &GameState::tutoSpare1},
    {&SaveSlot::strength, &GameState::strength},
    {&SaveSlot::heroFacing, &GameState::heroFacing},
    {&SaveSlot::precision, &GameState::precision},
    {&SaveSlot::resistance, &GameState::resistance},
    {&SaveSlot::viewLeft, &GameState::viewLeft},
    {&SaveSlot::viewTop, &GameState::viewTop},
    {&SaveSlot::heroCol, &GameState::heroCol},
    {&SaveSlot::heroRow, &GameState::heroRow},
    {&SaveSlot::life, &GameState::life},
    {&SaveSlot::maxLife, &GameState::maxLife},
    {&SaveSlot::protection, &GameState::protection},
    {&SaveSlot::customLevel, &GameState::customLevel},
};

constexpr std::size_t NAME_BYTES_MAX = PLAYER_NAME_MAX;
constexpr std::size_t FIRST_COUNT = 1 + SLOT_NUMBERS;
constexpr std::size_t FIRST_CELL = FIRST_COUNT + ITEM_COUNT;
// A bag a little over 15 kg is float rounding of the gold's cut-back; beyond
// that no rule of the game lets the hero carry it.
constexpr double CARRY_TOLERANCE_KG = 0.01;

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A whole token as a signed 32-bit decimal number ("+7" too, as the stream read it).
bool readInt(std::string_view token, int& out) {
    const char* first = token.data();
    const char* last = first + token.size();
    if (first != last && *first == '+') ++first;
    if (first == last) return false;
    auto [end, error] = std::from_chars(first, last, out);
    return error == std::errc() && end == last;
}

void appendNumber(std::string& out, int value) {
    char digits[16];
    auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;
    out += ' ';
    out.append(digits, end);
}

// A whole record starts at q: 46 numbers after its name, then cells, not all
// of them digits (a record shifted by a token would show numbers there).
constexpr std::size_t CELLS_LOOKED_AT = 10;
bool startsAt(const std::vector<std::string_view>& tokens, std::size_t q) {
    if (q + RECORD_TOKENS > tokens.size()) return false;
    int ignored = 0;
    for (std::size_t k = 1; k < FIRST_CELL; ++k)
        if (!readInt(tokens[q + k], ignored)) return false;
    for (std::size_t k = FIRST_CELL; k < FIRST_CELL + CELLS_LOOKED_AT; ++k)
        if (!readInt(tokens[q + k], ignored)) return true;
    return false;
}

// True when the numbers would break what every rule of the game relies on.
bool breaksInvariants(const SaveSlot& s) {
    if (s.viewLeft < 0 || s.viewLeft > VIEW_LEFT_MAX || s.viewTop < 0 || s.viewTop > VIEW_TOP_MAX) return true;
    if (s.heroCol < 0 || s.heroCol >= VIEW_COLS || s.heroRow < 0 || s.heroRow >= VIEW_ROWS) return true;
    if (s.heroFacing < -1 || s.heroFacing > 1 || s.customLevel < 0 || s.customLevel > 1) return true;
    if (s.life < 0 || s.life > MAX_LIFE_REACHABLE || s.maxLife > MAX_MAX_LIFE) return true;
    for (int skill : {s.strength, s.precision, s.resistance, s.protection})
        if (skill < 0 || skill > 100) return true;
    double kg = 0;
    for (int i = 0; i < ITEM_COUNT; ++i) {
        if (s.inventory[i] < 0) return true;
        kg += static_cast<double>(s.inventory[i]) * ITEM_TABLE[i].weight;
    }
    return kg > MAX_CARRY_KG + CARRY_TOLERANCE_KG;
}

SaveSlot readRecord(const std::vector<std::string_view>& tokens, std::size_t p) {
    SaveSlot s;
    s.name = unmaskNameSpaces(tokens[p]);
    for (std::size_t k = 0; k < SLOT_NUMBERS; ++k) readInt(tokens[p + 1 + k], s.*NUMBERS[k].slot);
    for (std::size_t i = 0; i < ITEM_COUNT; ++i) readInt(tokens[p + FIRST_COUNT + i], s.inventory[i]);
    for (std::size_t k = 0; k < GRID_CELLS; ++k) {
        const std::string_view token = tokens[p + FIRST_CELL + k];
        const char c = token.empty() ? '\0' : token[0];
        s.grid[k] = c == '\0' ? EMPTY_CELL : c;  // a zero byte is no tile
    }
    if (s.maxLife <= 0 || breaksInvariants(s)) return SaveSlot{};
    return s;
}

// The 10,000 cells, each after a space, and the record's last space.
template <class Cell> void appendCells(std::string& out, Cell cell) {
    const std::size_t at = out.size();
    out.resize(at + 2 * GRID_CELLS + 1);
    char* p = out.data() + at;
    for (int k = 0; k < GRID_CELLS; ++k) {
        *p++ = ' ';
        *p++ = cell(k);
    }
    *p = ' ';
}

void appendRecord(std::string& out, const SaveSlot& s) {
    if (slotIsEmpty(s)) {
        out += EMPTY_SLOT_NAME;
        for (int k = 0; k < SLOT_NUMBERS; ++k) out += " 0";
        out += ' ';
        for (int i = 0; i < ITEM_COUNT; ++i) out += " 0";
        appendCells(out, [](int) { return EMPTY_SLOT_CELL; });
        return;
    }
    out += maskNameSpaces(s.name);
    for (const NumberField& f : NUMBERS) appendNumber(out, s.*f.slot);
    out += ' ';
    for (int count : s.inventory) appendNumber(out, count);
    // Every cell one token: a zero byte or a blank would make none.
    static const auto written = [] {
        std::array<char, 256> map{};
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            map[b] = c == '\0' || isBlank(c) ? EMPTY_CELL : c;
        }
        return map;
    }();
    appendCells(out, [&s](int k) { return written[static_cast<unsigned char>(s.grid[k])]; });
}

}  // namespace

bool slotIsEmpty(const SaveSlot& slot) { return slot.maxLife <= 0; }

int slotXp(const SaveSlot& slot, bool withProtection) {
    return slot.strength + slot.precision + slot.resistance + (withProtection ? slot.protection : 0);
}

std::string maskNameSpaces(std::string_view utf8Name) {
    std::string bytes = platform::utf8ToCp1252(utf8Name);
    if (bytes.size() > NAME_BYTES_MAX) bytes.resize(NAME_BYTES_MAX);
    for (char& c : bytes) {
        if (isBlank(c)) c = NAME_SPACE_MARK;
        else if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    // "ï»¿" first would open the file with a byte-order mark, which the reader skips.
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes[0] = '?';
    return bytes.empty() ? maskNameSpaces(PROPOSED_NAME) : bytes;
}

std::string unmaskNameSpaces(std::string_view storedName) {
    std::string bytes(storedName.substr(0, NAME_BYTES_MAX));
    for (char& c : bytes) {
        if (c == NAME_SPACE_MARK) c = ' ';
        else if (static_cast<unsigned char>(c) < 0x20) c = '?';  // as a save would write it
    }
    return platform::cp1252ToUtf8(bytes);
}

std::string encodeSaveFile(const SaveSlots& slots) {
    std::string out;
    out.reserve(SLOT_COUNT * (GRID_CELLS * 2 + 400));
    for (const SaveSlot& s : slots) appendRecord(out, s);
    return out;
}

SaveSlots decodeSaveFile(const std::vector<std::string_view>& tokens) {
    SaveSlots slots{};
    std::size_t p = 0;
    int s = 0;
    while (s < SLOT_COUNT && p + RECORD_TOKENS <= tokens.size()) {
        if (startsAt(tokens, p)) {
            slots[s++] = readRecord(tokens, p);
            p += RECORD_TOKENS;
        } else if (p + RECORD_TOKENS == tokens.size() || startsAt(tokens, p + RECORD_TOKENS)) {
            ++s;  // a bad token, but the records around it are in step
            p += RECORD_TOKENS;
        } else {
            // Tokens missing or added: go on where the next record is found. A
            // few tokens left over from the record before are no slot; a run
            // of numbers without name nor cells (a slot never saved) is one.
            std::size_t q = p + 1;
            while (q + RECORD_TOKENS <= tokens.size() && !startsAt(tokens, q)) ++q;
            if (q - p >= FIRST_CELL - 1) ++s;
            p = q;
        }
    }
    return slots;
}

SaveSlot captureGame() {
    SaveSlot s;
    for (const NumberField& f : NUMBERS) s.*f.slot = gs.*f.live;
    std::copy(std::begin(gs.inventory), std::end(gs.inventory), s.inventory.begin());
    s.name = gs.playerName.empty() ? PROPOSED_NAME : gs.playerName;
    std::memcpy(s.grid.data(), gs.LevelGrid, GRID_CELLS);
    return s;
}

void restoreGame(const SaveSlot& s) {
    gs.playerName = s.name;
    std::memcpy(gs.LevelGrid, s.grid.data(), GRID_CELLS);
    for (const NumberField& f : NUMBERS) gs.*f.live = s.*f.slot;
    gs.shieldMax = s.protection + 50;
    for (int i = 1; i < ITEM_COUNT; ++i) gs.inventory[i] = s.inventory[i];
}
