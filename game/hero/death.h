// The end of a life: the offer to reload the default save or the title screen.
#pragma once

void heroDies();
