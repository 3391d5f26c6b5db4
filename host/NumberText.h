#pragma once

#include <string>

#include "host/HostExport.h"

// Exactly `count` comma-separated finite numbers, spaces allowed around each: the text form of
// number, point, frame and colour values. False, with `values` partly written, otherwise.
QM_HOST_API bool ParseNumbers(const std::string& text, int count, double* values);
