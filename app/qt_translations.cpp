#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace kolvart {

QTranslator* installQtTranslations(const QLocale& locale) {
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    // qtbase_<language>.qm, tried for each of the locale's interface
    // languages in turn (nl_BE, then nl), is one file that Qt maps.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator.release();
}

} // namespace kolvart
