#include "app/ConfigWindowController.h"

#include "app/ConfigHelperProtocol.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int quitWaitMs = 3000;
constexpr qint64 maxLine = 4096;

} // namespace

ConfigWindowController::ConfigWindowController(const QString &helperPath,
                                               std::shared_ptr<UserPrompts> prompts,
                                               const QUrl &url, QObject *parent)
    : QObject(parent)
    , m_helperPath(helperPath)
    , m_prompts(std::move(prompts))
    , m_url(url)
{}

ConfigWindowController::~ConfigWindowController()
{
    if (!m_helper)
        return;
    m_helper->disconnect(this);
    m_helper->closeWriteChannel();
    if (!m_helper->waitForFinished(quitWaitMs)) {
        m_helper->kill();
        m_helper->waitForFinished(quitWaitMs);
    }
}

qint64 ConfigWindowController::helperPid() const
{
    return m_helper ? m_helper->processId() : 0;
}

void ConfigWindowController::showConfig()
{
    if (m_helper)
        m_helper->write(ConfigHelperProtocol::showLine.toByteArray() + '\n');
    else
        startHelper();
}

void ConfigWindowController::startHelper()
{
    auto *helper = new QProcess(this);
    m_helper = helper;
    // The engine's messages go where the app's go; only the geometry comes back to us.
    helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(helper, &QProcess::readyReadStandardOutput, this, &ConfigWindowController::readHelper);
    connect(helper, &QProcess::finished, this, &ConfigWindowController::helperGone);
    connect(helper, &QProcess::errorOccurred, this, [this, helper](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_prompts->warn(tr("Could not open the configuration page: ") + helper->errorString());
        helperGone();
    });
    QStringList arguments{u"--"_s + ConfigHelperProtocol::urlOption, m_url.toString()};
    if (!m_geometry.isEmpty())
        arguments << u"--"_s + ConfigHelperProtocol::geometryOption
                  << QString::fromLatin1(m_geometry.toBase64());
    helper->start(m_helperPath, arguments);
}

void ConfigWindowController::readHelper()
{
    while (m_helper && m_helper->canReadLine()) {
        const QByteArray line = m_helper->readLine(maxLine).trimmed();
        if (line.startsWith(ConfigHelperProtocol::geometryPrefix))
            m_geometry =
                QByteArray::fromBase64(line.mid(ConfigHelperProtocol::geometryPrefix.size()));
    }
}

// A helper that ended, crashed or never started is replaced by the next showConfig().
void ConfigWindowController::helperGone()
{
    if (!m_helper)
        return;
    readHelper();
    m_helper->deleteLater();
    m_helper = nullptr;
}
