// BigUnsignedInABase: the digits of an unsigned integer in a base from 2 to 36.
#pragma once

#include <cstdint>
#include <string>

#include "BigUnsigned.h"
#include "NumberlikeArray.h"

// Digits least significant first in `blocks`, each below `base`, no leading zero digit; zero
// has length 0.
class BigUnsignedInABase : public NumberlikeArray<std::uint16_t> {
 public:
  typedef std::uint16_t Digit;
  typedef std::uint16_t Base;
  typedef NumberlikeArray<Digit>::Index Index;

  Base base;

  // Zero in base 2.
  BigUnsignedInABase() : NumberlikeArray<Digit>(), base(2) {}
  BigUnsignedInABase(const BigUnsignedInABase& x) = default;
  BigUnsignedInABase(BigUnsignedInABase&& x) noexcept = default;
  BigUnsignedInABase& operator=(const BigUnsignedInABase& x) = default;
  BigUnsignedInABase& operator=(BigUnsignedInABase&& x) noexcept = default;
  ~BigUnsignedInABase() = default;

  // The n digits d, least significant first, in the base; checked and trimmed.
  BigUnsignedInABase(const Digit* d, Index n, Base base);
  // The digits of x in the base.
  BigUnsignedInABase(const BigUnsigned& x, Base base);
  // The digits written in s, most significant first.
  BigUnsignedInABase(const std::string& s, Base base);

  // The value of the digits.
  operator BigUnsigned() const;
  // The digit string, most significant first; "0" for zero.
  operator std::string() const;

  bool isZero() const { return length == 0; }

  bool operator==(const BigUnsignedInABase& x) const {
    return base == x.base && NumberlikeArray<Digit>::operator==(x);
  }
  bool operator!=(const BigUnsignedInABase& x) const { return !operator==(x); }
};
