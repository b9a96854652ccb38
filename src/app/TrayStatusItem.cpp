#include "app/TrayStatusItem.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Drawn at each size a tray commonly asks for, so no size is a blurry scaled copy.
QIcon textIcon(const QString &text)
{
    QIcon icon;
    const QColor colour = QGuiApplication::palette().color(QPalette::WindowText);
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(side * 11 / 20);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
        painter.end();
        icon.addPixmap(pixmap);
    }
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
