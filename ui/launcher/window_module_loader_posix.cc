#include <dlfcn.h>

#include <cstdio>
#include <utility>

#include "ui/launcher/window_module_loader.h"
#include "ui/qt/window_module.h"

namespace tarnel {

WindowModule::WindowModule(std::string program_folder,
                           std::string library_folder)
    : program_folder_(std::move(program_folder)),
      library_folder_(std::move(library_folder)) {}

// The module stays loaded: Qt's own exit handlers live in it.
WindowModule::~WindowModule() = default;

void* WindowModule::Entry(const char* name) {
  if (!tried_) {
    tried_ = true;
    const std::string library_path =
        !library_folder_.empty() && library_folder_[0] == '/'
            ? library_folder_
            : program_folder_ + "/" + library_folder_;
    const std::string places[] = {program_folder_ + "/" + kWindowModuleName,
                                  library_path + "/" + kWindowModuleName};
    for (const std::string& place : places) {
      handle_ = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle_) break;
      if (failure_.empty()) {
        const char* reason = ::dlerror();
        failure_ = reason ? reason : place;
      }
    }
    if (handle_) failure_.clear();
  }
  if (!handle_) return nullptr;
  void* entry = ::dlsym(handle_, name);
  if (!entry) failure_ = std::string("no entry ") + name;
  return entry;
}

int WindowModule::RunWithDisplay(int argc, char** argv) {
  const auto entry =
      reinterpret_cast<WindowModuleEntry>(Entry(kWindowModuleEntry));
  if (entry) return entry(argc, argv);
  std::fprintf(stderr, "tarnel: cannot load the window front end: %s\n",
               failure_.c_str());
  return 1;
}

std::optional<int> WindowModule::ShowBox(const std::string& text,
                                         const std::string& caption,
                                         unsigned flags) {
  const auto entry = reinterpret_cast<ShowBoxEntry>(Entry(kShowBoxEntry));
  if (!entry) return std::nullopt;
  return entry(text.c_str(), caption.c_str(), flags);
}

void WindowModule::EndBoxes() {
  // A module never loaded has shown no box.
  if (!handle_) return;
  if (const auto entry =
          reinterpret_cast<EndScreenEntry>(Entry(kEndScreenEntry))) {
    entry();
  }
}

std::optional<std::string> WindowModule::ThroughUtf16(std::string_view bytes) {
  const auto entry =
      reinterpret_cast<ThroughUtf16Entry>(Entry(kThroughUtf16Entry));
  if (!entry) return std::nullopt;
  std::string converted;
  entry(
      bytes.data(), bytes.size(),
      [](const char* out, std::size_t size, void* context) {
        static_cast<std::string*>(context)->assign(out, size);
      },
      &converted);
  return converted;
}

int ModuleMessageBoxes::Show(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
  if (const std::optional<int> result = module_.ShowBox(text, caption, flags)) {
    return *result;
  }
  return console_.Show(owner, text, caption, flags);
}

}  // namespace tarnel
