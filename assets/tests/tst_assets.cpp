// Checks that the pictures compiled into lexorra_assets can be found under
// :/assets/ and still look the way the windows expect them to.

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSet>
#include <QSize>
#include <QSvgRenderer>
#include <QtEndian>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString arrowsPath = u":/assets/arrows.svg"_s;
const QString ringPath = u":/assets/red_ring.ico"_s;
const QString footprintPath = u":/assets/about_footprint.png"_s;

// The arrows' drawing space.
const QRectF arrowsViewBox(32, 24, 3630, 2583);

QImage renderArrows(const QSize &size, QColor background)
{
    QSvgRenderer renderer(arrowsPath);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

// The pixel that a point of the arrows' drawing space lands on when the
// drawing is stretched over an image of the given size.
QPoint pixelOf(QPointF logical, const QSize &size)
{
    const double x = (logical.x() - arrowsViewBox.x()) * size.width() / arrowsViewBox.width();
    const double y = (logical.y() - arrowsViewBox.y()) * size.height() / arrowsViewBox.height();
    return QPoint(int(x), int(y));
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255;
}

} // namespace

class AssetsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resourcesArePresent_data();
    void resourcesArePresent();

    void arrowsHaveTheirDrawingSpace();
    void arrowsStretchToAnyBox_data();
    void arrowsStretchToAnyBox();
    void arrowsLeaveTheBackgroundUnpainted();

    void ringHoldsA16ColourImageOf32Pixels();
    void ringReadsAtEverySize();
    void ringSmallImageUsesOnlyTheRingColours();

    void footprintHasItsSizeAndWhiteBorder();
    void footprintIsShadedInWarmGreys();
};

void AssetsTest::resourcesArePresent_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("arrows") << arrowsPath;
    QTest::newRow("ring") << ringPath;
    QTest::newRow("footprint") << footprintPath;
}

void AssetsTest::resourcesArePresent()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QVERIFY(file.size() > 0);
}

void AssetsTest::arrowsHaveTheirDrawingSpace()
{
    QSvgRenderer renderer(arrowsPath);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBoxF(), arrowsViewBox);
    QCOMPARE(renderer.aspectRatioMode(), Qt::IgnoreAspectRatio);

    QFile file(arrowsPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains(R"(preserveAspectRatio="none")"));
    QCOMPARE(text.count("<polygon"), 16);
}

void AssetsTest::arrowsStretchToAnyBox_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("as shown") << QSize(161, 123);
    QTest::newRow("four times") << QSize(644, 492);
    QTest::newRow("wide") << QSize(600, 150);
    QTest::newRow("tall") << QSize(150, 600);
}

void AssetsTest::arrowsStretchToAnyBox()
{
    QFETCH(QSize, size);
    const QImage image = renderArrows(size, Qt::black);
    const QRgb cyan = qRgb(0x00, 0xFF, 0xFF);
    const QRgb teal = qRgb(0x00, 0x80, 0x80);

    // Inside the top faces of all four arrows.
    QCOMPARE(image.pixel(pixelOf({1000, 400}, size)), cyan);
    QCOMPARE(image.pixel(pixelOf({3704 - 1000, 400}, size)), cyan);
    QCOMPARE(image.pixel(pixelOf({900, 1700}, size)), cyan);
    QCOMPARE(image.pixel(pixelOf({3694 - 900, 1700}, size)), cyan);
    // Under the upper arrows' heads, and the ends of the lower arrows' tails.
    QCOMPARE(image.pixel(pixelOf({1344, 920}, size)), teal);
    QCOMPARE(image.pixel(pixelOf({3704 - 1344, 920}, size)), teal);
    QCOMPARE(image.pixel(pixelOf({200, 2150}, size)), teal);
    QCOMPARE(image.pixel(pixelOf({3694 - 200, 2150}, size)), teal);
    // The gap between the four heads stays black.
    QCOMPARE(image.pixel(pixelOf({1847, 1300}, size)), qRgb(0, 0, 0));
    // The drawing reaches all four sides of the box it is stretched over.
    QVERIFY(image.pixel(pixelOf({60, 1980}, size)) != qRgb(0, 0, 0));
    QVERIFY(image.pixel(pixelOf({3694 - 60, 1980}, size)) != qRgb(0, 0, 0));
    QVERIFY(image.pixel(pixelOf({700, 60}, size)) != qRgb(0, 0, 0));
    QVERIFY(image.pixel(pixelOf({430, 2580}, size)) != qRgb(0, 0, 0));
}

void AssetsTest::arrowsLeaveTheBackgroundUnpainted()
{
    const QSize size(644, 492);
    const QImage image = renderArrows(size, Qt::transparent);
    QCOMPARE(qAlpha(image.pixel(pixelOf({1847, 1300}, size))), 0);
    QCOMPARE(qAlpha(image.pixel(pixelOf({1847, 200}, size))), 0);
    QCOMPARE(qAlpha(image.pixel(pixelOf({1847, 2400}, size))), 0);
    QCOMPARE(qAlpha(image.pixel(pixelOf({1000, 400}, size))), 255);
}

