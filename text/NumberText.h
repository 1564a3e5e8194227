#pragma once
// Numbers read out of typed text the way the window's fields are read: the
// number the text begins with, after leading white space, and 0 when it does
// not begin with one. Never NaN or infinite: a number too large for its type
// saturates at the type's largest value.

#include <string_view>

namespace eggtimer {

// A decimal number with optional sign, fraction and exponent ("1.5", "-2e3").
float floatValueOf(std::string_view text);

// A decimal integer with optional sign ("42", "-1").
int intValueOf(std::string_view text);

} // namespace eggtimer
