// The skill points dialog (IDD 115 "Ajoutez vos points bonus").
#pragma once

#include "platform/platform.h"

constexpr int IDD_SKILL_POINTS = 115;

constexpr int IDC_SKILL_STRENGTH = 1032;  // the four "+" buttons
constexpr int IDC_SKILL_RESISTANCE = 1033;
constexpr int IDC_SKILL_PRECISION = 1034;
constexpr int IDC_SKILL_PROTECTION = 1036;
constexpr int IDC_SKILL_POINTS_LEFT = 1029;

const platform::DialogDef& skillPointsDialog();
