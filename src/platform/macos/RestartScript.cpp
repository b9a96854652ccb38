#include "RestartScript.h"

using namespace Qt::StringLiterals;

QString privilegedShellScript(QStringView command)
{
    // Our command holds no backslash, so closing quotes are all an AppleScript string needs
    // escaped.
    QString escaped = command.toString();
    escaped.replace(u'"', u"\\\""_s);
    return u"do shell script \""_s + escaped + u"\" with administrator privileges"_s;
}
