#pragma once

#include <stdexcept>
#include <string>

namespace lorvika::dbf {

// The one kind of failure the engine reports. The message names the table file concerned.
class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lorvika::dbf
