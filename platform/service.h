// The platform services in use. One object of each service interface
// (MessageBoxes, Clipboard, FileDialogs, HelpEngine) serves the whole
// program at a time: the program installs the real ones at start-up, a test
// installs its fakes, each for a scope. Until one is installed, the
// interface's own Fallback() serves: boxes on the console, a clipboard that
// cannot be opened, dialogs that are cancelled, help that shows nothing.
//
// Install services before starting threads that use them; a thread sees
// the services that were in place when it started.
#ifndef TARNEL_PLATFORM_SERVICE_H_
#define TARNEL_PLATFORM_SERVICE_H_

#include <utility>

namespace tarnel {

namespace service_internal {
template <class Service>
inline Service* installed = nullptr;
}  // namespace service_internal

/// The |Service| in use: the one installed last, else Service::Fallback().
template <class Service>
Service& Current() {
  Service* service = service_internal::installed<Service>;
  return service ? *service : Service::Fallback();
}

/// Puts |service| (not owned; null means the fallback) in use for as long
/// as this object lives, then restores the one before.
template <class Service>
class Installed {
 public:
  explicit Installed(Service* service)
      : previous_(
            std::exchange(service_internal::installed<Service>, service)) {}
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
  ~Installed() { service_internal::installed<Service> = previous_; }

 private:
  Service* previous_;
};

}  // namespace tarnel

#endif  // TARNEL_PLATFORM_SERVICE_H_
