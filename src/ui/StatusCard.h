#pragma once

#include "ui/Card.h"

class ServiceStatus;
class StatusDot;
class ToneLabel;

// The daemon's launchd state with its coloured dot, the API health line and Restart.
class StatusCard : public Card
{
    Q_OBJECT

public:
    explicit StatusCard(ServiceStatus &serviceStatus, QWidget *parent = nullptr);

    // Shows the monitor's current values.
    void refresh();

private:
    ServiceStatus &m_serviceStatus;
    StatusDot *m_dot;
    ToneLabel *m_state;
    ToneLabel *m_health;
};
