#pragma once

#include "app/PanelStyle.h"

#include <QWidget>

// The window holding the panel, in one of the styles of PanelStyle. As a popup it hides itself on
// a press outside it and says where that press was, so a press on the tray icon can be told from
// one elsewhere; as a focused panel it hides itself when the focus leaves the app. It takes the
// keyboard focus itself when shown, so Tab starts at the first control; Escape closes it.
class PanelWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PanelWindow(QWidget *content);

    // Takes effect at the next show.
    void setStyle(PanelStyle style);
    PanelStyle style() const { return m_style; }

Q_SIGNALS:
    void outsidePress(QPoint globalPos);
    // The focused panel hid itself because another app took the focus.
    void focusLost();
    // The titled window was closed by the user.
    void windowClosed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void hideIfFocusLeftApp();

    PanelStyle m_style = PanelStyle::popup;
};
