#pragma once
// The number pattern "0": a floating value rounded to a whole number (half
// away from zero), no decimals, no digit grouping.

#include "runtime/String.h"

namespace varnel::progress {

String FormatWholeNumber(long double value);

}  // namespace varnel::progress
