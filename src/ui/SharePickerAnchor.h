#pragma once

#include "platform/SharePicker.h"

#include <QWidget>
#include <functional>

// An invisible 1x1 widget behind the Share button that the share picker opens next to. The panel
// requests the picker by setting its presented flag; the anchor shows the picker on a later turn
// and clears the flag, so the next Share click can request it again.
class SharePickerAnchor : public QWidget
{
    Q_OBJECT

public:
    SharePickerAnchor(std::function<QList<QUrl>()> items, std::function<bool()> isPresented,
                      std::function<void(bool)> setPresented, SharePicker &picker,
                      QWidget *parent = nullptr);

    // The view's update pass: a request without items stays pending until items arrive.
    void sync();

private:
    void present();

    std::function<QList<QUrl>()> m_items;
    std::function<bool()> m_isPresented;
    std::function<void(bool)> m_setPresented;
    SharePicker &m_picker;
};
