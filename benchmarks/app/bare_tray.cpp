// The smallest Qt tray companion: an icon and a 520 × 720 popup that opens on a click. The
// yardstick for the app's own memory at rest.
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QLabel popup(QStringLiteral("Korvel Printer"), nullptr, Qt::Popup);
    popup.setFixedSize(520, 720);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(pixmap)};
    QObject::connect(&tray, &QSystemTrayIcon::activated, &popup, [&popup] {
        popup.move(QCursor::pos());
        popup.show();
    });
    tray.show();
    return app.exec();
}
