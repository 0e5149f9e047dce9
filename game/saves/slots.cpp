#include "saves/slots.h"

// Filled in by the save file subsystem.
void readSaveFile() {}
void saveToSlot(int) {}
void applySlot() {}
void quickSave() {}
void saveWithDialog() {}
void loadCommand() {}
