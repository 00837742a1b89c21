// The captions' language. The captions are written in the workbench's own language (the
// Japanese menus, the English form and dialogs) and are the source texts of Qt's translation
// system; the English translation "balimor_en.qm" is installed as the application's
// translator when English is chosen ([Preferences] Language, BALIMOR_LANG).
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "ViewSettings.h"

class QTranslator;

// The folders where the translation files are looked for, in this order: "translations" beside
// the program (the build folder), the program's own folder, and the installed share folder
// ("../share/balimor/translations" from the program's folder).
QStringList TranslationFolders(const QString& programDir);

// Loads the translation of `language` into `translator` and installs it on the application.
// Japanese needs none. The path of the file loaded; empty when none was needed or found (the
// captions then stay as they are written).
QString InstallCaptionTranslation(QTranslator& translator, CaptionLanguage language, const QString& programDir);

// A text of the toolkit-free core (a message, a caption, a button's caption, a filter's
// description) as the person reads it: each line through the translation of the context
// "Core", where a line that holds names or numbers is matched against the core's patterns
// ("Can't copy [%1] to [%2]") and its parts put into the translated pattern. Without a
// translation the text is the core's, unchanged.
QString CoreText(const QString& text);
QString CoreText(const std::string& text);
