#pragma once

#include <QWidget>

// A frameless popup holding the panel. It hides itself on a press outside it and says where
// that press was, so a press on the tray icon can be told from one elsewhere. It takes the
// keyboard focus itself when shown, so Tab starts at the first control; Escape closes it.
// Where no tray shows the icon it is an ordinary titled window instead, which the user closes.
class PopupPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PopupPanel(QWidget *content);

    // Takes effect at the next show.
    void setAsWindow(bool asWindow);

Q_SIGNALS:
    void outsidePress(QPoint globalPos);
    // The titled window was closed by the user.
    void windowClosed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
