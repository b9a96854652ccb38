#pragma once

#include <QWidget>

// A frameless popup holding the panel. It hides itself on a press outside it and says where
// that press was, so a press on the tray icon can be told from one elsewhere. It takes the
// keyboard focus itself when shown, so Tab starts at the first control; Escape closes it.
class PopupPanel : public QWidget
{
    Q_OBJECT

public:
    explicit PopupPanel(QWidget *content);

Q_SIGNALS:
    void outsidePress(QPoint globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
