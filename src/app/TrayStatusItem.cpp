#include "app/TrayStatusItem.h"

#include "app/TitleBadge.h"

#include <QPixmap>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Drawn at each size a tray commonly asks for, so no size is a blurry scaled copy.
QIcon textIcon(const QString &text)
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(titleBadge(text, side)));
    return icon;
}

} // namespace

TrayStatusItem::TrayStatusItem(QObject *parent)
    : StatusItem(parent)
{
    m_tray.setToolTip(u"Korvel Printer"_s);
    connect(&m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    Q_EMIT clicked();
            });
}

void TrayStatusItem::setImage(const QImage &image)
{
    showIcon(QIcon(QPixmap::fromImage(image)));
}

void TrayStatusItem::setTitle(const QString &title)
{
    showIcon(textIcon(title));
}

void TrayStatusItem::showIcon(const QIcon &icon)
{
    m_tray.setIcon(icon);
    m_tray.show();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        std::fprintf(stderr, "Korvel Printer: no system tray is running yet; the icon appears "
                             "as soon as one starts.\n");
}
