// Base conversion: the chunk table, the one-limb basecase, and divide and conquer on powers
// of the chunk for long numbers, so that the cost follows that of division and product.
#include "RadixConversion.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "LimbArithmetic.h"

namespace radix {

using limbs::Limb;
using limbs::Size;

// Timed on decimal text of 40 to 1000 blocks: the cost is flat from 16 to 48 limbs.
std::size_t basecaseLimbs = 24;

namespace {

constexpr Chunk computeChunk(unsigned base) {
  Chunk c{base, 1};
  while (c.power <= ~Limb(0) / base) {
    c.power *= base;
    ++c.digits;
  }
  return c;
}

constexpr unsigned kTableBases = 37;

constexpr std::array<Chunk, kTableBases> makeChunkTable() {
  std::array<Chunk, kTableBases> table{};
  for (unsigned base = 2; base < kTableBases; ++base) table[base] = computeChunk(base);
  return table;
}

constexpr std::array<Chunk, kTableBases> kChunks = makeChunkTable();

void trim(std::vector<Limb>& v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
}

// The decimal digits of 0..99 as pairs, tens first.
constexpr std::array<unsigned char, 200> makeDigitPairs() {
  std::array<unsigned char, 200> pairs{};
  for (unsigned d = 0; d < 100; ++d) {
    pairs[2 * d] = static_cast<unsigned char>(d / 10);
    pairs[2 * d + 1] = static_cast<unsigned char>(d % 10);
  }
  return pairs;
}
constexpr std::array<unsigned char, 200> kDigitPairs = makeDigitPairs();

// The `digits` decimal digits of x (with leading zeros) ending just before end, two at a time.
template <class Sym>
inline void writeDecimalPairs(std::uint64_t x, unsigned digits, Sym* end, Sym zero) {
  for (; digits >= 2; digits -= 2) {
    const unsigned pair = unsigned(x % 100);
    x /= 100;
    *--end = Sym(zero + kDigitPairs[2 * pair + 1]);
    *--end = Sym(zero + kDigitPairs[2 * pair]);
  }
  if (digits) *--end = Sym(zero + x % 10);
}

// The digits of one chunk r (below the chunk's power) into out, ending at out[pos) and not
// reaching below out[0]; returns the new pos. A whole decimal chunk is cut in two halves
// whose digits come out in pairs, two short independent chains instead of one of 19 steps.
template <unsigned kBase, class Sym>
inline Size writeChunk(Limb r, unsigned base, const Chunk& chunk, Sym* out, Size pos, Sym zero) {
  if constexpr (kBase == 10) {
    if (pos >= chunk.digits) {
      constexpr std::uint64_t kLowPower = 10000000000ull;  // 10^10
      writeDecimalPairs(r % kLowPower, 10, out + pos, zero);
      writeDecimalPairs(r / kLowPower, chunk.digits - 10, out + pos - 10, zero);
      return pos - chunk.digits;
    }
  }
  for (unsigned i = 0; i < chunk.digits && pos > 0; ++i) {
    out[--pos] = Sym(zero + r % base);
    r /= base;
  }
  return pos;
}

// Writes exactly `count` symbols for the value w (n limbs, destroyed) into out, most
// significant first, with leading zeros; the symbol of digit d is zero + d. A template so
// that the common base 10 divides by a constant.
template <unsigned kBase, class Sym>
void basecaseDigits(Limb* w, Size n, unsigned base, Sym* out, Size count, Sym zero) {
  const unsigned b = kBase != 0 ? kBase : base;
  const Chunk chunk = kBase != 0 ? kChunks[kBase] : chunkFor(base);
  Size pos = count;
  if (__builtin_clzll(chunk.power) == 0) {
    // A chunk with its top bit set (10^19 is one) needs no shift: two chunks come off in
    // each pass, the second division taking the first one's quotient limbs as they come out,
    // so that the two remainder chains run side by side.
    const Limb v = limbs::reciprocal(chunk.power);
    while (n > 0 && pos > 0) {
      Limb low = 0, next = 0;
      for (Size i = n; i-- > 0;) {
        const Limb q = limbs::divide2by1(low, w[i], chunk.power, v, &low);
        w[i] = limbs::divide2by1(next, q, chunk.power, v, &next);
      }
      while (n > 0 && w[n - 1] == 0) --n;
      pos = writeChunk<kBase>(low, b, chunk, out, pos, zero);
      pos = writeChunk<kBase>(next, b, chunk, out, pos, zero);
    }
  } else {
    while (n > 0 && pos > 0) {
      Limb r = limbs::divRem1(w, w, n, chunk.power);
      while (n > 0 && w[n - 1] == 0) --n;
      pos = writeChunk<kBase>(r, b, chunk, out, pos, zero);
    }
  }
  std::fill(out, out + pos, zero);
}

template <class Sym>
void basecase(Limb* w, Size n, unsigned base, Sym* out, Size count, Sym zero) {
  if (base == 10) {
    basecaseDigits<10>(w, n, base, out, count, zero);
  } else {
    basecaseDigits<0>(w, n, base, out, count, zero);
  }
}

// Writes digits by divide and conquer along the split rule, so that every division has a
// quotient about as long as its divisor. The powers chunk^m_t are made once per conversion,
// each from the next smaller one by squaring (and one exact division by the chunk when m_t
// is odd).
template <class Sym>
class DigitWriter {
 public:
  DigitWriter(unsigned base, Size count, Sym zero)
      : base(base),
        zero(zero),
        chunk(chunkFor(base)),
        splits(splitChunks((count + chunk.digits - 1) / chunk.digits)) {
    makePowers();
  }

