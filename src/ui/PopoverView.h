#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>
#include <functional>

class PanelModels;
class ConnectionsCard;
class LogHeader;
class LogTailer;
class LogView;
class PrinterSection;
class SharePicker;
class SharePickerAnchor;
class StatusCard;

// The panel of the tray popover, fixed at 520 × 720: header, the connections, service and printer
// cards, the log and Quit. It only reads the models it is given and calls their operations; it
// never creates, starts or stops one. When a model signals, the section that shows it is
// refreshed from the model's current values.
class PopoverView : public QWidget
{
    Q_OBJECT

public:
    PopoverView(PanelModels &models, std::function<void()> openConfig, SharePicker &sharePicker,
                QWidget *parent = nullptr);

    // What the share picker offers and whether it is to be shown; written by Share, reset by the
    // anchor once the picker is up.
    QList<QUrl> shareItems() const { return m_shareItems; }
    bool presentShareSheet() const { return m_presentShareSheet; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void shareLog();

    LogTailer &m_logTailer;
    ConnectionsCard *m_connectionsCard;
    StatusCard *m_statusCard;
    PrinterSection *m_printerSection;
    LogHeader *m_logHeader;
    LogView *m_logView;
    SharePickerAnchor *m_shareAnchor;
    QList<QUrl> m_shareItems;
    bool m_presentShareSheet = false;
};
