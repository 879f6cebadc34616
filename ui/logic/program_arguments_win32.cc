#include <windows.h>

#include "ui/logic/command_line_split.h"
#include "ui/logic/program_arguments.h"

namespace tarnel {

std::vector<std::string> ProgramArguments(int, char**) {
  // argv has been split by the C runtime's own rules, which differ from
  // ours in quotes and backslashes; the raw command line is what counts.
  return SplitCommandLine(GetCommandLineA());
}

}  // namespace tarnel
