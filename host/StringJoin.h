#pragma once

#include <string>
#include <vector>

#include "host/HostExport.h"

QM_HOST_API std::string StringJoin(const std::vector<std::string>& parts,
                                   const std::string& separator);

// Splits at every separator character, keeping empty parts ("a,,b" gives three parts, "" one).
QM_HOST_API std::vector<std::string> StringSplit(const std::string& text, char separator);
