#pragma once

#include <QAbstractButton>

// A text-only button drawn like a link: the palette's link colour, dimmed while disabled.
class LinkButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit LinkButton(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Focus is marked only when it came from the keyboard, not from a click or the window opening.
    bool showsFocus() const { return hasFocus() && m_keyboardFocus; }
    QColor foregroundColour() const;

private:
    bool m_keyboardFocus = false;
};
