// The Enter action on the hero's cell (pick-ups, chests, shops, troubadours)
// and the door rule that the keys follow.
#pragma once

// Item tiles lying on the floor, their chest and door tiles.
constexpr char CHEST_CLOSED = 'c';
constexpr char CHEST_OPEN = 'r';
constexpr char DOOR_OPEN = '(';
constexpr char SHOP_TILE = '0';
constexpr char TROUBADOUR_TILE = 'j';

// Acts on the hero's cell, then refreshes the view and the status bands.
void actOnTile();
// Takes the item lying on the hero's cell when the bag can hold it.
void pickUpItem();
// Opens the closed chest on the hero's cell and gives what it held.
void openChest();
// The door rule: the key keyIndex (11 yellow .. 16 violet) opens the door of
// its colour in front of the hero (under him when he faces the player).
// Returns true when a door was opened.
bool useKey(int keyIndex);
