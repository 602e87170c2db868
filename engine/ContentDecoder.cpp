#include "ContentDecoder.h"

#include <algorithm>

#include "Envelope.h"
#include "Kernels.h"
#include "Nibbles.h"

namespace angoka {
namespace {

// The byte that a shift of `shift` turns into `c`.
std::uint8_t RawOf(char c, int shift) {
    return ShiftNibbles(static_cast<std::uint8_t>(c), Mod16(-shift));
}

}  // namespace

ContentDecoder::ContentDecoder(int shift, Sink out, std::size_t bufferSize)
    : shift_(shift),
      rawCR_(RawOf('\r', shift)),
      rawLF_(RawOf('\n', shift)),
      out_(std::move(out)),
      buffer_(bufferSize),
      skip_(kFormatMarker.size()) {}

void ContentDecoder::Feed(const std::uint8_t* in, std::size_t size) {
    const std::uint8_t* const end = in + size;
    while (in < end) {
        if (afterCR_) {
            afterCR_ = false;
            if (*in == rawLF_) {
                ++in;
                continue;
            }
        }
        if (skip_ > 0) {
            in += SkipMarker(in, static_cast<std::size_t>(end - in));
        } else if (bad_) {
            in += CountDamaged(in, static_cast<std::size_t>(end - in));
        } else {
            in += Decode(in, static_cast<std::size_t>(end - in));
            // Decoding stops at a line end or at damage; from damage on it only counts.
            if (in < end && *in != rawCR_) {
                bad_ = true;
                continue;
            }
        }
        if (in < end && *in == rawCR_) {
            afterCR_ = true;
            ++in;
        }
    }
}

Outcome ContentDecoder::Verdict() {
    const std::uint64_t characters = count_ + (counter_ ? counter_->Finish() : 0);
    if (characters % 2 != 0) return Outcome::OddLength;
    return bad_ ? Outcome::BadHex : Outcome::Ok;
}

void ContentDecoder::Flush() {
    if (!bad_ && used_ > 0) {
        out_(buffer_.data(), used_);
        written_ += used_;
    }
    used_ = 0;
}

// The marker's characters (checked by the open step), up to a line end.
std::size_t ContentDecoder::SkipMarker(const std::uint8_t* in, std::size_t size) {
    const std::size_t n = FindShifted(in, std::min(size, skip_), '\r', shift_);
    skip_ -= n;
    return n;
}

// Digits up to the first byte that is none, a digit left open by the last call first; returns
// how many bytes were digits.
std::size_t ContentDecoder::Decode(const std::uint8_t* in, std::size_t size) {
    std::size_t taken = 0;
    if (half_ >= 0) {
        if (used_ == buffer_.size()) Flush();
        const std::uint8_t pair[2] = {static_cast<std::uint8_t>(half_), in[0]};
        if (DecodeShiftedDigits(pair, 2, buffer_.data() + used_, shift_) < 2) return 0;
        ++used_;
        ++count_;
        half_ = -1;
        taken = 1;
    }
    while (taken < size) {
        if (used_ == buffer_.size()) Flush();
        const std::size_t want = std::min(size - taken, 2 * (buffer_.size() - used_));
        const std::size_t digits = DecodeShiftedDigits(in + taken, want, buffer_.data() + used_, shift_);
        used_ += digits / 2;
        count_ += digits;
        taken += digits;
        if (digits % 2 != 0) half_ = in[taken - 1];
        if (digits < want || half_ >= 0) break;
    }
    return taken;
}

// The characters of damaged content up to a line end, shifted back (damage is rare) and
// counted: bytes while they are ASCII, then the converter, which carries a character split
// between two pieces.
std::size_t ContentDecoder::CountDamaged(const std::uint8_t* in, std::size_t size) {
    const std::size_t n = FindShifted(in, size, '\r', shift_);
    scratch_.assign(in, in + n);
    ShiftAll(scratch_.data(), n, shift_);
    std::string_view piece(reinterpret_cast<const char*>(scratch_.data()), n);
    if (!counter_) {
        const auto other = std::find_if(piece.begin(), piece.end(), [](char c) { return (c & 0x80) != 0; });
        count_ += static_cast<std::uint64_t>(other - piece.begin());
        if (other == piece.end()) return n;
        piece.remove_prefix(static_cast<std::size_t>(other - piece.begin()));
        counter_ = std::make_unique<NarrowUnitCounter>();
    }
    counter_->Feed(piece);
    return n;
}

}  // namespace angoka
