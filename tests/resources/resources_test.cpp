// The icons reach a program as Qt resources through the static library
// kolvart_resources, in the form the window and the desktop need them.

#include "resources/app_icon.h"

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QTest>

namespace {

bool hasPixel(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void windowIconIs32PixelsWith256Colours() {
        QImage image(QString::fromLatin1(kolvart::iconResourcePath));
        QVERIFY2(!image.isNull(), "the icon is not in the resources");
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorCount(), 256);
        QVERIFY2(hasPixel(image, qRgb(0, 128, 0)), "no green background");
        QVERIFY2(hasPixel(image, qRgb(240, 120, 0)), "no orange windings");
    }

    void largerSizesAreThere_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::newRow("64") << QStringLiteral(":/icons/kolvart-64.png") << 64;
        QTest::newRow("128") << QStringLiteral(":/icons/kolvart-128.png") << 128;
        QTest::newRow("256") << QStringLiteral(":/icons/kolvart-256.png") << 256;
    }

    void largerSizesAreThere() {
        QFETCH(QString, path);
        QFETCH(int, size);
        QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path + QStringLiteral(" is not in the resources")));
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
    }

    void applicationIconHasEverySize() {
        const QIcon icon = kolvart::applicationIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (int size : {32, 64, 128, 256}) {
            QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
        }
        QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().pixel(0, 0), qRgb(0, 128, 0));
    }
};

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
