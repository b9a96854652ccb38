#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

// The icon the app lives behind: a menu-bar item on macOS, a tray icon elsewhere.
class StatusItem : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether there is something to click; without it the popover can never open.
    virtual bool hasButton() const = 0;
    virtual void setImage(const QImage &image) = 0;
    virtual void setTitle(const QString &title) = 0;
    // Global screen rectangle of the item; empty when the platform cannot tell.
    virtual QRect geometry() const = 0;

Q_SIGNALS:
    void clicked();
};
