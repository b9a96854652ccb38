#include "RecordingFakes.h"
#include "log/SharePickerAnchor.h"

#include <QTest>

using namespace Qt::StringLiterals;

class SharePickerAnchorTest : public QObject
{
    Q_OBJECT

private:
    QList<QUrl> m_items;
    bool m_presented = false;
    RecordingSharePicker m_picker;
    SharePickerAnchor m_anchor{[this] { return m_items; }, [this] { return m_presented; },
                               [this](bool on) { m_presented = on; }, m_picker};

private Q_SLOTS:
    void requestWaitsForItemsThenIsServedOnce()
    {
        m_anchor.sync();
        m_presented = true;
        m_anchor.sync();
        QTest::qWait(20);
        QVERIFY(m_picker.shown.isEmpty());
        QVERIFY(m_presented);

        m_items = {QUrl::fromLocalFile(u"/tmp/a.log"_s)};
        m_anchor.sync();
        m_anchor.sync(); // a second update pass before the queued one runs
        QVERIFY(m_picker.shown.isEmpty());
        m_items = {QUrl::fromLocalFile(u"/tmp/b.log"_s)}; // the items current when it runs count
        QTRY_VERIFY(!m_presented);
        QTest::qWait(20);
        QCOMPARE(m_picker.shown, QList<QList<QUrl>>{m_items});
        QCOMPARE(m_picker.anchors, QList<QWidget *>{&m_anchor});
    }
};

QTEST_MAIN(SharePickerAnchorTest)
#include "tst_share_picker_anchor.moc"
