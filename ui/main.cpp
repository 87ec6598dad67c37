#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream(stderr) << "Corvane: the main window is not there yet; only the name rules "
                           "and their tests are built so far.\n";
    return 0;
}
