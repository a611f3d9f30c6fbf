// The least a Qt program does to put a window on screen: bench/startup times
// it from spawn to shown, the same way as the browser, and compares.
#include "platform/QuitWhenShown.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(676, 408);
    window.show();
    platform::QuitWhenShown(window);
    return QApplication::exec();
}
