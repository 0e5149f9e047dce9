// The save file "Sauvegardes.sav": five records of one text line each, in
// Windows-1252, read back token by token. Pure functions of the slots and the
// bytes; the save and load commands (slots.cpp) do the drawing and the dialogs.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "state.h"

constexpr const char* SAVE_FILE = "Sauvegardes.sav";
constexpr char NAME_SPACE_MARK = '\xA4';  // "¤": a space of a name, inside the file
constexpr int SLOT_NUMBERS = 28;
// Tokens of one record: the name, 28 numbers, 18 counts, 10,000 cells.
constexpr int RECORD_TOKENS = 1 + SLOT_NUMBERS + ITEM_COUNT + GRID_CELLS;
// An empty slot is written under this name with every number 0 (maxLife 0 is
// what marks it) and solid wall in every cell.
constexpr const char* EMPTY_SLOT_NAME = "(vide)";
constexpr char EMPTY_SLOT_CELL = 's';
// The most life and maximum life a game can reach (see docs/saves.md).
constexpr int MAX_LIFE_REACHABLE = 1000000;
constexpr int MAX_MAX_LIFE = 200;  // 100 + Resistance at 100

using SaveSlots = std::array<SaveSlot, SLOT_COUNT>;

// A slot holds no game: never saved, or read from a record that was empty or
// could not be read whole.
bool slotIsEmpty(const SaveSlot& slot);
// The XP a dialog shows: the four skills, or three without protection.
int slotXp(const SaveSlot& slot, bool withProtection);

// The name as stored: Windows-1252, spaces and other blanks as NAME_SPACE_MARK,
// control bytes as '?', at most 59 bytes, never empty; a name that would start
// with the bytes of a byte-order mark ("ï»¿") starts with '?' instead.
std::string maskNameSpaces(std::string_view utf8Name);
// The name as held in memory: NAME_SPACE_MARK back to spaces, control bytes
// as '?', at most 59 bytes read, UTF-8.
std::string unmaskNameSpaces(std::string_view storedName);

// The whole file: the five records, slot 0 first.
std::string encodeSaveFile(const SaveSlots& slots);
// The slots a file's tokens give. What parses is read; a record that cannot be
// read whole, or whose numbers break the game's invariants, is an empty slot,
// and reading goes on at the next record that can be found.
SaveSlots decodeSaveFile(const std::vector<std::string_view>& tokens);

// The live game as a slot, and a slot back into the live game (not the
// position's checks nor the window: applySlot does those).
SaveSlot captureGame();
void restoreGame(const SaveSlot& slot);
