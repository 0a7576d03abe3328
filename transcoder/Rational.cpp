#include "transcoder/Rational.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace {

constexpr int64_t kMaxDecimalDigits = 12;

std::optional<int64_t> ParseDigits(const std::string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(kMaxDecimalDigits))
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<Rational> DecimalFromText(const std::string& text) {
    const auto dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    if (whole.size() + fraction.size() > static_cast<size_t>(kMaxDecimalDigits))
        return std::nullopt;
    const auto digits = ParseDigits(whole + fraction);
    if (!digits)
        return std::nullopt;
    int64_t den = 1;
    for (size_t i = 0; i < fraction.size(); ++i)
        den *= 10;
    return Reduced({*digits, den});
}

} // namespace

Rational Reduced(Rational value) {
    if (value.den < 0) {
        value.num = -value.num;
        value.den = -value.den;
    }
    const int64_t divisor = std::gcd(value.num, value.den);
    if (divisor > 1) {
        value.num /= divisor;
        value.den /= divisor;
    }
    return value;
}

std::optional<Rational> RationalFromText(const std::string& text) {
    const auto separator = text.find_first_of("/:");
    if (separator == std::string::npos)
        return DecimalFromText(text);
    const auto num = DecimalFromText(text.substr(0, separator));
    const auto den = DecimalFromText(text.substr(separator + 1));
    if (!num || !den || den->num == 0)
        return std::nullopt;
    // (a/b) / (c/d) = (a*d) / (b*c)
    int64_t n = 0;
    int64_t d = 0;
    if (__builtin_mul_overflow(num->num, den->den, &n) || __builtin_mul_overflow(num->den, den->num, &d))
        return std::nullopt;
    return Reduced({n, d});
}

Rational RationalFromDouble(double value, int64_t maxDen) {
    if (!std::isfinite(value) || maxDen < 1)
        return {0, 1};
    const bool negative = value < 0;
    double rest = std::fabs(value);
    // Convergents h/k of the continued fraction, stopped before the denominator grows too large.
    int64_t h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    for (int step = 0; step < 64; ++step) {
        const double whole = std::floor(rest);
        if (whole > 1e15)
            break;
        const auto a = static_cast<int64_t>(whole);
        const int64_t h2 = a * h1 + h0;
        const int64_t k2 = a * k1 + k0;
        if (k2 > maxDen)
            break;
        h0 = h1;
        h1 = h2;
        k0 = k1;
        k1 = k2;
        const double fraction = rest - whole;
        if (fraction < 1e-9 || std::fabs(static_cast<double>(h1) / static_cast<double>(k1) -
                                         std::fabs(value)) < 1e-12 * std::fabs(value))
            break;
        rest = 1.0 / fraction;
    }
    if (k1 == 0)
        return {0, 1};
    return Reduced({negative ? -h1 : h1, k1});
}
