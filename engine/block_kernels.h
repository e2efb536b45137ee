// The fast line and text conversions, written once over a path's block
// marks. Each path (words/, sse2/, avx2/) defines a type `Bits` with the
// four marks below and instantiates these in its own file, where its
// instruction set applies:
//   static std::uint64_t lead(const unsigned char* block);
//   static std::uint64_t trail(const unsigned char* block);
//   static std::uint64_t breaks(const unsigned char* block);
//   template <ControlRule R> static std::uint64_t special(const unsigned char* block);
// each one bit per byte of a 64-byte block, as block_path.h's detail
// functions describe them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block_implementation.h"
#include "codes.h"
#include "flat_entry.h"
#include "line_rules.h"

namespace morvel::blocks {

constexpr bool isBreak(unsigned char b) { return b == '\r' || b == '\n'; }

// The input goes in blocks of 64 bytes, one bit per byte.
inline constexpr std::ptrdiff_t kBlock = 64;

// The lead bytes of a block followed by a byte that can be their trail;
// `trailAfter` tells whether the byte after the block can be. A lead byte
// followed by any other byte is a character of its own that yields nothing.
inline std::uint64_t pairingLeads(std::uint64_t leads, std::uint64_t trails, bool trailAfter) {
  return leads & (trails >> 1 | std::uint64_t{trailAfter} << 63);
}

// The bytes of a block that start a character. A pairing lead byte that
// starts a character makes the next byte its trail, so in a run of them
// every other one starts a character, and the byte after the run is a trail
// when the run's starting characters end on a pairing lead. The runs are
// told apart with one subtraction, as escaped characters are found after
// runs of backslashes. `trail` comes in as 1 when byte 0 is the trail of a
// pair begun in the block before, and goes out as 1 when byte 64 is.
inline std::uint64_t characterStarts(std::uint64_t leads, std::uint64_t& trail) {
  constexpr std::uint64_t odd = 0xAAAAAAAAAAAAAAAAull;
  const std::uint64_t maybeLeads = leads & ~trail;
  const std::uint64_t ends = (((maybeLeads << 1) | odd) - maybeLeads) ^ odd;
  const std::uint64_t trails = ends ^ (leads | trail);
  trail = (ends & leads) >> 63;
  return ~trails;
}

// Looks up every character that starts at a set bit of `starts`. A byte
// that is not a lead has the same entry whatever follows it, and a lead
// byte's entry says whether the next byte is its trail, so the code is
// always read as two bytes.
inline char* putCharacters(const std::uint32_t* flat, const unsigned char* in, std::uint64_t starts, char* out) {
  while (starts != 0) {
    const auto at = static_cast<std::size_t>(std::countr_zero(starts));
    starts &= starts - 1;
    out = put(out, flat[pairIndex(in + at)]);
    if (starts == 0) break;
    const auto next = static_cast<std::size_t>(std::countr_zero(starts));
    starts &= starts - 1;
    out = put(out, flat[pairIndex(in + next)]);
  }
  return out;
}

template <class Bits, ControlRule R>
inline char* lineWith(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end, LineState& state,
                      char* out) {
  const unsigned char* const lineStart = in;
  if (in == end) return out;
  // A lead byte left from the line before takes the first byte as its trail
  // when it can be one, and is dropped otherwise.
  if (state.pending) {
    state.pending = false;
    if (isTrailByte(*in)) {
      out = put(out, flat[pairIndex(state.lead, *in)]);
      ++in;
    }
    if (in == end) return out;
  }
  std::uint64_t trail = 0;
  // Whole blocks while a byte follows them, for a pair that crosses the end.
  while (end - in > kBlock) {
    const std::uint64_t special = Bits::template special<R>(in);
    if ((special | trail) == 0) {
      std::memcpy(out, in, kBlock);
      out += kBlock;
      in += kBlock;
      continue;
    }
    const std::uint64_t leads = pairingLeads(Bits::lead(in), Bits::trail(in), isTrailByte(in[kBlock]));
    const std::uint64_t starts = characterStarts(leads, trail);
    out = putCharacters(flat, in, starts, out);
    in += kBlock;
  }
  if (in == end) return out;
  // The last 1 to 64 bytes, read as the end of a block that reaches back
  // over bytes already converted, or of a zero-padded copy when the line is
  // too short for that.
  const auto left = static_cast<std::size_t>(end - in);
  const std::size_t behind = kBlock - left;
  const unsigned char* block = in - behind;
  unsigned char padded[kBlock];
  if (static_cast<std::size_t>(in - lineStart) < behind) {
    std::memset(padded, 0, sizeof padded);
    std::memcpy(padded + behind, in, left);
    block = padded;
  }
  const unsigned char* tail = block + behind;
  const std::uint64_t special = Bits::template special<R>(block) >> behind;
  if ((special | trail) == 0) {
    std::memcpy(out, tail, left);
    return out + left;
  }
  // Bits past the end do not matter: a character's start depends only on
  // the bytes before it. The last byte is never a pairing lead here, as no
  // byte follows it in the line.
  const std::uint64_t leads = pairingLeads(Bits::lead(block), Bits::trail(block), false);
  const std::uint64_t starts = characterStarts(leads >> behind, trail);
  const std::uint64_t last = 1ull << (left - 1);
  out = putCharacters(flat, tail, starts & (last - 1), out);
  // The last byte has no byte after it to read: alone it is looked up by
  // itself, and a lead byte waits for the next line.
  const unsigned char lastByte = tail[left - 1];
  const bool lastStarts = (starts & last) != 0;
  const bool lastLeads = isLeadByte(lastByte);
  state.lead = lastByte;
  state.pending = lastStarts && lastLeads;
  return put(out, lastStarts && !lastLeads ? flat[pairIndex(lastByte, 0)] : 0u);
}

// Text one byte at a time over the text table, from `in` until it reaches
// `stop` with no lead byte waiting, or the end. A lead byte always waits
// for the next byte other than CR and LF: a trail makes a pair with it, any
// other byte drops it. CR gives nothing and LF the line end, from the table.
inline char* textByBytes(const std::uint32_t* flat, const unsigned char*& in, const unsigned char* end,
                         const unsigned char* stop, LineState& state, char* out) {
  for (; in < end && (in < stop || state.pending); ++in) {
    const unsigned char b = *in;
    if (b == '\r') continue;
    if (state.pending && b != '\n') {
      state.pending = false;
      if (isTrailByte(b)) {
        out = put(out, flat[pairIndex(state.lead, b)]);
        continue;
      }
    }
    if (isLeadByte(b)) {
      state.lead = b;
      state.pending = true;
      continue;
    }
    out = put(out, flat[pairIndex(b, 0)]);
  }
  return out;
}

// Copies the `n` bytes (at most 64) at `from`: it reads and writes 64
// whatever `n` is, which takes no branch on it.
inline char* copyShort(char* out, const unsigned char* from, std::size_t n) {
  std::memcpy(out, from, kBlock);
  return out + n;
}

// A block whose bytes all copy as themselves, but for its CR and LF bytes
// (`breaks`): the runs between them are copied, the breaks looked up.
inline char* copyRuns(const std::uint32_t* flat, const unsigned char* in, std::uint64_t breaks, char* out) {
  const unsigned char* from = in;
  while (breaks != 0) {
    const unsigned char* at = in + std::countr_zero(breaks);
    breaks &= breaks - 1;
    out = copyShort(out, from, static_cast<std::size_t>(at - from));
    out = put(out, flat[pairIndex(at)]);
    from = at + 1;
  }
  return copyShort(out, from, static_cast<std::size_t>(in + kBlock - from));
}

template <class Bits, ControlRule R>
inline char* textWith(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end, LineState& state,
                      char* out) {
  // A lead byte left from before takes the next byte as its trail, or is
  // dropped.
  if (state.pending) out = textByBytes(flat, in, end, in, state, out);
  std::uint64_t trail = 0;
  // Whole blocks while a byte follows them, for a pair that crosses the end.
  while (end - in > kBlock) {
    const std::uint64_t special = Bits::template special<R>(in);
    const std::uint64_t breaks = Bits::breaks(in);
    if ((special | breaks | trail) == 0) {
      std::memcpy(out, in, kBlock);
      out += kBlock;
      in += kBlock;
      continue;
    }
    // copyRuns reads up to 64 bytes past the block.
    if ((trail | (special & ~breaks)) == 0 && end - in >= 2 * kBlock) {
      out = copyRuns(flat, in, breaks, out);
      in += kBlock;
      continue;
    }
    const std::uint64_t trailIn = trail;
    const std::uint64_t leads = Bits::lead(in);
    const std::uint64_t pairing = pairingLeads(leads, Bits::trail(in), isTrailByte(in[kBlock]));
    const std::uint64_t starts = characterStarts(pairing, trail);
    // A lead byte before a CR or LF waits for the byte after them, which
    // the byte-at-a-time form follows; it goes on until no lead waits.
    const std::uint64_t beforeBreak = breaks >> 1 | std::uint64_t{isBreak(in[kBlock])} << 63;
    if ((starts & leads & beforeBreak) != 0) {
      const unsigned char* const stop = in + kBlock;
      in += trailIn;
      out = textByBytes(flat, in, end, stop, state, out);
      trail = 0;
      continue;
    }
    out = putCharacters(flat, in, starts, out);
    in += kBlock;
  }
  in += trail;
  return textByBytes(flat, in, end, end, state, out);
}

// The record of the path `Bits` for the dispatch.
template <class Bits>
constexpr Implementation implementationOf(BlockPath path) {
  return {path,
          {lineWith<Bits, ControlRule::copy>, lineWith<Bits, ControlRule::skip>},
          {textWith<Bits, ControlRule::copy>, textWith<Bits, ControlRule::skip>},
          Bits::lead,
          Bits::trail,
          Bits::breaks,
          {Bits::template special<ControlRule::copy>, Bits::template special<ControlRule::skip>}};
}

}  // namespace morvel::blocks
