#include <QImageReader>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everySizeIsAVisibleBadge_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 64, 128, 256, 512, 1024})
            QTest::addRow("%d px", size) << size;
    }

    // Opaque cover, a light glyph and a dark badge together keep the icon readable on light
    // and dark panels; transparent corners show it is not clipped to a square.
    void everySizeIsAVisibleBadge()
    {
        QFETCH(int, size);
        QImageReader reader(QStringLiteral(KORVEL_RESOURCES_DIR "/AppIcon.icns"), "icns");
        QImage icon;
        for (int i = 0; i < reader.imageCount() && icon.isNull(); ++i) {
            const QImage image = reader.jumpToImage(i) ? reader.read() : QImage();
            if (image.size() == QSize(size, size))
                icon = image.convertToFormat(QImage::Format_ARGB32);
        }
        QVERIFY(!icon.isNull());
        int opaque = 0;
        int light = 0;
        int dark = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor c = icon.pixelColor(x, y);
                if (c.alpha() < 250)
                    continue;
                ++opaque;
                light += qGray(c.rgb()) > 220;
                dark += qGray(c.rgb()) < 150;
            }
        }
        const int area = size * size;
        QVERIFY2(opaque > area / 2, "mostly opaque");
        QVERIFY2(light > area / 10, "a light glyph");
        QVERIFY2(dark > area / 5, "a dark badge");
        QVERIFY(icon.pixelColor(0, 0).alpha() < 128);
        QVERIFY(icon.pixelColor(size - 1, size - 1).alpha() < 128);
    }
};

QTEST_GUILESS_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
