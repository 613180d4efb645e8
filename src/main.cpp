#include "Launcher.h"

int main(int argc, char** argv) {
    return cli::Launcher::main(argc, argv);
}
