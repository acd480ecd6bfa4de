#include "windows/program.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return quill::runProgram(app);
}
