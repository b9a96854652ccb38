#pragma once

#include "ui/Card.h"

#include <functional>

class ConfigSummary;
class OpenConfigButton;
class SlotRow;
class Spinner;
class ToneLabel;
class QVBoxLayout;

// The printer slots of the daemon's configuration, with a spinner while they load, the error of
// the last fetch in place of the rows, and the button that opens the configuration window.
class ConnectionsCard : public Card
{
    Q_OBJECT

public:
    ConnectionsCard(ConfigSummary &configSummary, std::function<void()> openConfig,
                    QWidget *parent = nullptr);

    // Shows the summary's current values.
    void refresh();

private:
    ConfigSummary &m_configSummary;
    Spinner *m_spinner;
    ToneLabel *m_error;
    QWidget *m_rowsBox;
    QVBoxLayout *m_rowsLayout;
    QList<SlotRow *> m_rows;
    QStringList m_rowIds;
};
