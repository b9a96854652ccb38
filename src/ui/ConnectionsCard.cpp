#include "ui/ConnectionsCard.h"

#include "daemon/ConfigSummary.h"
#include "ui/OpenConfigButton.h"
#include "ui/PanelTexts.h"
#include "ui/SlotRow.h"
#include "ui/Spinner.h"
#include "ui/ToneLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ConnectionsCard::ConnectionsCard(ConfigSummary &configSummary, std::function<void()> openConfig,
                                 QWidget *parent)
    : Card(parent)
    , m_configSummary(configSummary)
    , m_spinner(new Spinner(this))
    , m_error(new ToneLabel(u"configError"_s, Tone::red, Theme::captionFont(), this))
    , m_rowsBox(new QWidget(this))
    , m_rowsLayout(new QVBoxLayout(m_rowsBox))
{
    setObjectName(u"connectionsCard"_s);
    m_spinner->setObjectName(u"configSpinner"_s);
    m_error->setWordWrap(true);
    m_rowsBox->setObjectName(u"slotRows"_s);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(6);

    auto *title = new ToneLabel(u"connectionsTitle"_s, Tone::secondary,
                                Theme::systemFont(12, QFont::DemiBold), this);
    title->setText(tr("Kết nối máy in"));
    title->lower(); // read first
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    titleRow->addWidget(title);
    titleRow->addStretch(1);
    titleRow->addWidget(m_spinner);

    auto *button = new OpenConfigButton(tr("Cấu hình máy in"), this);
    button->setObjectName(u"openConfigButton"_s);
    connect(button, &QAbstractButton::clicked, this, [openConfig = std::move(openConfig)] {
        if (openConfig)
            openConfig();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addLayout(titleRow);
    layout->addWidget(m_error);
    layout->addWidget(m_rowsBox);
    layout->addWidget(button);

    refresh();
}

void ConnectionsCard::refresh()
{
    m_spinner->setVisible(m_configSummary.isLoading());

    const std::optional<QString> error = m_configSummary.lastError();
    m_error->setVisible(error.has_value());
    if (error) {
        m_rowsBox->hide();
        m_error->setText(PanelTexts::configErrorText(*error));
        return;
    }

    // Rows are matched by slot id: the same ids keep their rows and only their texts change.
    const QList<SlotLine> slotLines = m_configSummary.slots();
    m_rowsBox->setVisible(!slotLines.isEmpty());
    QStringList ids;
    for (const SlotLine &slot : slotLines)
        ids.append(slot.id);
    if (ids != m_rowIds) {
        qDeleteAll(m_rows);
        m_rows.clear();
        for (const SlotLine &slot : slotLines) {
            auto *row = new SlotRow(m_rowsBox);
            row->setObjectName(u"slotRow-"_s + slot.id);
            m_rowsLayout->addWidget(row);
            m_rows.append(row);
        }
        m_rowIds = ids;
    }
    for (qsizetype i = 0; i < slotLines.size(); ++i)
        m_rows.at(i)->setSlot(slotLines.at(i));
}
