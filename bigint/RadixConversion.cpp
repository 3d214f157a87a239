// Base conversion: one-limb chunks of digits, and divide and conquer on powers
// base^(d 2^k) for long numbers, so that the cost follows that of division and product.
#include "RadixConversion.h"

#include <algorithm>
#include <cmath>

#include "LimbArithmetic.h"

namespace radix {

using limbs::Limb;
using limbs::Size;

// Timed on decimal text of 40 to 1000 blocks: the cost is flat from 16 to 48 limbs.
std::size_t basecaseLimbs = 24;

namespace {

// The largest power of the base that fits in one limb, and its number of digits.
struct Chunk {
  Limb power;
  unsigned digits;
};

Chunk chunkFor(unsigned base) {
  Chunk c{base, 1};
  while (c.power <= ~Limb(0) / base) {
    c.power *= base;
    ++c.digits;
  }
  return c;
}

void trim(std::vector<Limb>& v) {
  while (!v.empty() && v.back() == 0) v.pop_back();
}

// powers[k] = chunk^(2^k), made on demand by squaring.
class PowerTable {
 public:
  explicit PowerTable(Limb chunk) { table.push_back({chunk}); }
  const std::vector<Limb>& at(Size k) {
    while (table.size() <= k) {
      const std::vector<Limb>& last = table.back();
      std::vector<Limb> square(2 * last.size());
      limbs::multiply(square.data(), last.data(), last.size(), last.data(), last.size());
      trim(square);
      table.push_back(std::move(square));
    }
    return table[k];
  }

 private:
  std::vector<std::vector<Limb>> table;
};

// The digits of one chunk value r < chunk, least significant last, into out[pos - d .. pos).
// A template so that the common base 10 divides by a constant.
template <unsigned kBase>
void chunkDigits(Limb r, unsigned base, Digit* out, Size& pos, unsigned digits) {
  const unsigned b = kBase != 0 ? kBase : base;
  for (unsigned i = 0; i < digits && pos > 0; ++i) {
    out[--pos] = Digit(r % b);
    r /= b;
  }
}

// Writes digits by divide and conquer with balanced halves: a number of c chunks of digits is
// split at m_0 = ceil(c / 2) chunks, each half at m_1 = ceil(m_0 / 2), and so on down to the
// one-limb basecase, so that every division has a quotient about as long as its divisor. The
// powers chunk^m_t are made once per conversion, each from the next smaller one by squaring
// (and one exact division by the chunk when m_t is odd).
class DigitWriter {
 public:
  DigitWriter(unsigned base, Size count) : base(base), chunk(chunkFor(base)) {
    Size m = (count + chunk.digits - 1) / chunk.digits;
    while (m > basecaseLimbs) {
      m = (m + 1) / 2;
      splitChunks.push_back(m);
    }
    makePowers();
  }

  // Exactly count digits of x (n limbs, x < base^count) into out, most significant first;
  // `level` is the depth in the split (0 at the top).
  void write(const Limb* x, Size n, Digit* out, Size count, Size level = 0) {
    while (n > 0 && x[n - 1] == 0) --n;
    if (n <= basecaseLimbs || level >= splitChunks.size()) {
      basecase(x, n, out, count);
      return;
    }
    // x = q P + r with P = base^low: r gives the low digits, q the rest.
    const Size low = splitChunks[level] * chunk.digits;
    const std::vector<Limb>& p = powers[level];
    if (low >= count || n < p.size()) {
      const Size high = low >= count ? 0 : count - low;
      std::fill(out, out + high, Digit(0));
      write(x, n, out + high, count - high, level + 1);
      return;
    }
    std::vector<Limb> q(n - p.size() + 1), r(p.size());
    limbs::divide(q.data(), r.data(), x, n, p.data(), p.size());
    write(q.data(), q.size(), out, count - low, level + 1);
    write(r.data(), r.size(), out + (count - low), low, level + 1);
  }

 private:
  unsigned base;
  Chunk chunk;
  std::vector<Size> splitChunks;         // m_t for each level t
  std::vector<std::vector<Limb>> powers;  // chunk^m_t for each level t

  void makePowers() {
    const Size levels = splitChunks.size();
    powers.resize(levels);
    if (levels == 0) return;
    std::vector<Limb>& last = powers[levels - 1];
    last.assign(1, 1);
    for (Size i = 0; i < splitChunks[levels - 1]; ++i) {
      Limb carry = limbs::mul1(last.data(), last.data(), last.size(), chunk.power);
      if (carry) last.push_back(carry);
    }
    for (Size t = levels - 1; t-- > 0;) {
      const std::vector<Limb>& half = powers[t + 1];
      std::vector<Limb> square(2 * half.size());
      limbs::multiply(square.data(), half.data(), half.size(), half.data(), half.size());
      if (splitChunks[t] < 2 * splitChunks[t + 1])  // odd m_t: one chunk too many
        limbs::divRem1(square.data(), square.data(), square.size(), chunk.power);
      trim(square);
      powers[t] = std::move(square);
    }
  }

  void basecase(const Limb* x, Size n, Digit* out, Size count) {
    std::vector<Limb> w(x, x + n);
    Size pos = count;
    while (n > 0 && pos > 0) {
      Limb r = limbs::divRem1(w.data(), w.data(), n, chunk.power);
      while (n > 0 && w[n - 1] == 0) --n;
      if (base == 10) {
        chunkDigits<10>(r, base, out, pos, chunk.digits);
      } else {
        chunkDigits<0>(r, base, out, pos, chunk.digits);
      }
    }
    std::fill(out, out + pos, Digit(0));
  }
};

std::vector<Limb> limbsOf(const Blk* x, Size n) {
  std::vector<Limb> v((n + 1) / 2);
  for (Size i = 0; i < n; ++i) v[i / 2] |= Limb(x[i]) << (32 * (i % 2));
  return v;
}

class ValueReader {
 public:
  explicit ValueReader(unsigned base) : base(base), chunk(chunkFor(base)), powers(chunk.power) {}

  // The value of count digits, most significant first, as trimmed limbs.
  std::vector<Limb> read(const Digit* d, Size count) {
    if (count <= Size(chunk.digits) * basecaseLimbs) return basecase(d, count);
    // Low part: the last d 2^k digits for the largest such block below count.
    Size k = 0;
    while ((Size(chunk.digits) << (k + 1)) < count) ++k;
    Size low = Size(chunk.digits) << k;
    std::vector<Limb> hi = read(d, count - low), lo = read(d + (count - low), low);
    if (hi.empty()) return lo;
    const std::vector<Limb>& p = powers.at(k);
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
  PowerTable powers;

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

std::vector<Digit> digitsOf(const Blk* x, std::size_t n, unsigned base) {
  std::vector<Limb> v = limbsOf(x, n);
  // Room for every digit: ceil(bits / log2(base)) with a margin for rounding.
  double bits = 64.0 * double(v.size());
  Size count = Size(bits / std::log2(double(base))) + 2;
  std::vector<Digit> digits(count);
  DigitWriter(base, count).write(v.data(), v.size(), digits.data(), count);
  auto first = std::find_if(digits.begin(), digits.end(), [](Digit d) { return d != 0; });
  digits.erase(digits.begin(), first);
  return digits;
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
