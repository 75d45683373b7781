#pragma once

#include <QString>

// The application's error box and the start-up failure box.

// Adds a full stop when the last character sorts after "." (not after "!" or ")").
QString ErrorBoxText(const QString& message);

void ShowErrorBox(const QString& message);

void ShowApplicationError(const QString& message);
