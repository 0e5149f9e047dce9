#include "saves/slots.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "hero/movement.h"
#include "items/weight.h"
#include "platform/files.h"
#include "resources/dlg_slots.h"
#include "saves/savefile.h"
#include "shell/window.h"
#include "sound/sound.h"
#include "state.h"
#include "world/scene.h"
#include "world/screens.h"

namespace {

using platform::BoxButtons;
using platform::BoxIcon;
using platform::BoxStyle;

// At most this much of a save file is read: five records take about 100 kB.
constexpr std::size_t SAVE_READ_BYTES = 1u << 20;
constexpr std::size_t SAVE_READ_TOKENS = 4 * SLOT_COUNT * RECORD_TOKENS;

std::string numbered(const char* format, int n) {
    char text[200];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// The save file as written, or a file of the same name in another case (one
// copied from Windows, where "sauvegardes.sav" is the same file).
std::string saveFileToRead() {
    if (platform::fileExists(SAVE_FILE)) return SAVE_FILE;
    const auto lower = [](std::string s) {
        std::ranges::transform(s, s.begin(), [](unsigned char c) { return std::tolower(c); });
        return s;
    };
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
        const std::string name = entry.path().filename().string();
        if (lower(name) == lower(SAVE_FILE) && entry.is_regular_file(ec)) return name;
    }
    return SAVE_FILE;
}

void repaintAll() {
    platform::invalidate(gs.mainWindow, nullptr, true);
    platform::updateWindow(gs.mainWindow);
}

void fillSlotFields(platform::Window dlg, bool withProtection) {
    for (int s = 0; s < SLOT_COUNT; ++s) {
        const SaveSlot& slot = gs.saveSlots[s];
        const bool empty = slotIsEmpty(slot);
        platform::setItemText(dlg, IDC_SLOT_NAME[s], empty ? "" : slot.name);
        platform::setItemText(dlg, IDC_SLOT_GOLD[s], empty ? "" : std::to_string(slot.inventory[GOLD]));
        platform::setItemText(dlg, IDC_SLOT_XP[s], empty ? "" : std::to_string(slotXp(slot, withProtection)));
    }
}

// The slot whose button the control is, -1 for any other control.
int slotOfButton(long id) {
    for (int s = 0; s < SLOT_COUNT; ++s)
        if (IDC_SLOT_BUTTON[s] == id) return s;
    return -1;
}

void answer(platform::Window dlg, int slot) {
    gs.chosenSlot = slot;
    platform::endDialog(dlg, slot >= 0 ? 1 : 0);
}

void showSaveTutorial(platform::Window dlg) {
    platform::messageBox(
        dlg,
        "Vous pouvez sauvegarder jusqu'à 5 parties.\n\nChacune est reconnue par le numéro de son "
        "emplacement, le nom de son chevalier et l'or qu'il porte.\n\nAttention: sauvegarder sur "
        "l'emplacement d'une autre partie l'efface pour toujours!",
        "Tutoriel de sauvegarde:", BoxStyle{BoxButtons::Ok, BoxIcon::Info});
}

void refuseEmptySlot(platform::Window owner, int slot) {
    platform::messageBox(owner,
                         numbered("L'emplacement %d est vide: il n'y a aucune partie à charger.", slot + 1),
                         "Emplacement vide...", BoxStyle{BoxButtons::Ok, BoxIcon::Warning});
}

void drawSavingText() {
    platform::Dc dc = platform::getDc(gs.mainWindow);
    platform::Font font = platform::createFont("Matura MT Script Capitals", 30, 700, true);
    platform::Font previous = platform::selectFont(dc, font);
    platform::setBkTransparent(dc, true);
    platform::setTextColor(dc, platform::rgb(200, 200, 200));
    platform::textOut(dc, 77, 87, SAVING_TEXT);
    platform::setTextColor(dc, platform::rgb(0, 0, 0));
    platform::textOut(dc, 75, 85, SAVING_TEXT);
    platform::selectFont(dc, previous);
    platform::deleteFont(font);
    platform::releaseDc(dc);
}

}  // namespace

void readSaveFile() {
    // Kept from read to read: each save reads the file again, and a table of
    // 50,000 tokens is worth not building anew each time.
    static std::string text;
    static std::vector<std::string_view> tokens;
    platform::readTokenViews(saveFileToRead(), text, tokens, SAVE_READ_TOKENS, SAVE_READ_BYTES);
    gs.saveSlots = decodeSaveFile(tokens);  // no file: five empty slots
}

