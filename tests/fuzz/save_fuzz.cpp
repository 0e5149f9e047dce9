// Sauvegardes.sav as the game reads it: after 'R' the input is the file as it
// is; otherwise a list of edits on a file of five whole games (first two
// bytes: where the file is cut; then three bytes an edit: two for the place,
// one for the new byte). Every slot read is empty or holds a game that keeps
// the invariants, and what is read, saved as the game saves it, reads back as
// the same games.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "platform/headless.h"
#include "saves/savefile.h"
#include "saves/slots.h"
#include "scratch.h"
#include "state.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Five games, each with its own name, numbers and cells.
const std::string& wholeFile() {
    static const std::string file = [] {
        SaveSlots slots{};
        for (int s = 0; s < SLOT_COUNT; ++s) {
            SaveSlot& slot = slots[s];
            slot.name = "Chevalier " + std::to_string(s);
            std::tie(slot.life, slot.maxLife, slot.viewLeft, slot.viewTop, slot.heroCol, slot.heroRow) =
                std::tuple(50 + s, 100 + s, 10 * s, 20 + s, s, 9 - s);
            slot.inventory[GOLD] = 100 * s;
            for (int k = 0; k < GRID_CELLS; ++k) slot.grid[k] = "as#qd1(gk"[(k * (s + 2)) % 9];
        }
        return encodeSaveFile(slots);
    }();
    return file;
}

bool keepsInvariants(const SaveSlot& s) {
    if (slotIsEmpty(s)) return s.name.empty() && s.life == 0;
    for (int count : s.inventory)
        if (count < 0) return false;
    for (char cell : s.grid)
        if (cell == '\0' || cell == ' ') return false;
    return s.viewLeft >= 0 && s.viewLeft <= VIEW_LEFT_MAX && s.viewTop >= 0 && s.viewTop <= VIEW_TOP_MAX &&
           s.heroCol >= 0 && s.heroCol < VIEW_COLS && s.heroRow >= 0 && s.heroRow < VIEW_ROWS && s.life >= 0 &&
           s.life <= MAX_LIFE_REACHABLE && s.maxLife <= MAX_MAX_LIFE && !s.name.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    fuzz::enterScratchDir();
    platform::headless::reset();
    std::string file;
    if (data[0] == 'R') {
        file.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    } else {
        file = wholeFile();
        file.resize(file.size() * (data[0] << 8 | data[1]) / 65535);
        for (std::size_t i = 2; i + 3 <= size && !file.empty(); i += 3)
            file[(data[i] << 8 | data[i + 1]) * file.size() / 65536] = static_cast<char>(data[i + 2]);
    }
    fuzz::writeFile(SAVE_FILE, file);

    gs = GameState{};
    readSaveFile();
    const SaveSlots read = gs.saveSlots;
    for (const SaveSlot& slot : read) check(keepsInvariants(slot));

    // Saved as the game saves (slots.cpp), then read again.
    const std::string written = encodeSaveFile(read);
    check(platform::replaceFile(SAVE_FILE, written, false));
    readSaveFile();
    check(gs.saveSlots == read);  // the same games, so the same bytes once saved
    return 0;
}
