// The baseline of the start-up benchmark: a bare Qt Widgets window of the
// main window's size that draws text (a line edit and a label), shown as
// soon as the application object exists.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.setFixedSize(366, 196);
    auto* layout = new QVBoxLayout(&window);  // owned by the window
    layout->addWidget(new QLineEdit(QStringLiteral("198.51.100.23"), &window));
    layout->addWidget(new QLabel(QStringLiteral("WAN IP Address"), &window));
    window.show();
    return QApplication::exec();
}
