// Lines rich in ties for the sort suites that hold the engine to the plain
// procedure.
#ifndef TARNEL_TESTS_ENGINE_TIE_HEAVY_H_
#define TARNEL_TESTS_ENGINE_TIE_HEAVY_H_

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace tarnel {

/// |n| lines drawn from |rng|: short lines, missing and equal fields, case
/// twins, numbers with and without quotes and signs, long shared prefixes
/// and bytes above 127.
std::vector<std::string> TieHeavy(std::mt19937& rng, std::size_t n);

}  // namespace tarnel

#endif  // TARNEL_TESTS_ENGINE_TIE_HEAVY_H_
