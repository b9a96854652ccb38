#pragma once

#include <QVariantAnimation>
#include <QWidget>

class LogTailer;
class QPlainTextEdit;
class QStackedLayout;
class ToneLabel;

// The newest log lines, selectable, monospaced and coloured by keyword; or the file error; or a
// note that nothing has been logged yet. It follows the end whenever the number of lines
// changes, and leaves the scroll position alone otherwise.
class LogView : public QWidget
{
    Q_OBJECT

public:
    explicit LogView(LogTailer &logTailer, QWidget *parent = nullptr);

    // Shows the tailer's current values.
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showLines(const QStringList &lines);
    void scrollToEnd();
    void recolour();

    LogTailer &m_logTailer;
    QStackedLayout *m_pages;
    ToneLabel *m_error;
    ToneLabel *m_waiting;
    QPlainTextEdit *m_lines;
    // The document holds no line at all (an empty document still has one empty block).
    bool m_documentEmpty = true;
    qsizetype m_lineCount = 0;
    QVariantAnimation m_scrollAnimation;
    int m_scrollFrom = 0;
};
