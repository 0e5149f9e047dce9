#include "saves/slots.h"

// Filled in by the save file subsystem.
void readSaveFile() {}
// Filled in by the save file subsystem.
void quickSave() {}
// Filled in by the save file subsystem.
void saveWithDialog() {}
// Filled in by the save file subsystem.
void loadCommand() {}
