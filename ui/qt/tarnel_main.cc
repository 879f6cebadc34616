#include "ui/logic/startup.h"

int main(int argc, char** argv) { return tarnel::RunTarnel(argc, argv); }
