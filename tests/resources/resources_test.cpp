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

    void windowIconIsTheSmallImageAlone() {
        const QIcon icon = kolvart::applicationIcon();
        QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
        QCOMPARE(icon.pixmap(QSize(32, 32)).toImage().pixel(0, 0), qRgb(0, 128, 0));
        // The larger drawings are installed for the desktop, not carried along.
        QVERIFY(!QFile::exists(QStringLiteral(":/icons/kolvart-256.png")));
    }
};

QTEST_MAIN(ResourcesTest)
#include "resources_test.moc"
