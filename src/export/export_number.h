// Numbers as the exports write them.
#pragma once

#include <string>

namespace ardenca::exports {

// The shortest decimal text that reads back as the same double ("0.1", "1e-05",
// "17.25"); an empty text for a value that is not finite.
std::string shortest(double value);

} // namespace ardenca::exports
