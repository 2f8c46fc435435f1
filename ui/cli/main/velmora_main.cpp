#include "ui/cli/app.h"

int main(int argc, char** argv) { return velmora::cli::RunVelmora(argc, argv); }
