// Renders the Korvel Printer icon (a receipt printer with its paper slip on an indigo badge) at
// every size the platforms ask for, and writes the macOS .icns, the Linux PNGs and the .desktop
// entry. Each size is drawn, not scaled: the small ones sit on a pixel grid and drop detail.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QString>
#include <QtEndian>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QColor badgeTop(0x63, 0x66, 0xf1);
const QColor badgeBottom(0x43, 0x38, 0xca);
const QColor ink(0x31, 0x2e, 0x81);
const QColor paperLine(0x81, 0x8c, 0xf8);
const QColor bodyShade(0xe0, 0xe7, 0xff);
const QColor led(0x22, 0xc5, 0x5e);

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The slip with a torn top edge of `teeth` points (none at the smallest size).
QPainterPath paperPath(const QRectF &rect, int teeth, qreal depth)
{
    QPainterPath path;
    path.moveTo(rect.left(), rect.bottom());
    path.lineTo(rect.left(), rect.top() + depth);
    const qreal step = rect.width() / qMax(teeth, 1);
    for (int i = 0; i < teeth; ++i) {
        path.lineTo(rect.left() + step * (i + 0.5), rect.top());
        path.lineTo(rect.left() + step * (i + 1), rect.top() + depth);
    }
    path.lineTo(rect.right(), rect.top() + depth);
    path.lineTo(rect.right(), rect.bottom());
    path.closeSubpath();
    return path;
}

void fillBadge(QPainter &p, const QRectF &rect, qreal radius)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, badgeTop);
    gradient.setColorAt(1, badgeBottom);
    p.fillPath(roundedRect(rect, radius), gradient);
}

void strokeLine(QPainter &p, qreal x1, qreal x2, qreal y, qreal width, const QColor &colour)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x1, y), QPointF(x2, y));
    p.setPen(Qt::NoPen);
}

// 16 and 32 px: a 16-unit grid with whole-unit edges so the tray icon stays sharp.
void drawSmall(QPainter &p, int size)
{
    const bool detailed = size >= 32;
    p.scale(size / 16.0, size / 16.0);
    fillBadge(p, QRectF(0, 0, 16, 16), 3.5);

    const QRectF body(2, 8, 12, 6);
    p.fillPath(roundedRect(body, 1.5), Qt::white);
    p.fillRect(QRectF(4, 10, 8, 1), ink);

    p.fillPath(paperPath(QRectF(5, 2, 6, 8), detailed ? 3 : 0, detailed ? 0.5 : 0), Qt::white);
    const qreal line = detailed ? 0.5 : 1;
    p.fillRect(QRectF(6, 4, 4, line), paperLine);
    p.fillRect(QRectF(6, detailed ? 5.5 : 6, 3, line), paperLine);
    if (detailed) {
        p.fillRect(QRectF(6, 7, 4, line), paperLine);
        p.fillRect(QRectF(11, 11.5, 1, 1), led);
    }
}

// 64 px and up: free geometry in a unit square, with depth and the full receipt.
void drawLarge(QPainter &p, int size)
{
    p.scale(size, size);
    const qreal margin = size >= 128 ? 0.09 : 0.04;
    const QRectF badge(margin, margin, 1 - 2 * margin, 1 - 2 * margin);
    fillBadge(p, badge, badge.width() * 0.225);

    // Badge-relative coordinates.
    p.translate(badge.topLeft());
    p.scale(badge.width(), badge.height());

    const QRectF body(0.12, 0.48, 0.76, 0.34);
    // The slip ends in the middle of the slot, so it seems to come out of it.
    const QRectF paper(0.29, 0.12, 0.42, 0.458);
    const QPainterPath bodyPath = roundedRect(body, 0.09);
    const QPainterPath slip = paperPath(paper, 6, 0.035);

    p.fillPath(bodyPath.united(slip).translated(0, 0.025), QColor(0x1e, 0x1b, 0x4b, 90));

    QLinearGradient bodyFill(body.topLeft(), body.bottomLeft());
    bodyFill.setColorAt(0, Qt::white);
    bodyFill.setColorAt(1, bodyShade);
    p.fillPath(bodyPath, bodyFill);
    p.fillPath(roundedRect(QRectF(0.22, 0.555, 0.56, 0.045), 0.0225), ink);
    p.fillPath(roundedRect(QRectF(0.22, 0.70, 0.14, 0.04), 0.02), bodyShade.darker(115));
    p.setPen(Qt::NoPen);
    p.setBrush(led);
    p.drawEllipse(QPointF(0.74, 0.72), 0.032, 0.032);

    p.fillPath(slip, Qt::white);
    p.strokePath(slip, QPen(QColor(ink.red(), ink.green(), ink.blue(), 40), 0.006));
    const qreal left = paper.left() + 0.06;
    const qreal right = paper.right() - 0.06;
    strokeLine(p, left, right, 0.22, 0.022, paperLine);
    strokeLine(p, left, right - 0.1, 0.285, 0.022, paperLine);
    strokeLine(p, left, right - 0.04, 0.35, 0.022, paperLine);
    strokeLine(p, left, right, 0.43, 0.034, ink);
}

QImage renderIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    if (size <= 32)
        drawSmall(p, size);
    else
        drawLarge(p, size);
    p.end();
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

void appendBigEndian(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

struct IcnsEntry
{
    QByteArray type;
    int size;
};

// Modern icns types hold PNG payloads; the length fields count their own 8-byte headers.
QByteArray icnsContainer(const QList<IcnsEntry> &entries)
{
    QByteArray body;
    for (const IcnsEntry &entry : entries) {
        const QByteArray png = pngBytes(renderIcon(entry.size));
        body.append(entry.type);
        appendBigEndian(body, quint32(png.size() + 8));
        body.append(png);
    }
    QByteArray file("icns");
    appendBigEndian(file, quint32(body.size() + 8));
    return file + body;
}

const char desktopEntry[] = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Korvel Printer\n"
                            "GenericName=Print service monitor\n"
                            "Comment=Watch the point-of-sale print service, its printers and log\n"
                            "Comment[vi]=Theo dõi dịch vụ in của máy bán hàng, máy in và nhật ký\n"
                            "Exec=korvel-printer\n"
                            "Icon=korvel-printer\n"
                            "Terminal=false\n"
                            "Categories=Utility;Office;\n"
                            "Keywords=printer;receipt;POS;máy in;hóa đơn;\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    std::fprintf(stderr, "korvel_make_icons: cannot write %s: %s\n", qPrintable(path),
                 qPrintable(file.errorString()));
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"Resources"_s);
    if (!out.mkpath(u"."_s)) {
        std::fprintf(stderr, "korvel_make_icons: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    const QList<IcnsEntry> entries = {{"icp4", 16},  {"icp5", 32},  {"icp6", 64},  {"ic07", 128},
                                      {"ic08", 256}, {"ic09", 512}, {"ic10", 1024}};
    const bool ok =
        writeFile(out.filePath(u"AppIcon.icns"_s), icnsContainer(entries)) &&
        writeFile(out.filePath(u"korvel-printer.png"_s), pngBytes(renderIcon(256))) &&
        writeFile(out.filePath(u"korvel-printer-512.png"_s), pngBytes(renderIcon(512))) &&
        writeFile(out.filePath(u"korvel-printer.desktop"_s), desktopEntry);
    return ok ? 0 : 1;
}
