#pragma once

class QLocale;
class QTranslator;

namespace kolvart {

// Installs Qt's own translations (the print dialog, the context menu of the
// boxes, the buttons of message boxes) for the language of locale, from the
// directory where Qt keeps them. The program's own texts are Dutch and are
// not translated. Returns the installed translator, owned by the
// application (deleting it uninstalls it), or null where Qt has no
// translation for that language: Qt's texts then stay English.
QTranslator* installQtTranslations(const QLocale& locale);

} // namespace kolvart
