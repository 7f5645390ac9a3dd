// The whole public interface of the Tessaly device SDK.
#pragma once

#include "TslDev.h"
#include "TslAcc.h"
#include "TslFpr.h"
#include "TslFsu.h"
#include "TslIoT.h"
#include "TslNtp.h"
#include "TslUit.h"
