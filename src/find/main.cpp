// ordwell-find: the window's search from a terminal; prints the files whose content holds a text.
#include "find/find_main.h"

int main(int argc, char **argv)
{
    return RunOrdwellFind(argc, argv);
}
