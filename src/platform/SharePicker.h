#pragma once

#include <QList>
#include <QUrl>

class QWidget;

// The desktop's way to hand files to other applications.
class SharePicker
{
public:
    virtual ~SharePicker() = default;

    // Opens the picker next to `anchor` and returns at once.
    virtual void show(const QList<QUrl> &items, QWidget *anchor) = 0;
};
