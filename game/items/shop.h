// The shop (IDD 113): buying and selling for gold.
#pragma once

#include "platform/platform.h"

constexpr int IDD_SHOP = 113;

// The Enter action on a shop tile '0': the shop as a modal dialog of the main window.
void openShop();
long shopDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
