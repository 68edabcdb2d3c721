// Lays a plain magenta rectangle over part of the screen for a while, above
// every window and outside the window manager's control, then takes it away
// again: the windows underneath are covered and uncovered.
//
//     lumenfold_cover_window X Y WIDTH HEIGHT MILLISECONDS
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    if (argc != 6) return 2;
    QWidget cover(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                               Qt::WindowStaysOnTopHint);
    cover.setAutoFillBackground(true);
    QPalette palette = cover.palette();
    palette.setColor(QPalette::Window, Qt::magenta);
    cover.setPalette(palette);
    cover.setGeometry(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    cover.show();
    QTimer::singleShot(std::atoi(argv[5]), &qt, [] { QCoreApplication::exit(0); });
    return QApplication::exec();
}
