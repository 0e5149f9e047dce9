// The five save slots in Sauvegardes.sav and the save and load commands.
#pragma once

#include "platform/platform.h"

constexpr int SAVE_PAUSE_MS = 500;  // "Sauvegarde en cours..." stays up this long first
constexpr const char* SAVING_TEXT = "Sauvegarde en cours...";

// Reads the save file into gs.saveSlots.
void readSaveFile();
// Writes the game into slot 0..4 and rewrites the file.
void saveToSlot(int slot);
// Slot 0..4 holds a game that can be loaded.
bool slotLoadable(int slot);
// Restores the slot numbered gs.chosenSlot (0..4).
void applySlot();
// Key S: asks, then saves into the current slot.
void quickSave();
// Menu "Sauvegarder": the save dialog.
void saveWithDialog();
// Menu "Charger": the load dialog.
void loadCommand();
// The default-slot dialog (IDD 122) after a new game; its answer is in gs.chosenSlot.
void chooseDefaultSlot();

// Dialog procedures of IDD 118 (save), 116 (load) and 122 (default slot); each
// leaves the slot chosen in gs.chosenSlot, -1 for none.
long saveDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
long loadDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
long defaultSlotDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
