#include "host/NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

bool ParseNumbers(const std::string& text, int count, double* values) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < count; ++i) {
        while (p < end && *p == ' ') {
            ++p;
        }
        auto [next, error] = std::from_chars(p, end, values[i]);
        if (error != std::errc() || !std::isfinite(values[i])) {
            return false;
        }
        p = next;
        while (p < end && *p == ' ') {
            ++p;
        }
        if (i + 1 < count) {
            if (p == end || *p != ',') {
                return false;
            }
            ++p;
        }
    }
    return p == end;
}
