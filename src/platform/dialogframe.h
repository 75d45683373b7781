#pragma once

// How a dialog's frame looks and where it stands, told to the window manager.

class QWidget;

// Asks for a caption bar with a close box only (the dialog can be moved and
// closed, not minimized, maximized or resized) and, with `centre`, moves the
// dialog so that its whole frame, caption bar included, is centred on the
// primary screen, by the frame the window manager has said it gives (see
// AskForDialogFrame) and again once the dialog shows. Call from showEvent:
// the native window exists and is not mapped yet.
void PrepareDialogFrame(QWidget& dialog, bool centre);

// Asks the window manager ahead for the frame it gives a dialog, so that the
// first dialog shown is centred by its answer at once.
void AskForDialogFrame();

// Shows the dialog in front and active, restored if the user minimized it:
// with no task bar a minimized dialog would be lost.
void BringDialogForward(QWidget& dialog);
