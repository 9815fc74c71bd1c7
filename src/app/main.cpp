// Ordwell: finds files whose content holds a given text.
#include "app/startup.h"

int main(int argc, char **argv)
{
    return RunOrdwell(argc, argv);
}
