// Ordwell: finds files whose content holds a given text.
#include "gui/startup.h"

int main(int argc, char **argv)
{
    return RunOrdwell(argc, argv);
}
