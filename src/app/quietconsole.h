#pragma once

// A normal run prints nothing of the libraries' own start-up chatter: Qt's
// note that a root session under a bare X server has no runtime folder (Qt
// makes one and goes on). The player process's own output never reaches the
// console (the control keeps its tail). Everything else, warnings included,
// still reaches the console. Call before the application object is made.
void QuietenLibraryChatter();
