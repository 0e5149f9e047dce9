// The five save slots in Sauvegardes.sav and the save and load commands.
#pragma once

// Reads the save file into gs.saveSlots.
void readSaveFile();
// Writes the game into slot 0..4 and rewrites the file.
void saveToSlot(int slot);
// Restores the slot numbered gs.chosenSlot (0..4).
void applySlot();
// Key S: asks, then saves into the current slot.
void quickSave();
// Menu "Sauvegarder": the save dialog.
void saveWithDialog();
// Menu "Charger": the load dialog.
void loadCommand();
