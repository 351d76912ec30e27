#pragma once
#include <stdexcept>

namespace platform::sim {

// A machine folder or machine.json that cannot be used; what() names the file and the problem.
class MachineFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

}  // namespace platform::sim
