#include "startup.h"

int main(int argc, char *argv[])
{
    return kivo_main(argc, argv);
}
