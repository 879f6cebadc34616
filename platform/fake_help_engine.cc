#include "platform/fake_help_engine.h"

namespace tarnel {

RecordingHelpEngine::RecordingHelpEngine()
    : previous_(InstallHelpEngine(this)) {}

RecordingHelpEngine::~RecordingHelpEngine() { InstallHelpEngine(previous_); }

void RecordingHelpEngine::Command(WindowHandle owner,
                                  const std::string& help_file,
                                  unsigned command,
                                  const std::string& keyword) {
  commands.push_back({owner, help_file, command, keyword});
}

}  // namespace tarnel
