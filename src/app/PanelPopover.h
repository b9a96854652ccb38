#pragma once

#include "app/PanelStyle.h"
#include "app/Popover.h"

#include <functional>
#include <memory>

class PanelModels;
class PanelWindow;
class SharePicker;

// The popover as a popup window hosting the panel; the panel is built once and kept.
class PanelPopover : public Popover
{
    Q_OBJECT

public:
    PanelPopover(PanelModels &models, std::function<void()> openConfig,
                 std::unique_ptr<SharePicker> sharePicker, QObject *parent = nullptr);
    ~PanelPopover() override;

    bool isShown() const override;
    void showBelow(const QRect &anchor) override;
    void showAsWindow() override;
    void close() override;

private:
    // The session's, so decided once.
    const PanelStyle m_trayStyle;
    std::unique_ptr<SharePicker> m_sharePicker;
    std::unique_ptr<PanelWindow> m_panel;
};
