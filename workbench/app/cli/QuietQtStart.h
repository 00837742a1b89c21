// balimor-cli's drawings (plot, the series trend) on a machine without a desktop session: Qt
// on its offscreen platform (unless QT_QPA_PLATFORM names another), and its start-up remarks
// about the session (no runtime folder), which are not the program's messages, kept off the
// error stream.
#pragma once

#include <memory>

#include <QGuiApplication>

#include "ViewFont.h"

// Installs a Qt message handler that drops those remarks and hands every other message to the
// handler that was in place. Call before the application object is made.
void QuietQtStart();

// The application object of a drawing, made after QuietQtStart on the offscreen platform; it
// lives as long as the pointer.
std::unique_ptr<QGuiApplication> StartDrawingApplication();

// The console has no window font: it stands in with a fixed-pitch face at 9 points (12 pixels
// at 96 per inch), in which the columns of the peak-area table line up.
inline const CFontSpec kConsoleFont{"DejaVu Sans Mono", -12};
