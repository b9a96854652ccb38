#pragma once

#include <QWidget>

class LinkButton;
class LogTailer;

// The title row of the log: Export…, Share… and the system's two buttons that open the log and
// its folder. Sharing needs the panel's share state, so Share is reported through
// shareRequested().
class LogHeader : public QWidget
{
    Q_OBJECT

public:
    explicit LogHeader(LogTailer &logTailer, QWidget *parent = nullptr);

    // Shows the tailer's current values.
    void refresh();
    // Places `anchor` invisibly behind the Share button, 1 × 1 at its centre, taking no clicks.
    void attachShareAnchor(QWidget *anchor);

Q_SIGNALS:
    void shareRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void centreAnchor();

    LogTailer &m_logTailer;
    LinkButton *m_export;
    LinkButton *m_share;
    QWidget *m_anchor = nullptr;
};
