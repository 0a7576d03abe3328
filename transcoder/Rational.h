#pragma once

#include <cstdint>
#include <optional>
#include <string>

// An exact fraction, used for frame rates and aspect ratios before they reach the libraries.
struct Rational {
    int64_t num = 0;
    int64_t den = 1;

    double ToDouble() const { return static_cast<double>(num) / static_cast<double>(den); }
    bool operator==(const Rational&) const = default;
};

// Reduces to lowest terms with a positive denominator.
Rational Reduced(Rational value);

// Reads "14.985", "25", "30000/1001" or "4:3" exactly as written (14.985 gives 2997/200).
// No value for anything else, for zero denominators and for values that do not fit.
std::optional<Rational> RationalFromText(const std::string& text);

// The closest fraction with a denominator of at most maxDen (continued fractions):
// 29.9700898503294 with maxDen 1001000 gives 30000/1001.
Rational RationalFromDouble(double value, int64_t maxDen);
