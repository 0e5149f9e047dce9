// The three save-slot dialogs: save (IDD 118), load (IDD 116) and default slot
// (IDD 122). One layout: a group box per slot with its name, gold and XP fields
// and one button, and "Annuler".
#pragma once

#include "platform/platform.h"
#include "state.h"

constexpr int IDD_SAVE_SLOT = 118;
constexpr int IDD_LOAD_SLOT = 116;
constexpr int IDD_DEFAULT_SLOT = 122;

// Controls of slot 0..4, in slot order.
constexpr int IDC_SLOT_NAME[SLOT_COUNT] = {1029, 1030, 1031, 1035, 1037};
constexpr int IDC_SLOT_GOLD[SLOT_COUNT] = {1063, 1064, 1065, 1066, 1067};
constexpr int IDC_SLOT_XP[SLOT_COUNT] = {1071, 1072, 1073, 1074, 1075};
constexpr int IDC_SLOT_BUTTON[SLOT_COUNT] = {1032, 1033, 1034, 1036, 1038};
constexpr int IDC_SLOT_CANCEL = 2;

const platform::DialogDef& saveSlotDialog();
const platform::DialogDef& loadSlotDialog();
const platform::DialogDef& defaultSlotDialog();
