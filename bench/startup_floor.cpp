// The floor of Kolvart's start-up: the least a Qt Widgets program needs to
// put the same window on the screen. The same title, fixed size and controls
// at the same places (the banner and its rule, two group boxes of three labels
// and three line edits, three buttons), centred and activated the way the
// program does it, in Qt's default font and nothing else: no calculation, no
// printing, no icon. startup_bench starts this and kolvart in turn.

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// Geometry in logical pixels: the program's twips divided by 15 and rounded.
void addFrame(QWidget& window, int top, const char* caption, const char* const (&labels)[3],
              const int (&widths)[3]) {
    auto* frame = new QGroupBox(QString::fromUtf8(caption), &window);
    frame->setGeometry(8, top, 337, 105);
    for (int row = 0; row < 3; ++row) {
        auto* label = new QLabel(QString::fromUtf8(labels[row]), frame);
        label->setGeometry(8, 24 + 24 * row, widths[row], 17);
        (new QLineEdit(frame))->setGeometry(232, 24 + 24 * row, 89, 19);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Berekenen van luchtspoeltjes"));
    window.setFixedSize(354, 309);
    (new QLabel(QStringLiteral("Luchtspoelberekening volgens Wheeler"), &window))
        ->setGeometry(8, 8, 337, 25);
    auto* rule = new QFrame(&window);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setGeometry(8, 32, 336, 1);
    addFrame(window, 40, "Invoer gegevens",
             {"Spoel diameter in mm", "Draaddikte in mm", "Zelfinductie in uH  (min. 0.001)"},
             {217, 209, 209});
    addFrame(
        window, 152, "Resultaat voor enkellaags luchtspoel",
        {"Spoel diameter in mm (gecorr.)", "Spoel lengte (wikkelruimte) in mm", "Aantal windingen"},
        {201, 209, 201});
    for (int i = 0; const char* caption : {"&Afdruk", "&Stoppen", "&Bereken"})
        (new QPushButton(QString::fromUtf8(caption), &window))
            ->setGeometry(32 + 112 * i++, 272, 65, 25);

    // Centred with the frame the window system adds, and active also where no
    // window manager activates it.
    const QPoint centre = window.screen()->availableGeometry().center();
    window.move(centre - window.rect().center());
    window.show();
    QRect frame = window.frameGeometry();
    frame.moveCenter(centre);
    window.move(frame.topLeft());
    window.activateWindow();
    return QApplication::exec();
}
