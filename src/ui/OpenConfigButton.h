#pragma once

#include <QAbstractButton>

// The connections card's prominent, accent-filled button with a sliders glyph; it spans the
// card's width.
class OpenConfigButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit OpenConfigButton(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    // Focus is marked only when it came from the keyboard, not from a click or the window opening.
    bool showsFocus() const { return hasFocus() && m_keyboardFocus; }
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_keyboardFocus = false;
    bool m_hovered = false;
};
