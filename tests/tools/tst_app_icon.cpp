// The committed icon files: the .icns must be a well-formed container that Qt reads at every
// size, and each size must be a visible, opaque badge (not blank, not clipped).

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

class TestAppIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void icnsHoldsEverySize();
    void everySizeIsAVisibleBadge_data();
    void everySizeIsAVisibleBadge();

private:
    static QString resource(const QString &name) { return KORVEL_RESOURCES_DIR "/"_L1 + name; }
    static QList<QImage> icnsImages();
};

QList<QImage> TestAppIcon::icnsImages()
{
    QImageReader reader(resource(u"AppIcon.icns"_s), "icns");
    QList<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (reader.jumpToImage(i))
            images.append(reader.read());
    }
    return images;
}

void TestAppIcon::icnsHoldsEverySize()
{
    QFile file(resource(u"AppIcon.icns"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 8);
    QCOMPARE(bytes.left(4), QByteArray("icns"));
    QCOMPARE(qFromBigEndian<quint32>(bytes.constData() + 4), quint32(bytes.size()));

    QStringList types;
    qsizetype at = 8;
    while (at + 8 <= bytes.size()) {
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at + 4);
        QVERIFY(length > 8 && at + qsizetype(length) <= bytes.size());
        QVERIFY2(bytes.mid(at + 8, 8) == "\x89PNG\r\n\x1a\n", "payloads are PNG");
        types.append(QString::fromLatin1(bytes.mid(at, 4)));
        at += length;
    }
    QCOMPARE(at, bytes.size());
    QCOMPARE(types, QStringList({u"icp4"_s, u"icp5"_s, u"icp6"_s, u"ic07"_s, u"ic08"_s, u"ic09"_s,
                                 u"ic10"_s}));

    QSet<int> sizes;
    for (const QImage &image : icnsImages()) {
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), image.height());
        sizes.insert(image.width());
    }
    QCOMPARE(sizes, QSet<int>({16, 32, 64, 128, 256, 512, 1024}));
}

void TestAppIcon::everySizeIsAVisibleBadge_data()
{
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 64, 128, 256, 512, 1024})
        QTest::addRow("%d px", size) << size;
}

// Opaque cover, a light glyph and a dark badge together are what keep the icon readable on
// both light and dark panels; transparent corners show it is not clipped to a square.
void TestAppIcon::everySizeIsAVisibleBadge()
{
    QFETCH(int, size);
    QImage icon;
    for (const QImage &image : icnsImages()) {
        if (image.width() == size)
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
            const int grey = qGray(c.rgb());
            light += grey > 220;
            dark += grey < 150;
        }
    }
    const int area = size * size;
    QVERIFY2(opaque > area / 2, "mostly opaque");
    QVERIFY2(light > area / 10, "a light glyph");
    QVERIFY2(dark > area / 5, "a dark badge");
    QVERIFY(icon.pixelColor(0, 0).alpha() < 128);
    QVERIFY(icon.pixelColor(size - 1, size - 1).alpha() < 128);
}

QTEST_GUILESS_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
