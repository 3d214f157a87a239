// NumberlikeArray: the owned, growable element array under BigUnsigned and BigUnsignedInABase.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

// An array of elements of which the first `length` are in use, in an owned buffer of
// `capacity` elements. Element 0 is the least significant. Capacity never shrinks; only the
// destructor releases the buffer. Every object owns its buffer alone.
template <class Blk>
class NumberlikeArray {
 public:
  typedef std::uint32_t Index;
  static constexpr unsigned int N = 8 * sizeof(Blk);  // bits per element

  Index capacity;
  Index length;
  Blk* blocks;

  NumberlikeArray() noexcept : capacity(0), length(0), blocks(nullptr) {}

  // Copies get an array of exactly the source's length (also when that is 0).
  NumberlikeArray(const NumberlikeArray& x) : capacity(x.length), length(x.length) {
    blocks = new Blk[capacity];
    copyElements(blocks, x.blocks, length);
  }

  NumberlikeArray(const Blk* b, Index n) : capacity(n), length(n) {
    blocks = new Blk[capacity];
    copyElements(blocks, b, n);
  }

  // Moving steals the buffer; the source is left empty (zero, no array).
  NumberlikeArray(NumberlikeArray&& x) noexcept
      : capacity(x.capacity), length(x.length), blocks(x.blocks) {
    x.capacity = 0;
    x.length = 0;
    x.blocks = nullptr;
  }

  ~NumberlikeArray() { delete[] blocks; }

  NumberlikeArray& operator=(const NumberlikeArray& x) {
    if (this != &x) assignFrom(x.blocks, x.length);
    return *this;
  }

  // A move keeps this object's buffer when it is large enough (capacity never shrinks);
  // otherwise the buffers are exchanged and the source takes the smaller one.
  NumberlikeArray& operator=(NumberlikeArray&& x) noexcept {
    if (this == &x) return *this;
    if (capacity >= x.length) {
      length = x.length;
      copyElements(blocks, x.blocks, length);
    } else {
      std::swap(capacity, x.capacity);
      std::swap(blocks, x.blocks);
      length = x.length;
      x.length = 0;
    }
    return *this;
  }

  // Makes room for c elements; the old contents are lost when the buffer is replaced.
  void allocate(Index c) {
    if (c > capacity) {
      Blk* fresh = new Blk[c];
      delete[] blocks;
      blocks = fresh;
      capacity = c;
    }
  }

  // Makes room for c elements keeping the first `length` of them.
  void allocateAndCopy(Index c) {
    if (c > capacity) {
      Blk* fresh = new Blk[c];
      copyElements(fresh, blocks, length);
      delete[] blocks;
      blocks = fresh;
      capacity = c;
    }
  }

  void swapArrays(NumberlikeArray& x) noexcept {
    std::swap(capacity, x.capacity);
    std::swap(length, x.length);
    std::swap(blocks, x.blocks);
  }

  Index getCapacity() const { return capacity; }
  Index getLength() const { return length; }
  Blk getBlock(Index i) const { return blocks[i]; }
  bool isEmpty() const { return length == 0; }

  bool operator==(const NumberlikeArray& x) const {
    if (length != x.length) return false;
    for (Index i = 0; i < length; ++i)
      if (blocks[i] != x.blocks[i]) return false;
    return true;
  }
  bool operator!=(const NumberlikeArray& x) const { return !operator==(x); }

  void trimLeadingZeros() {
    while (length > 0 && blocks[length - 1] == 0) --length;
  }

 protected:
  void assignFrom(const Blk* b, Index n) {
    allocate(n);
    length = n;
    copyElements(blocks, b, n);
  }

  static void copyElements(Blk* to, const Blk* from, Index n) {
    if (n != 0) std::memcpy(to, from, sizeof(Blk) * n);
  }
};
