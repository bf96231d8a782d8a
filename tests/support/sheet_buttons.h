// The classic wizard sheet's own buttons, found by every program that drives the setup from
// outside: the end-to-end suites, the benchmarks and the demo's tour.
#pragma once

namespace driver {

constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;

}  // namespace driver
