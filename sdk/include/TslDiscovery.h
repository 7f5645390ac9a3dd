// Discovery and broadcast network setup records and exports.
#pragma once

#include "TslDefs.h"