  // Exactly count digits of x (n limbs, x < base^count) into out, most significant first;
  // `level` is the depth in the split (0 at the top).
  void write(const Limb* x, Size n, Sym* out, Size count, Size level = 0) {
    while (n > 0 && x[n - 1] == 0) --n;
    if (n <= basecaseLimbs || level >= splits.size()) {
      limbs::ScratchLimbs w(n);
      std::copy(x, x + n, w.get());
      basecase(w.get(), n, base, out, count, zero);
      return;
    }
    // x = q P + r with P = base^low: r gives the low digits, q the rest.
    const Size low = splits[level] * chunk.digits;
    const std::vector<Limb>& p = powers[level];
    if (low >= count || n < p.size()) {
      const Size high = low >= count ? 0 : count - low;
      std::fill(out, out + high, zero);
      write(x, n, out + high, count - high, level + 1);
      return;
    }
    const Size qn = n - p.size() + 1;
    limbs::ScratchLimbs buffer(qn + p.size());
    Limb *q = buffer.get(), *r = q + qn;
    limbs::divide(q, r, x, n, p.data(), p.size());
    write(q, qn, out, count - low, level + 1);
    write(r, p.size(), out + (count - low), low, level + 1);
  }

 private:
  unsigned base;
  Sym zero;
  Chunk chunk;
  std::vector<Size> splits;               // m_t for each level t
  std::vector<std::vector<Limb>> powers;  // chunk^m_t for each level t

  void makePowers() {
    const Size levels = splits.size();
    powers.resize(levels);
    if (levels == 0) return;
    for (Size t = levels; t-- > 0;) {
      if (recentPowers.find(base, splits[t], powers[t])) continue;
      if (t + 1 == levels) {
        std::vector<Limb>& last = powers[t];
        last.assign(1, 1);
        for (Size i = 0; i < splits[t]; ++i) {
          Limb carry = limbs::mul1(last.data(), last.data(), last.size(), chunk.power);
          if (carry) last.push_back(carry);
        }
        continue;
      }
      const std::vector<Limb>& half = powers[t + 1];
      std::vector<Limb> square(2 * half.size());
      limbs::multiply(square.data(), half.data(), half.size(), half.data(), half.size());
      if (splits[t] < 2 * splits[t + 1])  // odd m_t: one chunk too many
        limbs::divRem1(square.data(), square.data(), square.size(), chunk.power);
      trim(square);
      powers[t] = std::move(square);
    }
    recentPowers.keep(base, splits, powers);
  }

