#pragma once

#include "ui/Card.h"

class PrinterList;
class RefreshButton;
class ToneLabel;
class QLabel;
class QListView;
class QStringListModel;

// The printers the daemon reports: count, age of the last answer, a Refresh button that spins
// while loading, and the list, its error, or a placeholder.
class PrinterSection : public Card
{
    Q_OBJECT

public:
    explicit PrinterSection(PrinterList &printerList, QWidget *parent = nullptr);

    // Shows the list's current values.
    void refresh();
    // Recomputes only the age of the last answer, which moves on with the clock.
    void refreshAge();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPrinters(const QStringList &printers);
    void fitListHeight();
    void copySelectedNames();

    PrinterList &m_printerList;
    ToneLabel *m_count;
    ToneLabel *m_age;
    RefreshButton *m_refresh;
    ToneLabel *m_error;
    QStringListModel *m_names;
    QListView *m_list;
    ToneLabel *m_placeholder;
};
