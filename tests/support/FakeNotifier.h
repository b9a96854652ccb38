#pragma once

#include "platform/Notifier.h"

// Notifications go nowhere; the fall policy decides when they are due.
class FakeNotifier : public Notifier
{
public:
    void notify(const QString &, const QString &) override {}
};
