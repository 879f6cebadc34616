// The program's start, run and end: everything main does.
#ifndef TARNEL_UI_LOGIC_STARTUP_H_
#define TARNEL_UI_LOGIC_STARTUP_H_

namespace tarnel {

class TarnelApplication;

/// Gives |application| the program's title and help file.
void ConfigureApplication(TarnelApplication& application);

/// Runs TARNEL with the process's arguments and returns its exit status:
/// for a batch run ("-a", "-a+") 0 when the result was delivered and 1
/// after any failure; 0 after an interactive session; 1 when an
/// interactive start finds no display or an exception ends the program.
int RunTarnel(int argc, char** argv);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_STARTUP_H_
