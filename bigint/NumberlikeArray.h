// NumberlikeArray: the owned, growable element array under BigUnsigned and BigUnsignedInABase.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

// An array of elements of which the first `length` are in use, in a buffer of `capacity`
// elements. Element 0 is the least significant. Capacity never shrinks; only the destructor
// releases the buffer. Every object owns its buffer alone.
//
// Small values live in the object itself: up to kInline elements (64 bits) are held in a
// buffer inside the object, and `blocks` points there, so a matrix of small entries makes no
// heap allocation per entry and an entry's digits sit in the same cache line as the entry.
// `blocks` is always a valid pointer to `capacity` elements; only arrays longer than kInline
// are on the heap. Moving an object with inline elements copies them (the pointer may not be
// carried over), so code must not keep `blocks` across a move or swap of its object.
template <class Blk>
class NumberlikeArray {
 public:
  typedef std::uint32_t Index;
  static constexpr unsigned int N = 8 * sizeof(Blk);  // bits per element
  static constexpr Index kInline = 8 / sizeof(Blk);   // elements held without an allocation

  Index capacity;
  Index length;
  Blk* blocks;

  NumberlikeArray() noexcept : capacity(kInline), length(0), blocks(inline_) {}

  // Copies get the inline buffer or an array of exactly the source's length.
  NumberlikeArray(const NumberlikeArray& x) : NumberlikeArray(x.blocks, x.length) {}

  NumberlikeArray(const Blk* b, Index n) : capacity(kInline), length(n), blocks(inline_) {
    if (n > kInline) {
      blocks = new Blk[n];
      capacity = n;
    }
    copyElements(blocks, b, n);
  }

  // Moving steals a heap buffer, or copies inline elements; the source is left empty (zero).
  NumberlikeArray(NumberlikeArray&& x) noexcept
      : capacity(kInline), length(x.length), blocks(inline_) {
    if (x.isInline()) {
      copyElements(inline_, x.inline_, length);
    } else {
      blocks = x.blocks;
      capacity = x.capacity;
      x.blocks = x.inline_;
      x.capacity = kInline;
    }
    x.length = 0;
  }

  ~NumberlikeArray() { releaseHeapArray(); }

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
    } else {  // x is longer than any inline buffer, so its array is on the heap: take it
      Blk* const theirs = x.blocks;
      const Index theirCapacity = x.capacity;
      if (isInline()) {
        x.blocks = x.inline_;
        x.capacity = kInline;
      } else {
        x.blocks = blocks;
        x.capacity = capacity;
      }
      blocks = theirs;
      capacity = theirCapacity;
      length = x.length;
      x.length = 0;
    }
    return *this;
  }

  // Makes room for c elements; the old contents are lost when the buffer is replaced.
  void allocate(Index c) {
    if (c > capacity) {
      Blk* fresh = new Blk[c];
      releaseHeapArray();
      blocks = fresh;
      capacity = c;
    }
  }

  // Makes room for c elements keeping the first `length` of them.
  void allocateAndCopy(Index c) {
    if (c > capacity) {
      Blk* fresh = new Blk[c];
      copyElements(fresh, blocks, length);
      releaseHeapArray();
      blocks = fresh;
      capacity = c;
    }
  }

  // Exchanges the contents (elements, lengths and buffers) of the two objects.
  void swapArrays(NumberlikeArray& x) noexcept {
    if (this == &x) return;
    if (!isInline() && !x.isInline()) {
      std::swap(capacity, x.capacity);
      std::swap(length, x.length);
      std::swap(blocks, x.blocks);
    } else if (isInline()) {
      takeHeapOrInline(x);
    } else {
      x.takeHeapOrInline(*this);
    }
  }

  Index getCapacity() const { return capacity; }
  Index getLength() const { return length; }
  Blk getBlock(Index i) const { return blocks[i]; }

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

 private:
  Blk inline_[kInline] = {};  // zero, so that reading a block past `length` is defined

  bool isInline() const { return blocks == inline_; }
  void releaseHeapArray() {
    if (!isInline()) delete[] blocks;
  }

  // The swap when this object's elements are inline: it takes x's contents (heap or inline)
  // and x gets this object's inline elements.
  void takeHeapOrInline(NumberlikeArray& x) noexcept {
    Blk mine[kInline];
    const Index myLength = length;
    copyElements(mine, inline_, myLength);
    if (x.isInline()) {
      copyElements(inline_, x.inline_, x.length);
    } else {
      blocks = x.blocks;
      capacity = x.capacity;
      x.blocks = x.inline_;
      x.capacity = kInline;
    }
    length = x.length;
    copyElements(x.inline_, mine, myLength);
    x.length = myLength;
  }
};
