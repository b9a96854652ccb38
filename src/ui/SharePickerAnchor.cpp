#include "ui/SharePickerAnchor.h"

#include "core/Dispatch.h"

SharePickerAnchor::SharePickerAnchor(std::function<QList<QUrl>()> items,
                                     std::function<bool()> isPresented,
                                     std::function<void(bool)> setPresented, SharePicker &picker,
                                     QWidget *parent)
    : QWidget(parent)
    , m_items(std::move(items))
    , m_isPresented(std::move(isPresented))
    , m_setPresented(std::move(setPresented))
    , m_picker(picker)
{
    setFixedSize(1, 1);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SharePickerAnchor::sync()
{
    if (!m_isPresented() || m_items().isEmpty())
        return;
    // Never inside the update pass itself.
    Dispatch::toMain(this, [this] { present(); });
}

void SharePickerAnchor::present()
{
    // Several update passes may queue before one runs; the first to run serves the request.
    const QList<QUrl> items = m_items();
    if (!m_isPresented() || items.isEmpty())
        return;
    m_picker.show(items, this);
    m_setPresented(false);
}
