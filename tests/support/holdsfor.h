#pragma once

// The tests' one wait of a stated length, for checks that something does
// not happen; everything else waits for the state it needs.

#include <QTest>

// Whether `condition` stays true for `ms` milliseconds while events run;
// false as soon as it fails.
template <typename Condition>
bool HoldsFor(Condition condition, int ms) {
  return !QTest::qWaitFor([&] { return !condition(); }, ms);
}
