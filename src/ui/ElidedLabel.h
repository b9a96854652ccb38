#pragma once

#include <QWidget>

// One line of plain text that, when it does not fit, keeps its start and end and puts an
// ellipsis in the middle. The full text is then offered as the tooltip.
class ElidedLabel : public QWidget
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // What is drawn at the current width.
    QString displayedText() const { return m_displayed; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_text;
    QString m_displayed;
};