  // The powers of the last long conversion on this thread. A matrix display converts many
  // entries of about one length in a row; their splits share most exponents (all of them
  // when the lengths are equal), so each power is made once instead of once per entry.
  struct RecentPowers {
    unsigned base = 0;
    std::vector<Size> exponents;
    std::vector<std::vector<Limb>> powers;

    bool find(unsigned b, Size exponent, std::vector<Limb>& out) const {
      if (b != base) return false;
      for (Size k = 0; k < exponents.size(); ++k) {
        if (exponents[k] == exponent) {
          out = powers[k];
          return true;
        }
      }
      return false;
    }
    // Copies first, so that running out of memory leaves the kept powers as they were.
    void keep(unsigned b, const std::vector<Size>& e, const std::vector<std::vector<Limb>>& p) {
      std::vector<Size> newExponents = e;
      std::vector<std::vector<Limb>> newPowers = p;
      base = b;
      exponents.swap(newExponents);
      powers.swap(newPowers);
    }
  };
  static thread_local RecentPowers recentPowers;
};

template <class Sym>
thread_local typename DigitWriter<Sym>::RecentPowers DigitWriter<Sym>::recentPowers;

std::vector<Limb> limbsOf(const Blk* x, Size n) {
  std::vector<Limb> v((n + 1) / 2);
  for (Size i = 0; i < n; ++i) v[i / 2] |= Limb(x[i]) << (32 * (i % 2));
  return v;
}

// Room for every digit of an n-limb number: ceil(bits / log2(base)) with a margin for
// rounding.
Size digitRoom(Size n, unsigned base) { return Size(64.0 * double(n) / std::log2(double(base))) + 2; }

// Decimal text of up to this many limbs is made on the stack: a sign and the digit room.
constexpr Size kShortTextLimbs = 16;
constexpr Size kShortTextChars = 1 + Size(64.0 * kShortTextLimbs / 3.32) + 2;

// Exactly count digits of the n-limb value v (destroyed when short) into out.
template <class Sym>
void writeDigits(std::vector<Limb>& v, unsigned base, Sym* out, Size count, Sym zero) {
  if (v.size() <= basecaseLimbs) {
    basecase(v.data(), v.size(), base, out, count, zero);
  } else {
    DigitWriter<Sym>(base, count, zero).write(v.data(), v.size(), out, count);
  }
}

class ValueReader {
 public:
  explicit ValueReader(unsigned base) : base(base), chunk(chunkFor(base)) {}

  // The value of count digits, most significant first, as trimmed limbs.
  std::vector<Limb> read(const Digit* d, Size count) {
    if (count <= Size(chunk.digits) * basecaseLimbs) return basecase(d, count);
    // Low part: the last d 2^k digits for the largest such block below count.
    Size k = 0;
    while ((Size(chunk.digits) << (k + 1)) < count) ++k;
    Size low = Size(chunk.digits) << k;
    std::vector<Limb> hi = read(d, count - low), lo = read(d + (count - low), low);
    if (hi.empty()) return lo;
    const std::vector<Limb>& p = power(k);
    std::vector<Limb> result(hi.size() + p.size() + 1, 0);
    limbs::multiply(result.data(), hi.data(), hi.size(), p.data(), p.size());
    if (!lo.empty()) {
      Limb carry = limbs::addN(result.data(), result.data(), lo.data(), lo.size());
      limbs::add1(result.data() + lo.size(), result.data() + lo.size(), result.size() - lo.size(), carry);
    }
    trim(result);
    return result;
  }

 private:
  unsigned base;
  Chunk chunk;
  std::vector<std::vector<Limb>> powers;  // chunk^(2^k), made on demand by squaring

