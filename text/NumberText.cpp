#include "text/NumberText.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace eggtimer {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return text.substr(i);
}

// Where a decimal number written in `number` (already known to be well
// formed) puts its first significant digit: positive for magnitudes of 1 and
// more. Saturating, so that absurd exponents cannot overflow.
std::int64_t decimalMagnitude(std::string_view number, bool& allZero) {
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    std::size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    std::int64_t digitsBeforePoint = 0, leadingZerosAfterPoint = 0;
    bool seenPoint = false, seenSignificant = false;
    for (; i < number.size() && (isDigit(number[i]) || number[i] == '.'); ++i) {
        if (number[i] == '.') {
            seenPoint = true;
        } else if (!seenSignificant && number[i] == '0') {
            if (seenPoint)
                ++leadingZerosAfterPoint;
        } else {
            seenSignificant = true;
            if (!seenPoint && digitsBeforePoint < kLimit)
                ++digitsBeforePoint;
        }
    }
    allZero = !seenSignificant;
    std::int64_t exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool negative = number[i] == '-';
        if (number[i] == '+' || number[i] == '-')
            ++i;
        for (; i < number.size() && isDigit(number[i]); ++i)
            exponent = exponent < kLimit ? exponent * 10 + (number[i] - '0') : kLimit;
        if (negative)
            exponent = -exponent;
    }
    return (digitsBeforePoint > 0 ? digitsBeforePoint : -leadingZerosAfterPoint) + exponent;
}

// The longest prefix of `text` that reads as a decimal number, or empty.
std::string_view numberPrefix(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return {};
    std::size_t end = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && isDigit(text[i]))
            ++i, ++exponentDigits;
        if (exponentDigits > 0)
            end = i;
    }
    return text.substr(0, end);
}

} // namespace

float floatValueOf(std::string_view text) {
    std::string_view number = numberPrefix(skipBlanks(text));
    if (number.empty())
        return 0.0f;
    bool negative = number[0] == '-';
    // from_chars takes no leading '+'.
    std::string_view unsignedNumber = (number[0] == '+' || number[0] == '-') ? number.substr(1) : number;
    float value = 0.0f;
    auto [end, error] = std::from_chars(unsignedNumber.data(), unsignedNumber.data() + unsignedNumber.size(),
                                        value, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        bool allZero = false;
        bool tooLarge = decimalMagnitude(number, allZero) > 0 && !allZero;
        value = tooLarge ? std::numeric_limits<float>::max() : 0.0f;
    }
    return negative ? -value : value;
}

int intValueOf(std::string_view text) {
    text = skipBlanks(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    constexpr std::int64_t kMinMagnitude = -static_cast<std::int64_t>(std::numeric_limits<int>::min());
    const std::int64_t limit = negative ? kMinMagnitude : kMax;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = value < limit ? value * 10 + (text[i] - '0') : limit;
    if (value > limit)
        value = limit;
    return static_cast<int>(negative ? -value : value);
}

} // namespace eggtimer
