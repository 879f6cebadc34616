// The program's arguments as the front end reads them.
#ifndef TARNEL_UI_LOGIC_PROGRAM_ARGUMENTS_H_
#define TARNEL_UI_LOGIC_PROGRAM_ARGUMENTS_H_

#include <string>
#include <vector>

namespace tarnel {

/// The arguments after the program's own, up to the first empty one. Where
/// the shell has split the command line already (POSIX) they come from
/// |argv|; on Windows the whole command line is split by SplitCommandLine.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace tarnel

#endif  // TARNEL_UI_LOGIC_PROGRAM_ARGUMENTS_H_
