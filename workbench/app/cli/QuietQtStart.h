// balimor-cli plot on a machine without a desktop session: Qt's start-up remarks about the
// session (no runtime folder) are not the program's messages and are kept off the error stream.
#pragma once

// Installs a Qt message handler that drops those remarks and hands every other message to the
// handler that was in place. Call before the application object is made.
void QuietQtStart();
