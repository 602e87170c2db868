#include "Nibbles.h"

#include <algorithm>
#include <cmath>

#include "RunTime.h"

namespace angoka {
namespace {

// floor(u * count) + 1, kept in 1..count even for a draw outside [0, 1).
int Pick(double u, int count) {
    const double scaled = std::floor(u * count);
    if (!(scaled >= 0)) return 1;  // also NaN
    return static_cast<int>(std::min<double>(scaled, count - 1)) + 1;
}

}  // namespace

RoundKey DrawRoundKey(RunTime& services) {
    RoundKey key;
    key.offset = Pick(services.Rnd(), kOffsetValues);
    key.decoy = Pick(services.Rnd(), kDecoyValues);
    return key;
}

}  // namespace angoka
