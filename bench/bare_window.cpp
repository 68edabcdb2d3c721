// The baseline of the start-up benchmark: a bare Qt Widgets window of the
// main window's size, shown as soon as the application object exists.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.setFixedSize(366, 196);
    window.show();
    return QApplication::exec();
}