void AssetsTest::ringHoldsA16ColourImageOf32Pixels()
{
    // Read the icon directory directly: the small image must be 32x32 with
    // 16 colours at 4 bits per pixel.
    QFile file(ringPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(data.size() >= 6);
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    QCOMPARE(qFromLittleEndian<quint16>(bytes), quint16(0));
    QCOMPARE(qFromLittleEndian<quint16>(bytes + 2), quint16(1));
    const int count = qFromLittleEndian<quint16>(bytes + 4);
    QVERIFY(count >= 1);
    QVERIFY(data.size() >= 6 + 16 * count);

    bool found = false;
    for (int i = 0; i < count; ++i) {
        const uchar *entry = bytes + 6 + 16 * i;
        const int bitCount = qFromLittleEndian<quint16>(entry + 6);
        if (entry[0] != 32 || entry[1] != 32 || bitCount != 4)
            continue;
        QCOMPARE(int(entry[2]), 16);
        const quint32 length = qFromLittleEndian<quint32>(entry + 8);
        const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
        QVERIFY(qint64(offset) + length <= data.size());
        const uchar *bitmap = bytes + offset;
        QCOMPARE(qFromLittleEndian<quint32>(bitmap), quint32(40));     // header size
        QCOMPARE(qFromLittleEndian<qint32>(bitmap + 4), qint32(32));   // width
        QCOMPARE(qFromLittleEndian<qint32>(bitmap + 8), qint32(64));   // colours and mask
        QCOMPARE(qFromLittleEndian<quint16>(bitmap + 14), quint16(4)); // bits per pixel
        // 40 header, 64 palette, 32 rows of 16 colour bytes and 4 mask bytes.
        QCOMPARE(length, quint32(40 + 64 + 32 * 16 + 32 * 4));
        found = true;
    }
    QVERIFY(found);
}

void AssetsTest::ringReadsAtEverySize()
{
    QImageReader reader(ringPath);
    QCOMPARE(reader.format(), QByteArray("ico"));
    QSet<int> widths;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        QVERIFY(image.hasAlphaChannel());
        widths.insert(image.width());
    }
    QCOMPARE(widths, (QSet<int>{32, 48, 64, 256}));

    const QIcon icon(ringPath);
    QVERIFY(!icon.isNull());
    QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
}

void AssetsTest::ringSmallImageUsesOnlyTheRingColours()
{
    QImageReader reader(ringPath);
    QImage small;
    for (int i = 0; i < reader.imageCount() && small.isNull(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.size() == QSize(32, 32))
            small = image.convertToFormat(QImage::Format_ARGB32);
    }
    QVERIFY(!small.isNull());

    const QSet<QRgb> allowed{qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(255, 0, 0),
                             qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(255, 255, 255)};
    int red = 0, darkRed = 0, highlights = 0, transparent = 0;
    int left = 32, right = -1, top = 32, bottom = -1;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = small.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                ++transparent;
                continue;
            }
            QCOMPARE(qAlpha(pixel), 255);
            const QRgb colour = pixel | 0xFF000000u;
            QVERIFY2(allowed.contains(colour), qPrintable(u"pixel %1,%2"_s.arg(x).arg(y)));
            red += colour == qRgb(255, 0, 0);
            darkRed += colour == qRgb(128, 0, 0);
            highlights += colour == qRgb(255, 255, 255) || colour == qRgb(192, 192, 192);
            left = qMin(left, x);
            right = qMax(right, x);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
    }
    // The ring fills the cell, its corners and its hole stay transparent.
    QCOMPARE(left, 0);
    QCOMPARE(right, 31);
    QCOMPARE(top, 0);
    QCOMPARE(bottom, 31);
    for (const QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
        QCOMPARE(qAlpha(small.pixel(corner)), 0);
    QCOMPARE(qAlpha(small.pixel(15, 13)), 0);
    QVERIFY(transparent > 0);
    // Mostly bright red, with shading and highlights.
    QVERIFY(red > 32 * 32 / 3);
    QVERIFY(darkRed > 20);
    QVERIFY(highlights > 10);
}

void AssetsTest::footprintHasItsSizeAndWhiteBorder()
{
    QImage image(footprintPath);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(58, 71));
    QVERIFY(!image.hasAlphaChannel());

    int white = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool inside = x >= 4 && x <= 51 && y >= 4 && y <= 64;
            if (!inside)
                QVERIFY2(isWhite(pixel), qPrintable(u"pixel %1,%2"_s.arg(x).arg(y)));
            white += isWhite(pixel);
        }
    }
    const double whiteShare = double(white) / (58 * 71);
    QVERIFY2(whiteShare > 0.52 && whiteShare < 0.64, qPrintable(QString::number(whiteShare)));
}

void AssetsTest::footprintIsShadedInWarmGreys()
{
    const QImage image = QImage(footprintPath).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!image.isNull());
    int darkest = 255 * 3, lightest = 0, warm = 0, drawn = 0;
    for (int y = 4; y <= 64; ++y) {
        for (int x = 4; x <= 51; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (isWhite(pixel))
                continue;
            ++drawn;
            const int sum = qRed(pixel) + qGreen(pixel) + qBlue(pixel);
            darkest = qMin(darkest, sum);
            lightest = qMax(lightest, sum);
            warm += qRed(pixel) >= qGreen(pixel) && qGreen(pixel) >= qBlue(pixel);
        }
    }
    QVERIFY(darkest < 3 * 50);   // near-black outlines
    QVERIFY(lightest > 3 * 170); // light highlights
    QVERIFY(warm > drawn * 9 / 10);
}

QTEST_MAIN(AssetsTest)

#include "tst_assets.moc"
