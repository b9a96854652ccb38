#pragma once

#include <QObject>
#include <QString>

// Desktop notifications; clicking one asks for the panel.
class Notifier : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void notify(const QString &title, const QString &body) = 0;

Q_SIGNALS:
    void activated();
};
