#include "platform/help_engine.h"

namespace tarnel {

namespace {

class NoHelpEngine : public HelpEngine {
 public:
  void Command(WindowHandle, const std::string&, unsigned,
               const std::string&) override {}
};

}  // namespace

HelpEngine& HelpEngine::Fallback() {
  static NoHelpEngine no_help_engine;
  return no_help_engine;
}

}  // namespace tarnel
