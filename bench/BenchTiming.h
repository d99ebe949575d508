// SPDX-License-Identifier: GPL-3.0-or-later
// Timing shared by the benchmarks.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

namespace BenchTiming
{
inline qint64 Elapsed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed();
}

// The best of several rounds of each, in nanoseconds, the two taking turns, so that a slow spell
// of the machine weighs on both alike.
inline std::pair<qint64, qint64> BestOfRounds(int rounds, const std::function<void()> &baseline,
                                              const std::function<void()> &measured)
{
    qint64 bestBaseline = std::numeric_limits<qint64>::max();
    qint64 bestMeasured = std::numeric_limits<qint64>::max();
    for (int round = 0; round < rounds; ++round) {
        bestBaseline = std::min(bestBaseline, Elapsed(baseline));
        bestMeasured = std::min(bestMeasured, Elapsed(measured));
    }
    return {bestBaseline, bestMeasured};
}
} // namespace BenchTiming
