#pragma once

#include <ostream>
#include <string>

#include <QJsonObject>

#include "host/Status.h"

// How the programs show a status: the message on one line and the reason, when there is one,
// on the lines after it; in JSON, the two under separate keys.
class StatusReport {
public:
    // "PREFIX cannot read PATH: MESSAGE", then each line of the reason after PREFIX.
    static void PrintReadFailure(std::ostream& stream, const std::string& prefix,
                                 const std::string& path, const Status& status);
    // {"code", "message", "reason"}.
    static QJsonObject ToJson(const Status& status);
    // Prints {"status": {"code": 2, "message": MESSAGE, "reason": ""}} to standard output: how a
    // wrong command line looks to a program that asked for JSON.
    static void PrintJsonError(const std::string& message);
};
