#pragma once

// Symbols of the host library that programs and plug-ins link against.
#define QM_HOST_API __attribute__((visibility("default")))
