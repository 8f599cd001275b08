// quorvel-machine: the emulated machine (see --help).
#include "machine/MachineProgram.h"

int main(int argc, char** argv)
{
    return quorvel::RunMachineProgram({argv + 1, argv + argc}, "quorvel-machine");
}
