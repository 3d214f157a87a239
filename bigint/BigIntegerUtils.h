// The whole integer layer in one include, with decimal strings and stream output.
#pragma once

#include <ostream>
#include <string>

#include "BigInteger.h"
#include "BigUnsigned.h"
#include "BigUnsignedInABase.h"
#include "NumberlikeArray.h"

// Decimal text of x ("0" for zero, a leading "-" for negative values).
std::string bigUnsignedToString(const BigUnsigned& x);
std::string bigIntegerToString(const BigInteger& x);
// Decimal text to a value; an optional leading "-" or "+" for BigInteger.
BigUnsigned stringToBigUnsigned(const std::string& s);
BigInteger stringToBigInteger(const std::string& s);

// Writes x in base 8, 10 or 16 as the stream's flags say ("0x" or "0" first with show-base).
std::ostream& operator<<(std::ostream& os, const BigUnsigned& x);
std::ostream& operator<<(std::ostream& os, const BigInteger& x);
