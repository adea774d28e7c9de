// One environment variable set (or, given nullptr, unset) for the life of
// the object; the old value, or its absence, comes back when it goes, also
// when an assertion ends the test early.
//
//   ScopedVariable data("XDG_DATA_HOME", base + "/data");
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tidewell::testing {

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ScopedVariable(const char* name, const std::string& value) : ScopedVariable(name, value.c_str()) {}
  ~ScopedVariable() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

  void Set(const char* value) {
    if (value != nullptr) {
      setenv(name_.c_str(), value, 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace tidewell::testing
