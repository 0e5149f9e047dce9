// The skill points dialog (IDD 115): bonus points won in a fight spent on
// Force, Resistance, Precision and Protection.
#pragma once

#include "platform/platform.h"

constexpr int SKILL_MAX = 100;

long skillPointsDialogProc(platform::Window dlg, platform::Msg msg, long a, long b);
// Opens it over the main window (after a standard victory).
void openSkillPoints();
