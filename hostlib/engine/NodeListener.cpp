#include "host/NodeListener.h"

NodeListener::~NodeListener() = default;
