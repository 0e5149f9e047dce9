// The Enter action on the hero's cell: pick-ups, chests, shops, troubadours.
#pragma once

void actOnTile();
