#include "program.h"

int main(int argc, char **argv)
{
    return quill::runProgram(argc, argv);
}
