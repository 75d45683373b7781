#pragma once

// Where the launcher's rolls end: a roll's small resizes run inside one handler, so
// only its last height is ever seen, and the window takes it in one change.

namespace roll {

// The Top of a rolled-up launcher: its first row lies above the screen.
constexpr int kRolledUpTop = -1;

// RollUp: down by 3 while the height is 4 or more, then at least 2 rows.
// From 556 that is 2, from 555 it is 3.
int RolledUpHeight(int height);

// The mouse over a strip (below 10 rows): up by 6 past 551, then 556.
// Anything taller stays as it is.
int MouseRolledDownHeight(int height);

// A click on the title of a strip: up by 3 past 554, with no final
// adjustment, so 555 or 557 depending on the start.
int ClickRolledDownHeight(int height);

}  // namespace roll
