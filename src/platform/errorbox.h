#pragma once

#include <QString>

// The application's error box and the start-up failure box.

// The text the error box shows: the message with a full stop added when its
// last character sorts after "." (letters, digits, "?", Chinese characters
// do; ".", "!", ")" do not).
QString ErrorBoxText(const QString& message);

// A modal box with the error icon, captioned "Quillet", holding ErrorBoxText(message).
void ShowErrorBox(const QString& message);

// The box shown when start-up fails: titled "Application Error", naming the error.
void ShowApplicationError(const QString& message);
