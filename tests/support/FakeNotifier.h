#pragma once

#include "platform/Notifier.h"

#include <QStringList>

// Records notifications as "title | body"; clicks are emitted by the test.
class FakeNotifier : public Notifier
{
public:
    QStringList shown;

    void notify(const QString &title, const QString &body) override
    {
        shown.append(title + QStringLiteral(" | ") + body);
    }
    void click() { Q_EMIT activated(); }
};
