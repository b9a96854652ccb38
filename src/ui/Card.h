#pragma once

#include <QWidget>

// The rounded, borderless background shared by the panel's cards.
class Card : public QWidget
{
    Q_OBJECT

public:
    explicit Card(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
