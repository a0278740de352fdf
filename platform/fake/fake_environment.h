// Control of the fake environment (environment.h). After fake::Reset no
// variable is set; names compare without regard to case.
#pragma once

#include <string>

namespace platform::fake {

void SetEnvironmentText(const std::string& name, const std::string& value);

}  // namespace platform::fake
