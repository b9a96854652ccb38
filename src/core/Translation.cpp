#include "core/Translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

bool installTranslation(QCoreApplication &app, const QLocale &locale)
{
    auto *translator = new QTranslator(&app);
    // The .qm files are built in under :/i18n as korvel-printer_<language>.qm.
    if (!translator->load(locale, u"korvel-printer"_s, u"_"_s, u":/i18n"_s)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
