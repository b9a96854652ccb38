#pragma once

class QCoreApplication;
class QLocale;

// Installs the translation for `locale` (the app passes the system locale) when one is built in;
// returns false and leaves the literals in place otherwise.
bool installTranslation(QCoreApplication &app, const QLocale &locale);
