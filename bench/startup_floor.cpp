// The floor of Kolvart's start-up: the least a Qt Widgets program needs to
// put the same window on the screen. The same title, the same fixed size, the
// same controls at the same places (the banner label and its 1-pixel rule,
// two group boxes with three labels and three line edits each, three
// buttons), centred and activated the way the program does it, with Qt's
// default font and nothing else: no calculation, no print job, no icon, no
// PrintSupport. startup_bench starts this and kolvart in turn and compares
// them.

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

// Geometry in logical pixels: the program's twips divided by 15 and rounded.
struct Row {
    const char* caption;
    int labelWidth;
};

void addRows(QGroupBox* frame, const Row (&rows)[3]) {
    int top = 24;
    for (const Row& row : rows) {
        auto* label = new QLabel(QString::fromUtf8(row.caption), frame);
        label->setGeometry(8, top, row.labelWidth, 17);
        auto* box = new QLineEdit(frame);
        box->setGeometry(232, top, 89, 19);
        top += 24;
    }
}

void buildWindow(QWidget& window) {
    window.setWindowTitle(QStringLiteral("Berekenen van luchtspoeltjes"));
    window.setFixedSize(354, 309);

    auto* banner = new QLabel(QStringLiteral("Luchtspoelberekening volgens Wheeler"), &window);
    banner->setGeometry(8, 8, 337, 25);
    auto* rule = new QFrame(&window);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setGeometry(8, 32, 336, 1);

    auto* input = new QGroupBox(QStringLiteral("Invoer gegevens"), &window);
    input->setGeometry(8, 40, 337, 105);
    addRows(input, {{"Spoel diameter in mm", 217},
                    {"Draaddikte in mm", 209},
                    {"Zelfinductie in uH  (min. 0.001)", 209}});

    auto* result = new QGroupBox(QStringLiteral("Resultaat voor enkellaags luchtspoel"), &window);
    result->setGeometry(8, 152, 337, 105);
    addRows(result, {{"Spoel diameter in mm (gecorr.)", 201},
                     {"Spoel lengte (wikkelruimte) in mm", 209},
                     {"Aantal windingen", 201}});

    int left = 32;
    for (const char* caption : {"&Afdruk", "&Stoppen", "&Bereken"}) {
        auto* button = new QPushButton(QString::fromUtf8(caption), &window);
        button->setGeometry(left, 272, 65, 25);
        left += 112;
    }
}

// Centred on the screen with the frame the window system adds, and active
// also where no window manager activates it.
void showCentred(QWidget& window) {
    const QPoint centre = window.screen()->availableGeometry().center();
    window.move(centre - window.rect().center());
    window.show();
    QRect frame = window.frameGeometry();
    frame.moveCenter(centre);
    window.move(frame.topLeft());
    window.activateWindow();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    buildWindow(window);
    showCentred(window);
    return QApplication::exec();
}
