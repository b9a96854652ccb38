#pragma once

#include <QWidget>

// The rounded, borderless background shared by the panel's cards. A scrolling area inside it
// (the printer list) draws no focus frame, so the card rings it while it has the focus.
class Card : public QWidget
{
    Q_OBJECT

public:
    explicit Card(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
