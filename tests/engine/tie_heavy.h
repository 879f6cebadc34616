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

/// |n| lines as the benchmark's prefixed CSV has them: one of a few first
/// words in one of its case forms, digits from a small range, and fields
/// that follow from the word and the digits, so that lines share prefixes
/// longer than any key an item holds and many differ only in case.
std::vector<std::string> SharedPrefixes(std::mt19937& rng, std::size_t n);

}  // namespace tarnel

#endif  // TARNEL_TESTS_ENGINE_TIE_HEAVY_H_
