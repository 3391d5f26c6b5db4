#pragma once

#include <cstdint>

#include "host/Node.h"

// Turns a number into a whole count the way every node of the library does (iterations, run
// numbers, switch indices): the nearest integer, with an exact half going down, so 2.5 gives 2
// and 2.51 gives 3; -2.5 gives -3. An empty value gives 0, and so does NaN. Numbers beyond
// +-2^53 are whole already and are clamped there, so the result always fits.
class CountRule {
public:
    static int64_t FromNumber(double number);
    static int64_t FromValue(const Node::Value& value);
};
