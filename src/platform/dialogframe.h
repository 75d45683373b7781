#pragma once

// How a dialog's frame looks and where it stands, told to the window manager.

class QWidget;

// A caption bar with a close box only; with `centre`, the whole frame is centred
// on the primary screen. Call from showEvent, before the window is mapped.
void PrepareDialogFrame(QWidget& dialog, bool centre);

// Restores a minimized dialog too: with no task bar it would be lost.
void BringDialogForward(QWidget& dialog);
