// Qt's own texts (the print dialog, the context menu of the boxes, the
// buttons of message boxes) follow the locale the program starts in; the
// window keeps its Dutch texts and its left-to-right layout.
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "report/qt_report_platform.h"
#include "tests/ui/named_child.h"
#include "ui/frmkolvart.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <memory>

class QtTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setApplicationName(QStringLiteral("Kolvart"));
        // Qt's translations come in a package of their own; without them the
        // test is skipped, unless the run demands everything (as ./dev.sh does).
        QTranslator dutch;
        if (!dutch.load(QLocale(QStringLiteral("nl_NL")), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
            qEnvironmentVariable("KOLVART_TEST_REQUIRE_ALL") != QLatin1String("1"))
            QSKIP("skipped: Qt's translations are missing (package qt6-translations-l10n)");
    }
    void cleanup() { window_.reset(); }
    void qtTextsFollowTheLocale_data();
    void qtTextsFollowTheLocale();

private:
    template <typename T> T* child(const char* name) const { return namedChild<T>(*window_, name); }
    QLineEdit* box(const char* name) const { return child<QLineEdit>(name); }

    std::unique_ptr<kolvart::frmKolvart> window_;
};

void QtTranslationsTest::qtTextsFollowTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("translated"); // Qt has its texts in that language
    QTest::newRow("Dutch") << "nl_NL" << true;
    QTest::newRow("Flemish") << "nl_BE" << true;
    QTest::newRow("English") << "en_US" << false;
    QTest::newRow("Frisian, which Qt does not speak") << "fy_NL" << false;
    QTest::newRow("Arabic, right to left") << "ar_EG" << true;
}

void QtTranslationsTest::qtTextsFollowTheLocale() {
    QFETCH(QString, locale);
    QFETCH(bool, translated);
    // What Qt's own translation file for the locale says, or the English
    // source where it says nothing.
    QTranslator qtFile;
    const bool qtHasFile =
        qtFile.load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    QVERIFY2(qtHasFile || !translated, "Qt's translations are missing (qt6-translations-l10n)");
    const auto expected = [&qtFile](const char* context, const char* source) {
        const QString text = qtFile.translate(context, source);
        return text.isEmpty() ? QString::fromLatin1(source) : text;
    };
    const QString paste = expected("QLineEdit", "&Paste");
    const QString print = expected("QPrintDialog", "&Print");
    const QString cancel = expected("QPlatformTheme", "Cancel");
    if (translated) {
        QVERIFY2(paste != QLatin1String("&Paste"), qPrintable(paste));
        QVERIFY2(print != QLatin1String("&Print"), qPrintable(print));
        QVERIFY2(cancel != QLatin1String("Cancel"), qPrintable(cancel));
    }

    const std::unique_ptr<QTranslator> installed(kolvart::installQtTranslations(QLocale(locale)));
    // Without a file for the language Qt's texts stay English and the
    // window is whole all the same.
    QCOMPARE(installed != nullptr, qtHasFile);
    QTemporaryDir pdfDir;
    window_ = std::make_unique<kolvart::frmKolvart>(
        std::make_unique<kolvart::QtDesktop>(),
        std::make_unique<kolvart::QtReportPlatform>(
            nullptr,
            kolvart::QtReportPlatform::PdfOutput{pdfDir.filePath(QStringLiteral("out.pdf")),
                                                 {},
                                                 /*showDialogs=*/true,
                                                 /*paper=*/{}}));
    window_->showCentred();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));

    // The context menu of an entry box.
    QLineEdit* diameter = box("txtSpD");
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                diameter->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(diameter, &menuEvent);
    QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QStringList items;
    for (const QAction* action : menu->actions())
        items << action->text().section(QLatin1Char('\t'), 0, 0);
    menu->close();
    QVERIFY2(items.contains(paste), qPrintable(items.join(u'|')));

    // The printer dialog of the first print; the notice after it is the
    // program's own and stays Dutch.
    QStringList buttons;
    QString notice;
    QTimer poll; // ends with the test, whatever happens
    connect(&poll, &QTimer::timeout, this, [&buttons, &notice, &poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QPrintDialog*>(modal)) {
            for (const QAbstractButton* button : dialog->findChild<QDialogButtonBox*>()->buttons())
                buttons << button->text();
            dialog->reject();
        } else if (auto* messageBox = qobject_cast<QMessageBox*>(modal)) {
            notice = messageBox->text();
            messageBox->accept();
            poll.stop();
        }
    });
    poll.start(10);
    child<QPushButton>("cmdAfdruk")->click();
    QTRY_VERIFY(!notice.isEmpty());
    QVERIFY2(buttons.contains(print), qPrintable(buttons.join(u'|')));
    QVERIFY2(buttons.contains(cancel), qPrintable(buttons.join(u'|')));
    QVERIFY2(notice.contains(QStringLiteral("Stoppen")), qPrintable(notice));

    // The window keeps its own Dutch texts and its fixed left-to-right layout.
    QCOMPARE(window_->windowTitle(), QStringLiteral("Berekenen van luchtspoeltjes"));
    QCOMPARE(child<QPushButton>("cmdAfdruk")->text(), QStringLiteral("&Afdruk"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    QVERIFY(window_->isLeftToRight());
    QVERIFY(child<QLabel>("Label2")->isLeftToRight());
    QVERIFY(diameter->isLeftToRight());
}

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
