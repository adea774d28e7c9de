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

// Sets one variable of this process's environment, or removes it given
// nullptr (setenv and unsetenv; _putenv_s on Windows, where "" removes).
inline void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

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

  void Set(const char* value) { SetVariable(name_.c_str(), value); }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

}  // namespace tidewell::testing
