#include "ui/StatusCard.h"

#include "service/ServiceStatus.h"
#include "ui/PanelTexts.h"
#include "ui/StatusDot.h"
#include "ui/ToneLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

StatusCard::StatusCard(ServiceStatus &serviceStatus, QWidget *parent)
    : Card(parent)
    , m_serviceStatus(serviceStatus)
    , m_dot(new StatusDot(this))
    , m_state(new ToneLabel(u"serviceStateLabel"_s, Tone::primary,
                            Theme::systemFont(13, QFont::Medium), this))
    , m_health(new ToneLabel(u"healthLabel"_s, Tone::secondary, Theme::captionFont(), this))
{
    setObjectName(u"statusCard"_s);
    m_dot->setObjectName(u"statusDot"_s);
    m_state->setWordWrap(true);
    m_health->setWordWrap(true);

    auto *restart = new QPushButton(tr("Restart"), this);
    restart->setObjectName(u"restartButton"_s);
    restart->setAutoDefault(false);
    restart->setAccessibleDescription(tr("Restarts the print service"));
    connect(restart, &QPushButton::clicked, this, [this] { m_serviceStatus.restart(); });

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(m_state);
    texts->addWidget(m_health);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(12);
    layout->addWidget(m_dot);
    layout->addLayout(texts, 1);
    layout->addWidget(restart);

    refresh();
}

void StatusCard::refresh()
{
    const ServiceState state = m_serviceStatus.state();
    switch (state.kind()) {
    case ServiceState::Kind::running:
        m_dot->setTone(Tone::green);
        break;
    case ServiceState::Kind::starting:
    case ServiceState::Kind::stopping:
        m_dot->setTone(Tone::orange);
        break;
    default:
        m_dot->setTone(Tone::red);
    }
    m_state->setText(state.label());
    m_dot->setAccessibleName(PanelTexts::statusDotName(state.label()));
    m_health->setText(PanelTexts::healthText(m_serviceStatus.apiReachable()));
}
