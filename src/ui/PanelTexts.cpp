#include "ui/PanelTexts.h"

#include <QCoreApplication>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace PanelTexts {

namespace {

// Declared so that lupdate files these texts under the context they are looked up in.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(PanelTexts)
};

} // namespace

QString healthText(bool apiReachable)
{
    return apiReachable ? Texts::tr("Health endpoint OK")
                        : Texts::tr("Health endpoint not reachable");
}

bool hasPrinter(const SlotLine &slot)
{
    return !slot.printer.isEmpty();
}

QString unassignedPrinterText()
{
    return Texts::tr("Chưa chọn");
}

bool showsReverseMarker(const SlotLine &slot)
{
    return slot.reverse && slot.id == u"label"_s;
}

QString reverseMarkerText()
{
    return Texts::tr("đảo tem");
}

QString configErrorText(const QString &error)
{
    return Texts::tr("Không đọc được cấu hình: %1").arg(error);
}

QString printerCountName(qsizetype count)
{
    return Texts::tr("Printers found: %1").arg(count);
}

QString printerAgeName(const QString &age)
{
    return Texts::tr("Printer list updated %1").arg(age);
}

QString printerCountText(qsizetype count)
{
    return count > 0 ? u'(' + QString::number(count) + u')' : QString();
}

QString slotAccessibleName(const SlotLine &slot)
{
    QString name =
        slot.name + u": "_s + (hasPrinter(slot) ? slot.printer : unassignedPrinterText());
    if (showsReverseMarker(slot))
        name += u", "_s + reverseMarkerText();
    return name;
}

QString statusDotName(const QString &stateLabel)
{
    static const QRegularExpression details(u"( \\(|:).*$"_s);
    return Texts::tr("Service: %1").arg(QString(stateLabel).remove(details));
}

QString printerErrorText(const QString &error)
{
    return Texts::tr("Could not fetch printers: ") + error;
}

QString printerPlaceholderHtml(bool answered)
{
    if (!answered)
        return inlineCodeToHtml(Texts::tr("Loading…"));
    return inlineCodeToHtml(
        Texts::tr("No printers detected. Add one via System Settings → Printers, or "
                  "`lpadmin -p NAME -E -v usb://… -m raw`."));
}

QString inlineCodeToHtml(const QString &text)
{
    const QStringList pieces = text.split(u'`');
    QString html;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString escaped = pieces.at(i).toHtmlEscaped();
        const bool inCode = i % 2 == 1;
        const bool unpaired = inCode && i == pieces.size() - 1;
        if (unpaired)
            html += u'`' + escaped;
        else if (inCode)
            html += u"<code>"_s + escaped + u"</code>"_s;
        else
            html += escaped;
    }
    return html;
}

} // namespace PanelTexts
