// Loading of outside libraries by their Windows name ("UNLHA32.DLL").
#pragma once

#include <memory>
#include <string>

namespace platform {

class Library {
 public:
  virtual ~Library() = default;
  // Address of an exported function; nullptr when the library lacks it.
  virtual void* symbol(const std::string& name) = 0;
};

class Libraries {
 public:
  virtual ~Libraries() = default;
  // nullptr when the library cannot be loaded. The library is freed with the object.
  virtual std::unique_ptr<Library> load(const std::string& name) = 0;
};

}  // namespace platform
