#include "app/PanelPopover.h"

#include "app/PanelWindow.h"
#include "app/PopoverPlacement.h"
#include "platform/SharePicker.h"
#include "ui/PopoverView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>

using namespace Qt::StringLiterals;

PanelPopover::PanelPopover(PanelModels &models, std::function<void()> openConfig,
                           std::unique_ptr<SharePicker> sharePicker, QObject *parent)
    : Popover(parent)
    , m_trayStyle(trayPanelStyle(QGuiApplication::platformName(),
                                 qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
                                     qEnvironmentVariable("XDG_SESSION_TYPE") == u"wayland"_s))
    , m_sharePicker(std::move(sharePicker))
{
    auto *view = new PopoverView(models, std::move(openConfig), *m_sharePicker);
    m_panel = std::make_unique<PanelWindow>(view);
    connect(m_panel.get(), &PanelWindow::outsidePress, this, &Popover::dismissedByOutsidePress);
    connect(m_panel.get(), &PanelWindow::focusLost, this, &Popover::dismissedByFocusLoss);
    connect(m_panel.get(), &PanelWindow::windowClosed, this, &Popover::windowClosed);
    auto *diagnostics =
        new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D), m_panel.get());
    connect(diagnostics, &QShortcut::activated, this, &Popover::diagnosticsRequested);
    // Painted once off screen at launch: the polish, layout, font loading and glyph rendering
    // were most of the first open's time. The picture itself is not kept.
    m_panel->grab();
}

// The panel uses the share picker, so it goes first.
PanelPopover::~PanelPopover()
{
    m_panel.reset();
}

bool PanelPopover::isShown() const
{
    return m_panel->isVisible();
}

void PanelPopover::showBelow(const QRect &anchor)
{
    // Where the icon has never been seen, the corner where trays usually are.
    QScreen *screen = anchor.isEmpty() ? nullptr : QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const QRect target = anchor.isEmpty() ? QRect(available.topRight(), QSize(1, 1)) : anchor;
    m_panel->setStyle(m_trayStyle);
    // Wayland ignores it: there the compositor places the window.
    m_panel->move(popoverOrigin(target, m_panel->size(), available));
    m_panel->show();
#ifndef Q_OS_MACOS
    // A popup is in front anyway; on macOS raise() would also bring the whole app forward and
    // take the keyboard from the point-of-sale app.
    m_panel->raise();
#endif
    if (m_panel->style() == PanelStyle::focusedPanel)
        m_panel->activateWindow();
}

void PanelPopover::showAsWindow()
{
    m_panel->setStyle(PanelStyle::titledWindow);
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    m_panel->move(available.center() - m_panel->rect().center());
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

void PanelPopover::close()
{
    m_panel->hide();
}
