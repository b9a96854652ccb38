#pragma once

#include "app/Popover.h"
#include "app/StatusItem.h"

#include <QWidget>
#include <memory>
#include <optional>

// Makes a T for the code under test and keeps a pointer to it in `made`.
template<typename T>
std::unique_ptr<T> makeKept(T *&made)
{
    auto object = std::make_unique<T>();
    made = object.get();
    return object;
}

// A status item that records what the delegate gave it; clicks are emitted by the test.
class FakeStatusItem : public StatusItem
{
public:
    QRect rect{1000, 0, 24, 24};
    std::optional<QImage> image;
    std::optional<QString> title;
    ServiceState::Kind badge = ServiceState::Kind::running;
    QString toolTip;

    void setImage(const QImage &value) override { image = value; }
    void setTitle(const QString &value) override { title = value; }
    void setBadge(ServiceState::Kind kind) override { badge = kind; }
    void setToolTip(const QString &value) override { toolTip = value; }
    void showMessage(const QString &, const QString &) override {}
    QRect geometry() const override { return rect; }
    void click() { Q_EMIT clicked(); }
};

class FakePopover : public Popover
{
public:
    bool shown = false;
    QRect lastAnchor;

    bool isShown() const override { return shown; }
    void showBelow(const QRect &anchor) override
    {
        shown = true;
        lastAnchor = anchor;
    }
    void close() override { shown = false; }
};
