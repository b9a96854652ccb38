#pragma once

#include "platform/SharePicker.h"

// The system share picker (NSSharingServicePicker), opened below the anchor's native view.
class MacSharePicker : public SharePicker
{
public:
    void show(const QList<QUrl> &items, QWidget *anchor) override;
};