  const std::vector<Limb>& power(Size k) {
    if (powers.empty()) powers.push_back({chunk.power});
    while (powers.size() <= k) {
      const std::vector<Limb>& last = powers.back();
      std::vector<Limb> square(2 * last.size());
      limbs::multiply(square.data(), last.data(), last.size(), last.data(), last.size());
      trim(square);
      powers.push_back(std::move(square));
    }
    return powers[k];
  }

  // Horner's scheme, one chunk of digits per step.
  std::vector<Limb> basecase(const Digit* d, Size count) {
    std::vector<Limb> v;
    v.reserve(count / chunk.digits + 2);
    Size i = 0;
    while (i < count) {
      Size take = std::min<Size>(chunk.digits, count - i);
      Limb power = 1, value = 0;
      for (Size t = 0; t < take; ++t, ++i) {
        power *= base;
        value = value * base + d[i];
      }
      Limb carry = limbs::mul1(v.data(), v.data(), v.size(), power);
      if (carry) v.push_back(carry);
      carry = limbs::add1(v.data(), v.data(), v.size(), value);
      if (carry) v.push_back(carry);
    }
    trim(v);
    return v;
  }
};

}  // namespace

Chunk chunkFor(unsigned base) { return base < kTableBases ? kChunks[base] : computeChunk(base); }

std::vector<std::size_t> splitChunks(std::size_t chunks) {
  std::vector<std::size_t> m;
  while (chunks > basecaseLimbs) {
    chunks = (chunks + 1) / 2;
    m.push_back(chunks);
  }
  return m;
}

std::vector<Digit> digitsOf(const Blk* x, std::size_t n, unsigned base) {
  std::vector<Limb> v = limbsOf(x, n);
  const Size count = digitRoom(v.size(), base);
  std::vector<Digit> digits(count);
  writeDigits(v, base, digits.data(), count, Digit(0));
  auto first = std::find_if(digits.begin(), digits.end(), [](Digit d) { return d != 0; });
  digits.erase(digits.begin(), first);
  return digits;
}

std::string decimalText(const Blk* x, std::size_t n, bool minus) {
  if (n == 0) return "0";
  const Size limbCount = (n + 1) / 2;
  if (limbCount <= kShortTextLimbs && limbCount <= basecaseLimbs) {
    // The common short case without allocation (a short result fits the string's own room).
    Limb w[kShortTextLimbs] = {};
    for (Size i = 0; i < n; ++i) w[i / 2] |= Limb(x[i]) << (32 * (i % 2));
    char text[kShortTextChars];
    char* const end = text + sizeof text;
    char* start = end;
    if (limbCount == 1) {
      for (Limb v = w[0]; v != 0; v /= 10) *--start = char('0' + v % 10);
    } else {
      const Size count = digitRoom(limbCount, 10);
      start = end - count;
      basecase(w, limbCount, 10, start, count, '0');
      start = std::find_if(start, end, [](char c) { return c != '0'; });  // x != 0
    }
    if (minus) *--start = '-';
    return std::string(start, end);
  }
  std::vector<Limb> v = limbsOf(x, n);
  const Size count = digitRoom(v.size(), 10), sign = minus ? 1 : 0;
  std::string s(sign + count, '-');
  writeDigits(v, 10, s.data() + sign, count, '0');
  const Size leadingZeros = s.find_first_not_of('0', sign) - sign;  // x != 0: a digit is not 0
  s.erase(sign, leadingZeros);
  return s;
}

std::vector<Blk> valueOf(const Digit* digits, std::size_t count, unsigned base) {
  std::vector<Limb> v = ValueReader(base).read(digits, count);
  std::vector<Blk> blocks(2 * v.size());
  for (Size i = 0; i < v.size(); ++i) {
    blocks[2 * i] = Blk(v[i]);
    blocks[2 * i + 1] = Blk(v[i] >> 32);
  }
  while (!blocks.empty() && blocks.back() == 0) blocks.pop_back();
  return blocks;
}

}  // namespace radix
