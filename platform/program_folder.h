// Where the running program lies: its help file, its clipboard holder and
// its window module are looked for beside it. Twins: program_folder_posix.cc,
// program_folder_win32.cc.
#ifndef TARNEL_PLATFORM_PROGRAM_FOLDER_H_
#define TARNEL_PLATFORM_PROGRAM_FOLDER_H_

#include <string>

namespace tarnel {

/// The folder of the running program's executable, as bytes in the
/// locale's encoding and without a trailing separator; "." when the system
/// does not tell.
std::string ProgramFolder();

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_PROGRAM_FOLDER_H_
