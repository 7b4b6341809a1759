#pragma once
// The rule of the two elapsed-time clocks of the status panel (connected time and accelerated
// time): seconds, minutes and hours in signed 32-bit fields, carrying at 60, hours unbounded,
// never reset, shown as " %2d hrs : %2d mins : %2d secs".

#include <cstdint>
#include <string>

namespace clock_rule {

// One tick: one more second, carried into minutes and hours.
void Tick(std::int32_t& hours, std::int32_t& minutes, std::int32_t& seconds);

std::string Format(std::int32_t hours, std::int32_t minutes, std::int32_t seconds);

} // namespace clock_rule
