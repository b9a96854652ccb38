#pragma once

#include "ui/Theme.h"

#include <QLabel>

// A plain-text label in one of the panel's tones, following palette changes. Data shown in it is
// never interpreted as markup.
class ToneLabel : public QLabel
{
    Q_OBJECT

public:
    ToneLabel(const QString &objectName, Tone tone, const QFont &font, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyTone();

    Tone m_tone;
};