void saveToSlot(int slot) {
    if (slot < 0 || slot >= SLOT_COUNT) return;
    drawSavingText();
    platform::pauseMs(SAVE_PAUSE_MS);

    const SaveSlot previous = gs.saveSlots[slot];
    gs.saveSlots[slot] = captureGame();
    // A save file this game may not read still holds its games, which the
    // slots in memory know nothing of: writing over it would lose them.
    const bool unreadable = platform::unreadableFile(saveFileToRead());
    // Atomic: a failed or interrupted write leaves the previous file whole. The
    // folder is not synced: that second wait for the disk would double the
    // cost of a save, and a crash in the next seconds keeps the previous file.
    const bool written = !unreadable && platform::replaceFile(SAVE_FILE, encodeSaveFile(gs.saveSlots), false);
    // Memory keeps mirroring the file: a save that did not reach it did not happen.
    if (!written) gs.saveSlots[slot] = previous;

    drawScene();
    if (unreadable) {
        platform::messageBox(gs.mainWindow,
                             "La partie n'a pas pu être sauvegardée: le fichier Sauvegardes.sav ne peut pas "
                             "être lu (protégé en lecture?), et le remplacer effacerait les parties qu'il "
                             "contient.\n\nRendez-le lisible, puis sauvegardez à nouveau.",
                             "Erreur de sauvegarde...", BoxStyle{BoxButtons::Ok, BoxIcon::Error});
    } else if (!written) {
        platform::messageBox(gs.mainWindow,
                             "La partie n'a pas pu être sauvegardée: le fichier Sauvegardes.sav n'a pas "
                             "pu être écrit (disque plein ou protégé en écriture?).\n\nLes parties "
                             "sauvegardées avant sont intactes.",
                             "Erreur de sauvegarde...", BoxStyle{BoxButtons::Ok, BoxIcon::Error});
    }
}

bool slotLoadable(int slot) {
    return slot >= 0 && slot < SLOT_COUNT && !slotIsEmpty(gs.saveSlots[slot]);
}

void applySlot() {
    if (!slotLoadable(gs.chosenSlot)) return;
    endLookMode();  // the view looked at belongs to the game left behind
    gs.currentSlot = gs.chosenSlot;
    restoreGame(gs.saveSlots[gs.chosenSlot]);
    computeCarriedWeight();
    // A game starts: credits still rolling, or the countdown of an escape, stop.
    gs.creditsRolling = 0;
    platform::killTimer(gs.mainWindow, MAIN_TIMER);
    recentreView();
    refreshView();
    placePlayWindow();
    repaintAll();
    gs.onTitleScreen = 0;
}

void quickSave() {
    if (gs.escapeMode || gs.currentSlot < 0 || gs.currentSlot >= SLOT_COUNT) return;
    platform::Answer reply =
        platform::messageBox(gs.mainWindow,
                             numbered("Etes vous sur de vouloir sauvegarder a l'emplacement %d??", gs.currentSlot + 1),
                             "Estes vous sur?", BoxStyle{BoxButtons::YesNo, BoxIcon::Info});
    if (reply == platform::Answer::Yes) saveToSlot(gs.currentSlot);
}

void saveWithDialog() {
    gs.chosenSlot = -1;
    platform::dialogBox(saveSlotDialog(), gs.mainWindow, saveDialogProc);
    if (gs.chosenSlot >= 0 && gs.chosenSlot < SLOT_COUNT) {
        gs.currentSlot = gs.chosenSlot;
        saveToSlot(gs.currentSlot);
    }
}

void loadCommand() {
    const int wasTitle = gs.onTitleScreen;
    readSaveFile();
    gs.chosenSlot = -1;
    platform::dialogBox(loadSlotDialog(), gs.mainWindow, loadDialogProc);
    if (slotLoadable(gs.chosenSlot)) {
        applySlot();
        gs.escapeMode = 0;
    } else if (wasTitle) {
        gs.onTitleScreen = 1;
    }
    recentreView();
    refreshView();  // the second recentring of a load may move the view again
    repaintAll();
}

void chooseDefaultSlot() {
    gs.chosenSlot = -1;
    platform::dialogBox(defaultSlotDialog(), gs.mainWindow, defaultSlotDialogProc);
}

long saveDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    if (msg == platform::Msg::InitDialog) {
        fillSlotFields(dlg, true);
        if (gs.tutoSave == 0) {
            gs.tutoSave = 1;
            showSaveTutorial(dlg);
        }
        return 1;
    }
    if (msg != platform::Msg::Command) return 0;
    if (int slot = slotOfButton(a); slot >= 0) answer(dlg, slot);
    else if (a == IDC_SLOT_CANCEL) answer(dlg, -1);
    return 1;
}

long loadDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    if (msg == platform::Msg::InitDialog) {
        selectMusic(MUSIC_SILENCE);
        fillSlotFields(dlg, true);
        return 1;
    }
    if (msg != platform::Msg::Command) return 0;
    if (int slot = slotOfButton(a); slot >= 0) {
        if (!slotLoadable(slot)) {
            refuseEmptySlot(dlg, slot);  // the dialog stays open for another choice
            return 1;
        }
        selectMusic(MUSIC_NORMAL);
        answer(dlg, slot);
    } else if (a == IDC_SLOT_CANCEL) {
        selectMusic(gs.onTitleScreen == 0 ? MUSIC_NORMAL : MUSIC_INTRO);
        answer(dlg, -1);
    }
    return 1;
}

long defaultSlotDialogProc(platform::Window dlg, platform::Msg msg, long a, long /*b*/) {
    if (msg == platform::Msg::InitDialog) {
        fillSlotFields(dlg, false);
        return 1;
    }
    if (msg != platform::Msg::Command) return 0;
    if (int slot = slotOfButton(a); slot >= 0) answer(dlg, slot);
    else if (a == IDC_SLOT_CANCEL) answer(dlg, -1);
    return 1;
}
