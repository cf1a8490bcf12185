// The baseline for the start-up benchmark: a bare Qt window with the same
// fourteen text boxes as Kestrova's, and nothing else.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(479, 202);
    for (int i = 0; i < 13; ++i)
        (new QLineEdit(&window))->setGeometry(6 + (i % 4) * 90, 6 + (i / 4) * 30, 80, 19);
    (new QPlainTextEdit(&window))->setGeometry(146, 92, 141, 79);
    window.show();
    return QApplication::exec();
}
