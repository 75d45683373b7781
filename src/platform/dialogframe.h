#pragma once

// How a dialog's frame looks and where it stands, told to the window manager.

class QWidget;

// A caption bar with a close box only; with `centre`, the whole frame is centred on the
// primary screen, again once shown. Call from showEvent, before the window is mapped.
void PrepareDialogFrame(QWidget& dialog, bool centre);

// Asks the window manager ahead for a dialog's frame, so the first dialog is centred at once.
void AskForDialogFrame();

// Restores a minimized dialog too: with no task bar it would be lost.
void BringDialogForward(QWidget& dialog);
